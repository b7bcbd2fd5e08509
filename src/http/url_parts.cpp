#include "http/url_parts.h"

namespace {

// Length of the "http://" prefix the address starts with: 7 or 0.
size_t SchemeLength(const Text& url) {
  return url.size() >= 7 && FoldAsciiCase(url.substr(0, 7)) == "http://" ? 7 : 0;
}

Text Authority(const Text& url) {
  const Text rest = url.substr(SchemeLength(url));
  return rest.substr(0, rest.find('/'));
}

}  // namespace

Text UrlHost(const Text& url) {
  const Text authority = Authority(url);
  return FoldAsciiCase(authority.substr(0, authority.find(':')));
}

std::int32_t UrlPort(const Text& url) {
  const Text authority = Authority(url);
  const size_t colon = authority.find(':');
  if (colon == Text::npos) return 80;
  return LeadingInteger(std::string_view(authority).substr(colon + 1));
}

Text UrlPath(const Text& url) {
  // The host is looked for after the scheme: a host such as "t" or "p"
  // would otherwise be found inside "http://" itself.
  size_t from = FoldAsciiCase(url).find(UrlHost(url), SchemeLength(url));
  if (from == Text::npos) from = 0;
  const size_t slash = url.find('/', from);
  return slash == Text::npos ? Text("/") : url.substr(slash);
}
