#include "platform/profile.h"

#include <optional>
#include <vector>

#include "platform/files.h"

namespace {

struct Line {
  std::string content;  // without its line end
  std::string ending;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t newline = bytes.find('\n', start);
    Line line;
    if (newline == std::string::npos) {
      line.content = bytes.substr(start);
      start = bytes.size();
    } else {
      line.content = bytes.substr(start, newline - start);
      line.ending = "\n";
      start = newline + 1;
    }
    if (!line.content.empty() && line.content.back() == '\r') {
      line.content.pop_back();
      line.ending = line.ending.empty() ? "\r" : "\r\n";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldAsciiCase(a) == FoldAsciiCase(b);
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyName(std::string_view line) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

}  // namespace

Text ReadProfileString(const Text& section, const Text& key, const Text& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return {};
  bool inSection = false;
  for (const Line& line : SplitLines(*bytes)) {
    if (auto name = SectionName(line.content)) {
      inSection = SameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    auto name = KeyName(line.content);
    if (!name || !SameName(*name, key)) continue;
    std::string_view value =
        Trim(std::string_view(line.content).substr(line.content.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > kProfileReadBuffer - 1) value = value.substr(0, kProfileReadBuffer - 1);
    return Text(value);
  }
  return {};
}

namespace {

void SetKey(std::vector<Line>& lines, const Text& section, const Text& key, const Text& value) {
  const std::string entry = key + "=" + value;
  // Find the section, the key inside it, and the last non-blank line of it.
  std::optional<size_t> sectionLine, keyLine, lastInSection;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (auto name = SectionName(lines[i].content)) {
      if (sectionLine) break;
      if (SameName(*name, section)) {
        sectionLine = i;
        lastInSection = i;
      }
      continue;
    }
    if (!sectionLine) continue;
    if (!Trim(lines[i].content).empty()) lastInSection = i;
    auto name = KeyName(lines[i].content);
    if (!keyLine && name && SameName(*name, key)) keyLine = i;
  }
  if (keyLine) {
    lines[*keyLine].content = entry;
  } else if (sectionLine) {
    if (lines[*lastInSection].ending.empty()) lines[*lastInSection].ending = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastInSection + 1),
                 Line{entry, "\r\n"});
  } else {
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = "\r\n";
    lines.push_back(Line{"[" + section + "]", "\r\n"});
    lines.push_back(Line{entry, "\r\n"});
  }
}

std::string JoinLines(std::vector<Line>& lines) {
  if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = "\r\n";
  std::string bytes;
  for (const Line& line : lines) bytes += line.content + line.ending;
  return bytes;
}

}  // namespace

bool WriteProfileString(const Text& section, const Text& key, const Text& value, const Text& path) {
  return WriteProfileStrings(section, {{key, value}}, path);
}

bool WriteProfileStrings(const Text& section,
                         const std::vector<std::pair<Text, Text>>& keysAndValues,
                         const Text& path) {
  std::vector<Line> lines = SplitLines(ReadWholeFile(path).value_or(""));
  for (const auto& [key, value] : keysAndValues) SetKey(lines, section, key, value);
  return WriteFileAtomically(path, JoinLines(lines));
}
