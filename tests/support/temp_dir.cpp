#include "support/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

TempDir::TempDir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/vantrelo-XXXXXX";
  if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
  path_ = FromUtf8(base) + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(ToUtf8(path_), ignored);
}
