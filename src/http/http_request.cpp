#include "http/http_request.h"

#include <string>

#include "http/header_line.h"
#include "http/url_parts.h"

namespace {

constexpr int kTimeoutMs = 18000;
constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

Text CutAtZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// Each test looks at the header text as it stands by then.
bool Contains(const Text& headers, const char* lowerNeedle) {
  return FoldAsciiCase(headers).find(lowerNeedle) != Text::npos;
}

// The header text's lines for the wire. A line break is CR LF; a lone LF is
// taken as one too rather than passed on inside a line.
std::vector<std::string> HeaderLines(const Text& headers) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find('\n', start);
    if (end == Text::npos) end = headers.size();
    std::string line = headers.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace

void CompleteWinInetHeaders(Text& headers, const Text& url) {
  if (!Contains(headers, "accept: "))
    headers +=
        "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
        "application/x-shockwave-flash, application/vnd.ms-excel, "
        "application/vnd.ms-powerpoint, application/msword, */*\r\n";
  if (!Contains(headers, "referer: ")) headers += "Referer: " + url + "\r\n";
  if (!Contains(headers, "accept-language: ")) headers += "Accept-Language: zh-cn\r\n";
}

Text HttpRequest(HttpBackend& backend, const Text& url) {
  HttpRequestOptions options;
  return HttpRequest(backend, url, options);
}

Text HttpRequest(HttpBackend& backend, const Text& url, HttpRequestOptions& options) {
  const Text host = UrlHost(url);
  const std::int32_t port = UrlPort(url);
  if (FoldAsciiCase(options.method) != "post") options.method = "GET";
  const Text path = UrlPath(url);
  CompleteWinInetHeaders(options.headers, url);

  HttpTransfer transfer;
  // Port 0 stands for the service's default port.
  transfer.url = "http://" + host + (port == 0 ? "" : ":" + DecimalText(port)) + path;
  transfer.pathAsIs = true;
  transfer.method = options.method;
  if (options.method != "GET") {
    if (!options.postData.empty())
      options.headers += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                         DecimalText(static_cast<std::int64_t>(options.postData.size())) + "\r\n";
    transfer.body = options.postData;
  }
  transfer.headerLines = HeaderLines(options.headers);
  bool hasAgent = false;
  for (const std::string& line : transfer.headerLines)
    hasAgent = hasAgent || FoldAsciiCase(HeaderName(line)) == "user-agent";
  // The session's agent comes after the caller's lines, unless they carry
  // their own.
  if (!hasAgent) transfer.headerLines.push_back(std::string("User-Agent: ") + kAgent);
  if (options.proxy && !options.proxy->empty()) {
    transfer.proxyMode = HttpProxyMode::kServer;
    transfer.proxyServer = *options.proxy;
  }
  transfer.timeouts = {kTimeoutMs, kTimeoutMs, kTimeoutMs};

  std::string body;
  const HttpTransferResult result =
      backend.Perform(transfer, [&body](std::string_view piece, const HttpResponseHead&) {
        body.append(piece);
        return true;
      });
  if (options.responseHeaders) options.responseHeaders = CutAtZero(result.rawHeaders);
  return CutAtZero(body);
}
