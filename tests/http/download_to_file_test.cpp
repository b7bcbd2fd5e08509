#include "http/download_to_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"
#include "support/test_http_server.h"

using testing_support::HttpReply;
using testing_support::TestHttpServer;

namespace {

using Lines = std::vector<std::string>;

struct Call {
  std::int32_t contentLength, received, elapsedMs, chunkBytes;
};

// Records every progress call.
struct Progress {
  std::vector<Call> calls;
  DownloadProgress callback() {
    return [this](std::int32_t length, std::int32_t received, std::int32_t elapsed,
                  std::int32_t chunk) {
      calls.push_back({length, received, elapsed, chunk});
    };
  }
  std::vector<std::int32_t> received() const {
    std::vector<std::int32_t> counts;
    for (const Call& call : calls) counts.push_back(call.received);
    return counts;
  }
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  return bytes;
}

const Lines kHeaderLines = {
    "Accept: */*", "Accept-Language: zh-cn", "Accept-Encoding: gzip, deflate",
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)"};

TEST(DownloadToFile, StreamsTheBodyInChunksOf10240WithProgressAfterEach) {
  TestHttpServer server;
  const std::string body = Pattern(25000);
  server.Serve("/whole", HttpReply::Ok(body));
  HttpReply chunked = HttpReply::Ok(body);
  chunked.framing = HttpReply::Framing::kChunked;
  chunked.chunkBytes = 777;  // the network's pieces do not show through
  server.Serve("/chunked", chunked);
  TempDir dir;
  HttpBackend backend;
  for (const char* path : {"/whole", "/chunked"}) {
    SCOPED_TRACE(path);
    Progress progress;
    int status = -1;
    EXPECT_EQ(DownloadToFile(backend, server.Url(path), dir / "ffmpeg", progress.callback(),
                             std::nullopt, &status),
              0);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(ReadWholeFile(dir / "ffmpeg"), body);
    EXPECT_EQ(progress.received(), (std::vector<std::int32_t>{10240, 20480, 25000}));
    ASSERT_EQ(progress.calls.size(), 3u);
    EXPECT_EQ(progress.calls[2].chunkBytes, 4520);
    const std::int32_t announced = std::string(path) == "/whole" ? 25000 : 0;
    for (const Call& call : progress.calls) {
      EXPECT_EQ(call.contentLength, announced);
      EXPECT_GT(call.elapsedMs, 0);
    }
  }
  const auto request = server.Requests().at(0);
  Lines expected = {"Host: " + server.hostAndPort()};
  expected.insert(expected.end(), kHeaderLines.begin(), kHeaderLines.end());
  EXPECT_EQ(request.headerLines, expected);
}

TEST(DownloadToFile, RangeStartAsksForTheRestAndCountsFromZero) {
  TestHttpServer server;
  const std::string body = Pattern(3000);
  server.Handle("/file", [&](const testing_support::RecordedRequest& request) {
    if (request.Header("Range") == "bytes=1000-") return HttpReply::Ok(body.substr(1000), 206);
    return HttpReply::Ok(body);
  });
  TempDir dir;
  HttpBackend backend;
  Progress progress;
  EXPECT_EQ(DownloadToFile(backend, server.Url("/file"), dir / "part", progress.callback(), 1000),
            0);
  EXPECT_EQ(ReadWholeFile(dir / "part"), body.substr(1000));
  EXPECT_EQ(progress.received(), (std::vector<std::int32_t>{2000}));
  EXPECT_EQ(server.Requests().at(0).headerLines.back(), "Range:bytes=1000-");
  EXPECT_EQ(DownloadHeaderText(1000),
            "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
            "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR "
            "1.1.4322)\r\nRange:bytes=1000-");
}

TEST(DownloadToFile, StoresWhatCameErrorPagesAndCompressedBodiesIncluded) {
  TestHttpServer server;
  server.Serve("/missing", HttpReply::Ok("<h1>404</h1>", 404));
  server.Serve("/gz", HttpReply::Gzipped(Pattern(5000)));
  server.Serve("/empty", HttpReply::Ok(""));
  TempDir dir;
  HttpBackend backend;
  int status = 0;
  EXPECT_EQ(DownloadToFile(backend, server.Url("/missing"), dir / "a", {}, std::nullopt, &status),
            0);
  EXPECT_EQ(status, 404);
  EXPECT_EQ(ReadWholeFile(dir / "a"), "<h1>404</h1>");
  EXPECT_EQ(DownloadToFile(backend, server.Url("/gz"), dir / "b", {}), 0);
  EXPECT_EQ(ReadWholeFile(dir / "b"), testing_support::GzipBytes(Pattern(5000)));

  // An empty body empties an existing file, without a progress call.
  ASSERT_TRUE(WriteWholeFile(dir / "c", "old content"));
  Progress progress;
  EXPECT_EQ(DownloadToFile(backend, server.Url("/empty"), dir / "c", progress.callback()), 0);
  EXPECT_EQ(ReadWholeFile(dir / "c"), "");
  EXPECT_TRUE(progress.calls.empty());
}

TEST(DownloadToFile, ReadsFileAddresses) {
  TempDir dir;
  const std::string bytes = Pattern(12345);
  ASSERT_TRUE(WriteWholeFile(dir / "source", bytes));
  HttpBackend backend;
  Progress progress;
  EXPECT_EQ(
      DownloadToFile(backend, "file://" + dir.path() + "source", dir / "copy", progress.callback()),
      0);
  EXPECT_EQ(ReadWholeFile(dir / "copy"), bytes);
  EXPECT_EQ(progress.received(), (std::vector<std::int32_t>{10240, 12345}));
}

TEST(DownloadToFile, FailuresReturnMinusOneAndKeepWhatWasWritten) {
  TestHttpServer server;
  const std::string body = Pattern(25000);
  HttpReply cut = HttpReply::Ok(body);
  cut.closeAfterBodyBytes = 15000;
  server.Serve("/cut", cut);
  HttpReply silent;
  silent.stall = true;
  server.Serve("/stall", silent);
  server.Serve("/ok", HttpReply::Ok("fine"));
  TestHttpServer tls({.tls = true});
  tls.Serve("/ffmpeg", HttpReply::Ok("binary"));
  TempDir dir;
  HttpBackend backend({.timeoutCeilingMs = 500});

  // Cut mid-body: the full chunk stays, the broken rest does not count.
  Progress progress;
  EXPECT_EQ(DownloadToFile(backend, server.Url("/cut"), dir / "cut", progress.callback()), -1);
  EXPECT_EQ(ReadWholeFile(dir / "cut"), body.substr(0, 10240));
  EXPECT_EQ(progress.received(), (std::vector<std::int32_t>{10240}));

  // Failures before the first byte leave an existing file as it was.
  ASSERT_TRUE(WriteWholeFile(dir / "kept", "previous"));
  int closedPort;
  {
    TestHttpServer gone;
    closedPort = gone.port();
  }
  const std::string failing[] = {tls.Url("/ffmpeg"),  // a self-signed certificate is refused
                                 server.Url("/stall"),
                                 "http://127.0.0.1:" + std::to_string(closedPort) + "/x",
                                 "file://" + dir.path() + "no-such-file"};
  for (const std::string& url : failing) {
    EXPECT_EQ(DownloadToFile(backend, url, dir / "kept", {}), -1) << url;
    EXPECT_EQ(ReadWholeFile(dir / "kept"), "previous") << url;
  }
  EXPECT_TRUE(tls.Requests().empty());
  // A file that cannot be created.
  EXPECT_EQ(DownloadToFile(backend, server.Url("/ok"), dir / "no-dir/file", {}), -1);
  server.ReleaseStalled();
}

}  // namespace
