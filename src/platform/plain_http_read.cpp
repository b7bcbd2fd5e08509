#include "platform/plain_http_read.h"

std::optional<std::string> PlainHttpRead(HttpBackend& backend, const Text& url) {
  HttpTransfer transfer;
  transfer.url = url;
  transfer.headerLines = {"Accept: */*",
                          "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"};
  transfer.proxyMode = HttpProxyMode::kSystem;
  transfer.timeouts = {18000, 18000, 18000};
  std::string body;
  const HttpTransferResult result =
      backend.Perform(transfer, [&body](std::string_view piece, const HttpResponseHead&) {
        body.append(piece);
        return true;
      });
  if (!result.completed || result.status >= 400) return std::nullopt;
  return body;
}
