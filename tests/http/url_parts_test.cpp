#include "http/url_parts.h"

#include <gtest/gtest.h>

#include "support/gbk_text.h"

namespace {

struct UrlCase {
  const char* url;
  const char* host;
  std::int32_t port;
  const char* path;
};

TEST(UrlParts, SplitAddressesAsThePlaylistRequestConnects) {
  const UrlCase cases[] = {
      {"http://Media.Example.COM", "media.example.com", 80, "/"},
      {"HTTP://Media.Example.com:8080/Hls/List.m3u8?k=Ab&t=1", "media.example.com", 8080,
       "/Hls/List.m3u8?k=Ab&t=1"},
      {"Media.Example.com/hls/a.m3u8", "media.example.com", 80, "/hls/a.m3u8"},
      {"https://Media.Example.com/hls/a.m3u8", "https", 0, "//Media.Example.com/hls/a.m3u8"},
      {"https://", "https", 0, "//"},
      {"http://h:/p", "h", 0, "/p"},
      {"http://h:81x/p", "h", 81, "/p"},
      {"http://h?x=/y", "h?x=", 80, "/y"},
      // A host that also occurs inside the scheme is looked for after it.
      {"http://t/p/q", "t", 80, "/p/q"},
      {"http://P:9/a", "p", 9, "/a"},
      {"http://中文.网/视频.m3u8", "中文.网", 80, "/视频.m3u8"},
      {"", "", 80, "/"},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_TEXT_EQ(c.host, UrlHost(c.url));
    EXPECT_EQ(c.port, UrlPort(c.url));
    EXPECT_TEXT_EQ(c.path, UrlPath(c.url));
  }
}

}  // namespace
