#pragma once
// TpUpdateMainForm (TTpUpdateMainForm): the web update window. The catalogue,
// the download job and the update-all loop are portable; this class draws the
// controls, keeps DownloadFolder and routes the clicks.

#include <string>

#include "plugin/urlmon_downloader.h"
#include "plugin/window.h"

namespace velq {

struct CatalogueRow;
struct WebUpdateContext;

class WebUpdateWindow : public Window {
 public:
  static constexpr const char* kClassName = "TTpUpdateMainForm";
  static constexpr const char* kCaption = "Velq Transponders Updater  (Web Update)";
  static constexpr UINT_PTR kTimer1 = 1;
  static constexpr UINT kTimer1Interval = 1000;
  // Control ids (the names the tests find them by). Panel N and Label N
  // (N = 1..7, one per catalogue column) are kPanel1 + N - 1, kLabel1 + N - 1.
  enum ControlId {
    kImage1 = 100, kTraceMemo, kPanel8, kButton58, kLabel8, kEdit1, kButton57, kProgressBar1,
    kPanel1 = 120, kLabel1 = 130,
    kAboutTpUpdate = 150,  // the "About" item of the window's menu
  };
  // ButtonN (N = 1..56) fetches the catalogue row of button N.
  static constexpr int PositionButtonId(int button) { return 200 + button; }

  explicit WebUpdateWindow(HINSTANCE instance);
  ~WebUpdateWindow() override;

 protected:
  void OnCreate() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void MakePositionPanels(HWND w, HFONT buttonFont);
  void MakeFolderPanel(HWND w, HFONT font);
  void AttachMenu();
  void FormCreate();
  void Timer1Timer();
  WebUpdateContext FetchContext();
  void DownloadTpFile(const CatalogueRow& row);
  void DownloadProgress(unsigned progress, unsigned progressMax);
  void Button57Click();  // update all
  void Button58Click();  // change directory
  void AboutTpUpdateClick();
  void OnCommand(int id);
  LRESULT LabelColours(HDC dc, HWND control);

  std::string DownloadFolder;
  UrlmonDownloader downloader_;
  // A download pumps messages; a second click meanwhile must not start
  // another download into the same files.
  bool fetching_ = false;
  HBRUSH darkPanel_ = nullptr, greyPanel_ = nullptr;
  HWND edit1_ = nullptr, progressBar1_ = nullptr, traceMemo_ = nullptr;
};

}  // namespace velq
