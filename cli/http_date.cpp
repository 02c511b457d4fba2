#include "cli/http_date.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace velq {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {  // month 1..12
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = year / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// Reads `text` from the front, one expected piece at a time.
struct Cursor {
  std::string_view text;
  bool ok = true;

  bool Eat(std::string_view piece) {
    ok = ok && text.substr(0, piece.size()) == piece;
    if (ok) text.remove_prefix(piece.size());
    return ok;
  }
  bool TryEat(char c) {
    if (!ok || text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
  }
  int Digits(std::size_t count) {
    int value = 0;
    for (std::size_t i = 0; i < count && ok; ++i) {
      ok = !text.empty() && text.front() >= '0' && text.front() <= '9';
      if (ok) value = value * 10 + (text.front() - '0'), text.remove_prefix(1);
    }
    return value;
  }
  int Month() {
    for (std::size_t i = 0; ok && i < kMonths.size(); ++i) {
      if (text.substr(0, 3) == kMonths[i]) return text.remove_prefix(3), static_cast<int>(i) + 1;
    }
    ok = false;
    return 0;
  }
  void Letters() {  // a day name; its agreement with the date is not checked
    std::size_t n = 0;
    while (n < text.size() && ((text[n] >= 'a' && text[n] <= 'z') || (text[n] >= 'A' && text[n] <= 'Z'))) ++n;
    ok = ok && n >= 3 && n <= 9;
    text.remove_prefix(n);
  }
};

}  // namespace

std::string FormatHttpDate(std::time_t time) {
  std::tm tm{};
  gmtime_r(&time, &tm);
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kWeekdays[tm.tm_wday % 7].data(),
                tm.tm_mday, kMonths[tm.tm_mon % 12].data(), tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

std::optional<std::time_t> ParseHttpDate(std::string_view text) {
  Cursor c{text};
  int day = 0, month = 0, year = 0;
  c.Letters();
  if (c.TryEat(',')) {
    c.Eat(" ");
    day = c.Digits(2);
    if (c.TryEat('-')) {  // RFC 850: two-digit year, taken as the nearest past century's
      month = c.Month();
      c.Eat("-");
      year = c.Digits(2);
      year += year < 70 ? 2000 : 1900;
    } else {
      c.Eat(" ");
      month = c.Month();
      c.Eat(" ");
      year = c.Digits(4);
    }
    c.Eat(" ");
  } else {  // asctime: the day of the month padded with a space
    c.Eat(" ");
    month = c.Month();
    c.Eat(" ");
    day = c.TryEat(' ') ? c.Digits(1) : c.Digits(2);
    c.Eat(" ");
  }
  const int hour = c.Digits(2);
  c.Eat(":");
  const int minute = c.Digits(2);
  c.Eat(":");
  const int second = c.Digits(2);
  if (year == 0) {  // asctime ends with the year
    c.Eat(" ");
    year = c.Digits(4);
  } else {
    c.Eat(" GMT");
  }
  if (!c.ok || !c.text.empty() || year < 1970 || month < 1 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  return static_cast<std::time_t>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second);
}

}  // namespace velq
