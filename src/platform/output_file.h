#pragma once

#include <string_view>

#include "platform/text.h"

// A file written from the start, piece by piece: created, or emptied when it
// exists; other processes may read and write it meanwhile. Closed when the
// object goes. One thread at a time.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or empties the file at `path`; false when it cannot be opened.
  bool Create(const Text& path);
  bool is_open() const { return fd_ >= 0; }
  // Appends all bytes after those written before; false on any failure, a
  // short write included.
  bool Append(std::string_view bytes);
  void Close();

 private:
  int fd_ = -1;
};
