#include "support/hls_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

TEST(HlsStream, GeneratesPlayableSegmentsOfTheAskedDuration) {
  TempDir dir;
  std::optional<HlsStream> stream = GenerateHlsStream(dir / "s", {.segmentCount = 8});
  ASSERT_TRUE(stream);
  ASSERT_EQ(8u, stream->segmentPaths.size());
  EXPECT_NEAR(8.0, stream->totalSeconds, 0.05);
  std::string joined;
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_NEAR(1.0, stream->segmentDurations[i], 0.05);
    EXPECT_EQ(stream->segmentSizes[i], FileSize(stream->segmentPaths[i]));
    EXPECT_GT(stream->segmentSizes[i], 0);
    joined += ReadWholeFile(stream->segmentPaths[i]).value_or("");
  }
  // Joined byte for byte, the segments are one transport stream.
  ASSERT_TRUE(WriteWholeFile(dir / "joined.ts", joined));
  std::optional<MediaProbe> probe = ProbeMedia(dir / "joined.ts");
  ASSERT_TRUE(probe);
  EXPECT_EQ(1, probe->videoStreams);
  EXPECT_EQ(1, probe->audioStreams);
  EXPECT_NEAR(8.0, probe->durationSeconds, 0.2);

  Text playlist = stream->PlaylistText("http://127.0.0.1:8/");
  EXPECT_TRUE(playlist.starts_with("#EXTM3U\n"));
  EXPECT_TRUE(playlist.ends_with("#EXT-X-ENDLIST\n"));
  size_t first = playlist.find("http://127.0.0.1:8/" + stream->segmentNames[0] + "\n");
  size_t last = playlist.find("http://127.0.0.1:8/" + stream->segmentNames[7] + "\n");
  EXPECT_NE(Text::npos, first);
  EXPECT_NE(Text::npos, last);
  EXPECT_LT(first, last);
}

TEST(HlsStream, ATargetSizeIsMetAndACachedStreamIsReused) {
  TempDir cache;
  HlsStreamOptions options{.segmentCount = 3, .segmentSeconds = 1.0, .segmentBytes = 150000};
  std::optional<HlsStream> made = CachedHlsStream(cache.path(), options);
  ASSERT_TRUE(made);
  for (std::int64_t size : made->segmentSizes) EXPECT_NEAR(150000, size, 15000);

  ASSERT_TRUE(WriteWholeFile(made->directory + "marker", "x"));
  std::optional<HlsStream> again = CachedHlsStream(cache.path(), options);
  ASSERT_TRUE(again);
  EXPECT_EQ(made->segmentPaths, again->segmentPaths);
  EXPECT_TRUE(FileExists(again->directory + "marker"));  // found, not made anew
  // The entry alone: no half-made directory is left behind.
  auto entries = std::filesystem::directory_iterator(ToUtf8(cache.path()));
  EXPECT_EQ(1, std::distance(begin(entries), end(entries)));
}

}  // namespace
