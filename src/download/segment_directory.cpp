#include "download/segment_directory.h"

#include <map>
#include <optional>

#include "platform/files.h"

namespace {

const Text kRecordName = "tmp_owner";

// Parses "tmp_<digits>" and "tmp_<digits>.part"; nothing for other names.
struct SegmentName {
  int row = -1;
  bool partial = false;
};
std::optional<SegmentName> ParseSegmentName(const Text& name) {
  if (name.compare(0, 4, "tmp_") != 0) return std::nullopt;
  size_t end = 4;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  if (end == 4 || end - 4 > 9) return std::nullopt;
  const Text rest = name.substr(end);
  if (!rest.empty() && rest != ".part") return std::nullopt;
  return SegmentName{std::stoi(name.substr(4, end - 4)), !rest.empty()};
}

// The record: the task key on the first line, then one address per row.
// Newlines cannot occur in either (addresses are runs of non-blank text and
// the key's parts are single-line box texts); any that do are replaced.
std::string EncodeRecord(const Text& taskKey, const std::vector<Text>& addresses) {
  auto line = [](Text text) {
    for (char& c : text)
      if (c == '\n' || c == '\r') c = ' ';
    return text + "\n";
  };
  std::string record = line(taskKey);
  for (const Text& address : addresses) record += line(address);
  return record;
}

struct Record {
  Text taskKey;
  std::vector<Text> addresses;
};
std::optional<Record> DecodeRecord(const std::string& bytes) {
  Record record;
  size_t start = 0;
  bool first = true;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) return std::nullopt;  // cut short: not trusted
    Text line = bytes.substr(start, end - start);
    if (first)
      record.taskKey = std::move(line);
    else
      record.addresses.push_back(std::move(line));
    first = false;
    start = end + 1;
  }
  if (first) return std::nullopt;
  return record;
}

}  // namespace

Text SegmentFileName(int row) { return "tmp_" + DecimalText(row); }
Text SegmentPartName(int row) { return "tmp_" + DecimalText(row) + ".part"; }

bool PrepareSegmentDirectory(const Text& directory, const Text& taskKey,
                             const std::vector<Text>& addresses) {
  if (!IsDirectory(directory)) MakeDirectoryPath(directory);
  std::optional<Record> previous;
  if (auto bytes = ReadWholeFile(directory + kRecordName)) previous = DecodeRecord(*bytes);
  const bool sameTask = previous && previous->taskKey == taskKey;
  // The old record goes first: if we stop halfway, no record vouches for
  // files it no longer describes.
  DeleteFileAt(directory + kRecordName);
  for (const Text& name : FindFiles(directory + "tmp_*")) {
    std::optional<SegmentName> segment = ParseSegmentName(name);
    if (!segment) continue;
    const size_t row = static_cast<size_t>(segment->row);
    const bool keep = !segment->partial && sameTask && row < addresses.size() &&
                      row < previous->addresses.size() &&
                      previous->addresses[row] == addresses[row];
    if (!keep) DeleteFileAt(directory + name);
  }
  if (WriteFileAtomically(directory + kRecordName, EncodeRecord(taskKey, addresses))) return true;
  for (const Text& name : FindFiles(directory + "tmp_*"))
    if (ParseSegmentName(name)) DeleteFileAt(directory + name);
  return false;
}
