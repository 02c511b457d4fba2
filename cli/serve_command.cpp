#include "cli/serve_command.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>

#include "cli/exit_codes.h"
#include "cli/http_date.h"
#include "cli/site_answer.h"
#include "cli/static_site.h"
#include "cli/stop_signals.h"

namespace velq {
namespace {

// Connections are served one per thread; an idle keep-alive connection
// holds its thread for kIdleSeconds, so many idle clients delay others by
// that much at most per round, and never stop the site.
constexpr std::size_t kWorkerThreads = 64;
constexpr time_t kIdleSeconds = 2;
constexpr time_t kReadSeconds = 5;
constexpr std::size_t kRequestsPerConnection = 1000;
constexpr std::size_t kLoggedTargetChars = 200;
constexpr std::size_t kMaxBodyBytes = 4096;

// The request target as the log shows it: printable ASCII only, and not
// more than a line's worth of it.
std::string LoggedTarget(const std::string& target) {
  std::string shown;
  for (char c : target.substr(0, kLoggedTargetChars)) {
    shown += c > 0x20 && c < 0x7F && c != '"' ? c : '?';
  }
  if (target.size() > kLoggedTargetChars) shown += "...(" + std::to_string(target.size()) + " bytes)";
  return shown;
}

void LogRequest(std::FILE* err, const httplib::Request& request, const httplib::Response& response) {
  const std::string line = request.remote_addr + " \"" + LoggedTarget(request.method) + ' ' +
                           LoggedTarget(request.target) + "\" " + std::to_string(response.status) + ' ' +
                           std::to_string(response.body.size()) + '\n';
  // One write per line: lines of concurrent requests never mix.
  std::fwrite(line.data(), 1, line.size(), err);
  std::fflush(err);
}

RequestConditions ConditionsOf(const httplib::Request& request) {
  RequestConditions conditions;
  // A list of tags may come split over several fields; they count as one.
  for (std::size_t i = 0; i < request.get_header_value_count("If-None-Match"); ++i) {
    conditions.ifNoneMatch = (conditions.ifNoneMatch ? *conditions.ifNoneMatch + ", " : std::string()) +
                             request.get_header_value("If-None-Match", i);
  }
  if (request.get_header_value_count("If-Modified-Since") == 1) {
    conditions.ifModifiedSince = request.get_header_value("If-Modified-Since");
  }
  return conditions;
}

void Send(SiteAnswer answer, const char* contentType, httplib::Response& response) {
  response.status = answer.status;
  if (!answer.etag.empty()) response.set_header("ETag", answer.etag);
  if (!answer.lastModified.empty()) response.set_header("Last-Modified", answer.lastModified);
  if (answer.status == 304) {
    // No body, and the length the body would have had: never a Content-Length
    // of 0 that a cache could take for the list's.
    response.set_header("Content-Length", std::to_string(answer.fullLength));
    return;
  }
  response.set_content(std::move(answer.body), answer.status == 200 ? contentType : "text/plain; charset=utf-8");
}

int Serve(const ServeOptions& options, std::FILE* out, std::FILE* err) {
  const std::string folder = std::filesystem::absolute(options.folder).lexically_normal().string();
  StopSignals stopSignals;  // before the server's threads, so that none of them takes Ctrl-C
  // A client that hangs up mid-answer is an error of that send, not the end of the site.
  std::signal(SIGPIPE, SIG_IGN);

  httplib::Server server;
  server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  server.set_keep_alive_timeout(kIdleSeconds);
  server.set_keep_alive_max_count(kRequestsPerConnection);
  server.set_read_timeout(kReadSeconds);
  server.set_write_timeout(kReadSeconds);
  server.set_payload_max_length(kMaxBodyBytes);  // a GET has no body; nobody fills our memory with one
  server.set_tcp_nodelay(true);
  server.Get("/dl\\.php", [&folder](const httplib::Request& request, httplib::Response& response) {
    // Lists are Windows-1252 bytes, sent as a file to store: no client or
    // proxy may treat them as text to convert.
    Send(AnswerDownloadRequest(request.target, folder, ConditionsOf(request)), "application/octet-stream", response);
  });
  server.Get("/|/index\\.html", [&folder](const httplib::Request& request, httplib::Response& response) {
    Send(AnswerIndexRequest(folder, ConditionsOf(request)), "text/html; charset=utf-8", response);
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      response.set_content("HTTP error " + std::to_string(response.status) + "\n", "text/plain; charset=utf-8");
    }
  });
  // Called with the final answer, before it is sent: a client that has its
  // answer finds its line in the log.
  server.set_post_routing_handler([err](const httplib::Request& request, httplib::Response& response) {
    // Every answer, the lists' and the page's, a 404 too, may be kept by a
    // cache only to be checked with the site before each use.
    response.set_header("Cache-Control", "no-cache");
    response.set_header("Date", FormatHttpDate(std::time(nullptr)));
    LogRequest(err, request, response);
  });

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.listen);
  } else if (!server.bind_to_port(options.listen, port)) {
    port = -1;
  }
  if (port < 0) {
    std::fprintf(err, "velqtp: cannot listen on %s port %d: %s\n", options.listen.c_str(), options.port,
                 std::strerror(errno));
    return kExitFailure;
  }
  const std::string host = options.listen.find(':') != std::string::npos ? '[' + options.listen + ']' : options.listen;
  std::fprintf(out, "Serving %s at http://%s:%d/dl.php?pos=13.0E ..., the page at http://%s:%d/ (Ctrl-C ends)\n",
               folder.c_str(), host.c_str(), port, host.c_str(), port);
  std::fflush(out);

  std::atomic<bool> stopped{false};
  stopSignals.Start([&server, &stopped] {
    stopped = true;
    server.stop();
  });
  const bool ran = server.listen_after_bind();
  if (!stopped && !ran) {
    std::fprintf(err, "velqtp: the server stopped: %s\n", std::strerror(errno));
    return kExitFailure;
  }
  std::fprintf(out, "Stopped\n");
  return kExitOk;
}

}  // namespace

int RunServe(const ServeOptions& options, std::FILE* out, std::FILE* err) {
  if (!std::filesystem::is_directory(options.folder)) {
    std::fprintf(err, "velqtp: no such folder: %s\n", options.folder.c_str());
    return kExitFailure;
  }
  if (!options.staticOut.empty()) {
    const StaticSiteCounts counts = WriteStaticSite(options.folder, options.staticOut);
    std::fprintf(out, "Wrote %zu lists to %s/pos/ (removed %zu stale) and the page %s/index.html\n",
                 counts.written, options.staticOut.c_str(), counts.removed, options.staticOut.c_str());
    return kExitOk;
  }
  return Serve(options, out, err);
}

}  // namespace velq
