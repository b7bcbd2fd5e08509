#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/text.h"

// Real HLS streams made by the system's FFmpeg (/usr/bin/ffmpeg): MPEG-TS
// segments with H.264 video (libx264, 320x240, 25 frames per second, a key
// frame at the start of every segment) and AAC audio (48 kHz sine), from
// FFmpeg's own test sources. For tests and benchmarks that serve them over
// HTTP. Calls may run in several threads and processes at once.

struct HlsStreamOptions {
  int segmentCount = 8;
  // Duration of each segment; best a whole number of frames (0.04 s).
  double segmentSeconds = 1.0;
  // About this many bytes per segment (the transport stream is padded to a
  // constant rate); 0 keeps the natural size, about 35 KB per second, which
  // is also the least a target can give.
  std::int64_t segmentBytes = 0;
};

struct HlsStream {
  Text directory;     // where the files are, ending in "/"
  Text playlistPath;  // FFmpeg's own playlist, with relative segment names
  // Per segment, in playlist order:
  std::vector<Text> segmentNames;  // file names inside `directory`
  std::vector<Text> segmentPaths;  // full paths
  std::vector<std::int64_t> segmentSizes;
  std::vector<double> segmentDurations;  // seconds, as the playlist lists them
  double totalSeconds = 0;               // their sum: the stream's duration

  // A playlist that lists every segment as `urlPrefix` followed by its name,
  // e.g. with "http://127.0.0.1:8080/" one absolute address per segment.
  Text PlaylistText(const Text& urlPrefix) const;
};

// Generates a stream into `directory` (created when missing). Nothing when
// FFmpeg fails; its messages then show on standard error. 8 one-second
// segments take well under a second.
std::optional<HlsStream> GenerateHlsStream(const Text& directory, const HlsStreamOptions& options);

// The stream for these options, generated on the first call into a
// subdirectory of `cacheDirectory` named after them and found there by
// later calls, also of other processes. A stream appears there complete or
// not at all, so a crash mid-generation leaves nothing to trip over.
std::optional<HlsStream> CachedHlsStream(const Text& cacheDirectory,
                                         const HlsStreamOptions& options);

// The stream that FFmpeg wrote into `directory`, read back from its
// playlist; nothing when the playlist or a segment is missing.
std::optional<HlsStream> LoadHlsStream(const Text& directory);

// What ffprobe (/usr/bin/ffprobe) sees in a media file.
struct MediaProbe {
  int videoStreams = 0;
  int audioStreams = 0;
  double durationSeconds = 0;  // of the container
};

// Nothing when ffprobe cannot read the file as media.
std::optional<MediaProbe> ProbeMedia(const Text& path);
