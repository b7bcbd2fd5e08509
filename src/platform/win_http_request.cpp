#include "platform/win_http_request.h"

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return FoldAsciiCase(a) == FoldAsciiCase(b);
}

bool HoldsLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

WinHttpRequest::WinHttpRequest(HttpBackend& backend) : backend_(backend) {}

bool WinHttpRequest::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
  if (resolveMs < 0 || connectMs < 0 || sendMs < 0 || receiveMs < 0) return false;
  timeouts_ = {connectMs, sendMs, receiveMs};
  return true;
}

bool WinHttpRequest::SetProxy(int setting, const Text& server) {
  if (setting == kProxySettingProxy) {
    proxyServer_ = server;
    return true;
  }
  if (setting == 0 || setting == 1) {
    proxyServer_.clear();
    return true;
  }
  return false;
}

bool WinHttpRequest::SetRequestHeader(const Text& name, const Text& value) {
  if (name.empty() || name.find(':') != Text::npos || HoldsLineBreak(name) || HoldsLineBreak(value))
    return false;
  for (auto& header : requestHeaders_) {
    if (SameName(header.first, name)) {
      header.second = value;
      return true;
    }
  }
  requestHeaders_.emplace_back(name, value);
  return true;
}

bool WinHttpRequest::Open(const Text& method, const Text& url, bool async) {
  if (async || method.empty() || url.empty()) return false;
  method_ = method;
  url_ = url;
  opened_ = true;
  responseBody_.clear();
  responseHeaders_.clear();
  status_ = 0;
  return true;
}

bool WinHttpRequest::PutOption(int option, int value) {
  switch (option) {
    case kOptionEnableRedirects:
      enableRedirects_ = value != 0;
      return true;
    case kOptionSslErrorIgnoreFlags:
      sslErrorIgnoreFlags_ = value;
      return true;
    default:
      return false;
  }
}

bool WinHttpRequest::Send(std::string_view body) {
  // A send always replaces the previous response, also when it is refused.
  responseBody_.clear();
  responseHeaders_.clear();
  status_ = 0;
  if (!opened_) return false;
  opened_ = false;

  HttpTransfer transfer;
  transfer.url = url_;
  transfer.method = method_;
  if (!body.empty() || method_ == "POST" || method_ == "PUT") transfer.body = std::string(body);
  const bool tunnelled =
      !proxyServer_.empty() && FoldAsciiCase(url_).compare(0, 8, "https://") == 0;
  for (const auto& [name, value] : requestHeaders_) {
    if (SameName(name, "Cookie")) {
      // One Cookie line carries both what the caller set and what this
      // object keeps from earlier responses.
      transfer.cookie = value;
    } else if (tunnelled && SameName(name, "Proxy-Authorization")) {
      // Meant for the proxy: inside a TLS tunnel it would reach the server.
      transfer.proxyHeaderLines.push_back(name + ": " + value);
    } else {
      transfer.headerLines.push_back(name + ": " + value);
    }
  }
  requestHeaders_.clear();
  if (!proxyServer_.empty()) {
    transfer.proxyMode = HttpProxyMode::kServer;
    transfer.proxyServer = proxyServer_;
  }
  transfer.followRedirects = enableRedirects_;
  transfer.verifyPeer = (sslErrorIgnoreFlags_ &
                         (kIgnoreUnknownAuthority | kIgnoreInvalidDate | kIgnoreWrongUsage)) == 0;
  transfer.verifyHost = (sslErrorIgnoreFlags_ & kIgnoreInvalidCommonName) == 0;
  transfer.timeouts = timeouts_;
  transfer.cookieJar = &cookieJar_;

  std::string received;
  const HttpTransferResult result =
      backend_.Perform(transfer, [&received](std::string_view piece, const HttpResponseHead&) {
        received.append(piece);
        return true;
      });
  if (!result.completed) return false;
  responseBody_ = std::move(received);
  status_ = result.status;
  const size_t statusLineEnd = result.rawHeaders.find("\r\n");
  responseHeaders_ =
      statusLineEnd == std::string::npos ? "" : result.rawHeaders.substr(statusLineEnd + 2);
  return true;
}
