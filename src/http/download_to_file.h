#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/http_backend.h"
#include "platform/text.h"

// Progress of a download, called after every chunk written: the response's
// Content-Length (0 when it gave none or it does not fit), the bytes
// received so far (counted from 0 whatever the range start), the
// milliseconds since the download began (30 instead of 0), and the size of
// this chunk.
using DownloadProgress = std::function<void(std::int32_t contentLength, std::int32_t received,
                                            std::int32_t elapsedMs, std::int32_t chunkBytes)>;

// Streams the body of `url` into the file at `path`, created or emptied
// before the first byte is written, in chunks of 10240 bytes (the last one
// shorter), calling `progress` (which may be empty) after each on the
// calling thread. With `rangeStart` the body is asked for from that byte
// offset on. The body is stored as received: no content decoding, whatever
// the status (an error page is written like any other body).
//
// Goes through the system's proxy environment, verifies certificates and
// follows redirects; "file://" addresses are read too. Returns 0 when the
// whole body was written, -1 when the address could not be opened, the file
// could not be written or the transfer broke off (chunks written so far stay
// in the file; a transfer that fails before its first chunk leaves an
// existing file as it was). `httpStatus`, when given, receives the final
// status (0 when no HTTP response came). Blocks until the transfer ends.
int DownloadToFile(HttpBackend& backend, const Text& url, const Text& path,
                   const DownloadProgress& progress,
                   std::optional<std::int64_t> rangeStart = std::nullopt,
                   int* httpStatus = nullptr);

// The request header text of a download, lines joined by CR LF, with the
// Range line when a range start is given.
Text DownloadHeaderText(std::optional<std::int64_t> rangeStart);
