#include "support/hls_stream.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>

#include "platform/files.h"

namespace {

constexpr const char* kFfmpeg = "/usr/bin/ffmpeg";
constexpr const char* kFfprobe = "/usr/bin/ffprobe";
constexpr const char* kPlaylistName = "index.m3u8";
constexpr int kAudioBitsPerSecond = 64000;

struct ProgramRun {
  int exitCode = -1;
  std::string output;  // standard output; standard error goes to ours
};

// Runs a program directly, without a shell, with /dev/null as input.
// Independent of the program's own process layer, which tests check
// against these streams.
std::optional<ProgramRun> RunProgram(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (error != 0) {
    ::close(fds[0]);
    return std::nullopt;
  }
  ProgramRun run;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    run.output.append(buffer, static_cast<size_t>(got));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

Text WithSeparator(Text directory) {
  if (directory.empty() || directory.back() != '/') directory.push_back('/');
  return directory;
}

// Names the options, so that every set of options has its own cache entry.
Text CacheName(const HlsStreamOptions& options) {
  return "hls-v1-n" + std::to_string(options.segmentCount) + "-d" +
         std::to_string(std::lround(options.segmentSeconds * 1000)) + "ms-s" +
         std::to_string(options.segmentBytes);
}

}  // namespace

Text HlsStream::PlaylistText(const Text& urlPrefix) const {
  double longest = 0;
  for (double duration : segmentDurations) longest = std::max(longest, duration);
  Text text = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:" +
              std::to_string(static_cast<long>(std::ceil(longest))) + "\n#EXT-X-MEDIA-SEQUENCE:0\n";
  for (size_t i = 0; i < segmentNames.size(); ++i)
    text += "#EXTINF:" + Number(segmentDurations[i]) + ",\n" + urlPrefix + segmentNames[i] + "\n";
  text += "#EXT-X-ENDLIST\n";
  return text;
}

std::optional<HlsStream> LoadHlsStream(const Text& directoryText) {
  HlsStream stream;
  stream.directory = WithSeparator(directoryText);
  stream.playlistPath = stream.directory + kPlaylistName;
  std::optional<std::string> playlist = ReadWholeFile(stream.playlistPath);
  if (!playlist) return std::nullopt;
  std::istringstream lines(*playlist);
  std::string line;
  double pendingDuration = -1;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("#EXTINF:", 0) == 0) {
      pendingDuration = std::strtod(line.c_str() + 8, nullptr);
    } else if (!line.empty() && line[0] != '#' && pendingDuration >= 0) {
      Text path = stream.directory + line;
      std::int64_t size = FileSize(path);
      if (size < 0) return std::nullopt;
      stream.segmentNames.push_back(line);
      stream.segmentPaths.push_back(path);
      stream.segmentSizes.push_back(size);
      stream.segmentDurations.push_back(pendingDuration);
      stream.totalSeconds += pendingDuration;
      pendingDuration = -1;
    }
  }
  if (stream.segmentNames.empty()) return std::nullopt;
  return stream;
}

std::optional<HlsStream> GenerateHlsStream(const Text& directoryText,
                                           const HlsStreamOptions& options) {
  if (options.segmentCount <= 0 || options.segmentSeconds <= 0) return std::nullopt;
  Text directory = WithSeparator(directoryText);
  if (!MakeDirectoryPath(directory)) return std::nullopt;
  const std::string os = ToUtf8(directory);
  const std::string seconds = Number(options.segmentSeconds);

  std::vector<std::string> arguments = {
      kFfmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
      "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
      "-t", Number(options.segmentCount * options.segmentSeconds), "-c:v", "libx264", "-preset",
      "ultrafast", "-pix_fmt", "yuv420p",
      // A key frame exactly where each segment is to begin, and nowhere
      // else, so that every segment has the asked duration.
      "-force_key_frames", "expr:gte(t,n_forced*" + seconds + ")", "-g", "100000", "-sc_threshold",
      "0", "-c:a", "aac", "-b:a", std::to_string(kAudioBitsPerSecond), "-f", "hls", "-hls_time",
      seconds, "-hls_list_size", "0", "-hls_segment_filename", os + "seg_%05d.ts"};
  if (options.segmentBytes > 0) {
    // The transport stream muxer pads to a constant rate, which fixes the
    // size of a segment of a known duration.
    auto muxrate = static_cast<long long>(options.segmentBytes * 8 / options.segmentSeconds);
    arguments.push_back("-hls_segment_options");
    arguments.push_back("muxrate=" + std::to_string(muxrate));
  }
  arguments.push_back(os + kPlaylistName);

  std::optional<ProgramRun> run = RunProgram(arguments);
  if (!run || run->exitCode != 0) {
    std::fprintf(stderr, "GenerateHlsStream: ffmpeg failed in %s\n", os.c_str());
    return std::nullopt;
  }
  return LoadHlsStream(directory);
}

std::optional<HlsStream> CachedHlsStream(const Text& cacheDirectoryText,
                                         const HlsStreamOptions& options) {
  Text cacheDirectory = WithSeparator(cacheDirectoryText);
  Text finalDirectory = cacheDirectory + CacheName(options);
  if (std::optional<HlsStream> cached = LoadHlsStream(finalDirectory)) return cached;

  // Generate beside the entry, then move it into place in one step.
  std::random_device seed;
  Text workDirectory =
      finalDirectory + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(seed());
  std::optional<HlsStream> made = GenerateHlsStream(workDirectory, options);
  std::error_code error;
  if (made) std::filesystem::rename(ToUtf8(workDirectory), ToUtf8(finalDirectory), error);
  // On a lost race the other process's entry stands; ours goes.
  std::filesystem::remove_all(ToUtf8(workDirectory), error);
  if (!made) return std::nullopt;
  return LoadHlsStream(finalDirectory);
}

std::optional<MediaProbe> ProbeMedia(const Text& path) {
  std::optional<ProgramRun> run =
      RunProgram({kFfprobe, "-v", "error", "-show_entries", "stream=codec_type:format=duration",
                  "-of", "flat", ToUtf8(path)});
  if (!run || run->exitCode != 0) return std::nullopt;
  MediaProbe probe;
  bool sawDuration = false;
  std::istringstream lines(run->output);
  std::string line;
  // Flat lines name their section: a transport stream lists its streams
  // under its programs too ("programs.program.0.streams..."), counted once.
  while (std::getline(lines, line)) {
    if (line.rfind("streams.stream.", 0) == 0) {
      if (line.ends_with(".codec_type=\"video\"")) ++probe.videoStreams;
      if (line.ends_with(".codec_type=\"audio\"")) ++probe.audioStreams;
    } else if (line.rfind("format.duration=\"", 0) == 0) {
      probe.durationSeconds = std::strtod(line.c_str() + 17, nullptr);
      sawDuration = true;
    }
  }
  if (!sawDuration && probe.videoStreams + probe.audioStreams == 0) return std::nullopt;
  return probe;
}
