#include "media/text_cut.h"

namespace {

Text WithQuotes(std::string_view delimiter) {
  static constexpr std::string_view kQuoteName = "#引号";
  Text result;
  size_t pos = 0;
  for (size_t found; (found = delimiter.find(kQuoteName, pos)) != std::string_view::npos;
       pos = found + kQuoteName.size()) {
    result.append(delimiter.substr(pos, found - pos));
    result.push_back('"');
  }
  result.append(delimiter.substr(pos));
  return result;
}

}  // namespace

Text TextBetween(std::string_view text, std::string_view left, std::string_view right) {
  Text leftText = WithQuotes(left);
  Text rightText = WithQuotes(right);
  size_t start = text.find(leftText);
  if (start == std::string_view::npos) return Text();
  start += leftText.size();
  size_t end = text.find(rightText, start);
  if (end == std::string_view::npos) return Text();
  return Text(text.substr(start, end - start));
}

Text TextBefore(std::string_view text, std::string_view right) {
  size_t end = text.find(right);
  if (end == std::string_view::npos) return Text();
  return Text(text.substr(0, end));
}

Text TextAfterLast(std::string_view text, std::string_view left) {
  size_t start = text.rfind(left);
  if (start == std::string_view::npos) return Text();
  return Text(text.substr(start + left.size()));
}
