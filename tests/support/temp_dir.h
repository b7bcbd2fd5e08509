#pragma once

#include <string>

#include "platform/text.h"

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes. `path()` ends in "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // GBK path of the directory, with a final "/".
  const Text& path() const { return path_; }
  // GBK path of an entry inside it.
  Text operator/(const Text& name) const { return path_ + name; }

 private:
  Text path_;
};
