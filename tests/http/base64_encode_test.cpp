#include "http/base64_encode.h"

#include <gtest/gtest.h>

namespace {

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(Base64Encode, Rfc4648VectorsAndBinaryBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"user:p@ss", "dXNlcjpwQHNz"},
      {std::string("\xFB\xFF\x00", 3), "+/8A"},
      // Long input stays on one line (no MIME line breaks at 76).
      {std::string(60, 'a'), Repeat("YWFh", 20)},
  };
  for (const auto& [data, expected] : cases) EXPECT_EQ(Base64Encode(data), expected) << data;
}

}  // namespace
