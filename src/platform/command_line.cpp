#include "platform/command_line.h"

#include <algorithm>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Length of the character that starts at `pos`: two for a GBK lead byte
// followed by anything, else one.
size_t CharLength(std::string_view text, size_t pos) {
  return IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::vector<Text> SplitCommandLine(std::string_view line) {
  std::vector<Text> arguments;
  size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos == line.size()) return arguments;

  // The program name knows no escapes: a leading quote runs to the next
  // quote, and the next argument may follow it directly; otherwise it runs
  // to the first blank, quotes and all.
  // (No GBK byte is a blank or a quote, so bytes can be taken one by one.)
  size_t end;
  if (line[pos] == '"') {
    ++pos;
    end = std::min(line.find('"', pos), line.size());
    arguments.emplace_back(line.substr(pos, end - pos));
    pos = std::min(end + 1, line.size());
  } else {
    end = std::min(line.find_first_of(" \t", pos), line.size());
    arguments.emplace_back(line.substr(pos, end - pos));
    pos = end;
  }

  for (;;) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) break;
    Text argument;
    bool quoted = false;
    while (pos < line.size()) {
      char c = line[pos];
      if (!quoted && IsBlank(c)) break;
      if (c == '\\') {
        size_t count = 0;
        while (pos < line.size() && line[pos] == '\\') {
          ++count;
          ++pos;
        }
        if (pos < line.size() && line[pos] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument.push_back('"');
            ++pos;
          }
          // An even count leaves the quote to group, below.
        } else {
          argument.append(count, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
          argument.push_back('"');
          pos += 2;
          continue;
        }
        quoted = !quoted;
        ++pos;
        continue;
      }
      size_t length = CharLength(line, pos);
      argument.append(line.substr(pos, length));
      pos += length;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

Text QuoteCommandLineArgument(std::string_view argument) {
  Text quoted = "\"";
  size_t backslashes = 0;
  for (size_t pos = 0; pos < argument.size();) {
    char c = argument[pos];
    if (c == '\\') {
      ++backslashes;
      quoted.push_back(c);
      ++pos;
      continue;
    }
    if (c == '"') {
      // Each backslash before the quote needs a partner, then the quote its
      // own escape.
      quoted.append(backslashes + 1, '\\');
      quoted.push_back('"');
      backslashes = 0;
      ++pos;
      continue;
    }
    backslashes = 0;
    size_t length = CharLength(argument, pos);
    quoted.append(argument.substr(pos, length));
    pos += length;
  }
  // Backslashes at the end stand before the closing quote.
  quoted.append(backslashes, '\\');
  quoted.push_back('"');
  return quoted;
}
