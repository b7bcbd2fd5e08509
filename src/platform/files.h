#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

// Files, named by GBK paths; every path is converted to UTF-8 on its way to
// the file system and every name back to GBK. All calls are safe from any
// thread and report failure by their result.

// Path separator of the platform; a directory text is expected to end in it.
inline constexpr char kPathSeparator = '/';

// True when anything exists at the path (a file or a directory).
bool FileExists(const Text& path);

// True when the path names an existing directory.
bool IsDirectory(const Text& path);

// Appends "/" unless the path ends in one, then creates every missing
// directory along it. Safe when several threads create the same directory at
// once. True when the directory exists afterwards.
bool MakeDirectoryPath(const Text& path);

// Creates one directory; false when it could not be created (also when it
// exists already).
bool CreateOneDirectory(const Text& path);

// The whole content of a file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const Text& path);

// Creates the file or truncates it, then writes all bytes. False on any
// failure, a short write included.
bool WriteWholeFile(const Text& path, std::string_view bytes);

// Writes a file so that a reader never sees a partial one: the bytes go to a
// temporary name beside it, which then replaces the path.
bool WriteFileAtomically(const Text& path, std::string_view bytes);

// Deletes a file (not a directory). False when nothing was deleted.
bool DeleteFileAt(const Text& path);

// Renames a file, never replacing an existing one: false when the target
// exists or the rename fails otherwise.
bool RenameNoReplace(const Text& from, const Text& to);

// Renames a file, replacing the target if it exists.
bool RenameReplacing(const Text& from, const Text& to);

// Size of a file in bytes; -1 when it cannot be read.
std::int64_t FileSize(const Text& path);

// Names (without directory) of the files that match a search text of the
// form "<directory text><prefix>*.*" (or "...*"): the entries of the directory
// part, up to its last "/", whose names begin with the prefix. Directories are
// skipped; the order is the file system's. Nothing when the directory does
// not exist.
std::vector<Text> FindFiles(const Text& searchText);
