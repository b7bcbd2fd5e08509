#include "http/win_http_request_call.h"

#include <limits>

#include "http/base64_encode.h"
#include "http/cookie_merge.h"
#include "http/header_line.h"
#include "http/returned_cookies.h"
#include "http/text_items.h"

namespace {

constexpr const char* kMethods[] = {"GET",     "POST",   "HEAD",  "PUT",
                                    "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int kMethodPost = 1;
constexpr int kDefaultTimeoutMs = 15000;
constexpr int kIgnoreCertificateErrors =
    WinHttpRequest::kIgnoreUnknownAuthority | WinHttpRequest::kIgnoreWrongUsage |
    WinHttpRequest::kIgnoreInvalidCommonName | WinHttpRequest::kIgnoreInvalidDate;

bool Has(const Text& text, std::string_view needle) { return text.find(needle) != Text::npos; }

void ReplaceAll(Text& text, std::string_view from, std::string_view to) {
  for (size_t pos = 0; (pos = text.find(from, pos)) != Text::npos; pos += to.size())
    text.replace(pos, from.size(), to);
}

int TimeoutMs(int seconds) {
  if (seconds < 1) return kDefaultTimeoutMs;
  return seconds > std::numeric_limits<int>::max() / 1000 ? std::numeric_limits<int>::max()
                                                          : seconds * 1000;
}

}  // namespace

void CompleteWinHttpHeaders(Text& headers, const Text& url, int method) {
  if (headers.empty())
    headers = "Accept: */*";
  else if (!Has(headers, "Accept:"))
    headers += "\r\nAccept: */*";
  if (!Has(headers, "Referer:")) headers += "\r\nReferer: " + url;
  if (!Has(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
  if (!Has(headers, "User-Agent:"))
    headers += "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
  if (method == kMethodPost) {
    ReplaceAll(headers, "content-type", "Content-Type");
    if (!Has(headers, "Content-Type:"))
      headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
}

WinHttpResponse WinHttpRequestCall(HttpBackend& backend, const Text& url, int method) {
  WinHttpRequestOptions options;
  options.method = method;
  return WinHttpRequestCall(backend, url, options);
}

WinHttpResponse WinHttpRequestCall(HttpBackend& backend, const Text& url,
                                   WinHttpRequestOptions& options) {
  const bool mergeCookies = options.mergeCookies.value_or(true);
  const int method = options.method >= 0 && options.method <= 7 ? options.method : 0;

  WinHttpRequest ownObject(backend);
  WinHttpRequest& request = options.requestObject ? *options.requestObject : ownObject;

  // The object's refusals are ignored throughout, as the routine has always
  // done: a refused call leaves the request as it was and the routine goes on.
  if (options.timeoutSeconds != -1) {
    const int ms = TimeoutMs(options.timeoutSeconds);
    request.SetTimeouts(ms, ms, ms, ms);
  }
  if (!options.proxy.empty()) request.SetProxy(WinHttpRequest::kProxySettingProxy, options.proxy);
  if (!options.proxyUser.empty() && options.proxyAuthMode.value_or(1) == 1)
    request.SetRequestHeader(
        "Proxy-Authorization",
        "Basic " + Base64Encode(options.proxyUser + ":" + options.proxyPassword));
  request.Open(kMethods[method], url, false);
  if (options.noRedirect) request.PutOption(WinHttpRequest::kOptionEnableRedirects, 0);
  request.PutOption(WinHttpRequest::kOptionSslErrorIgnoreFlags, kIgnoreCertificateErrors);

  CompleteWinHttpHeaders(options.headers, url, method);
  if (options.cookies) request.SetRequestHeader("Cookie", *options.cookies);
  if (!Has(options.headers, "\r\n")) {
    request.SetRequestHeader(HeaderName(options.headers), HeaderValue(options.headers));
  } else {
    for (const Text& line : CutItems(options.headers, "\r\n"))
      if (!line.empty()) request.SetRequestHeader(HeaderName(line), HeaderValue(line));
  }

  request.Send(!options.postBytes.empty() ? std::string_view(options.postBytes)
                                          : std::string_view(options.postText));

  WinHttpResponse response;
  response.body = request.ResponseBody();
  response.responseHeaders = request.GetAllResponseHeaders();
  response.status = request.Status();
  response.returnedCookies = CollectReturnedCookies(response.responseHeaders);
  if (mergeCookies && options.cookies)
    response.returnedCookies = CookieMerge(*options.cookies, response.returnedCookies);
  return response;
}
