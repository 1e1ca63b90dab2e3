#include "platform/content_decoder.h"

#include <gtest/gtest.h>

#include "tests/support/gzip.h"

namespace korvan {
namespace {

using Status = ContentDecoder::Status;

// Feeds `data` in pieces of `piece` bytes; the first status other than kOk.
Status Decode(ContentDecoder& decoder, std::string_view data, std::size_t piece, std::string& body,
              std::size_t limit = 1 << 20) {
  for (std::size_t at = 0; at < data.size(); at += piece) {
    const Status s = decoder.Add(data.substr(at, piece), body, limit);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

TEST(ContentDecoderTest, GzipAndDeflateBodiesDecodeInAnyPieces) {
  const std::string page = "<html>" + std::string(100000, 'x') + "百度</html>";
  struct Case {
    const char* encoding;
    std::string data;
    std::string expected;
  } cases[] = {
      {"gzip", testing::Gzip(page), page},
      {"X-GZIP ", testing::Gzip("a") + testing::Gzip("b"), "ab"},  // two members
      {"deflate", testing::Compress(page, 15), page},              // zlib-wrapped
      {"deflate", testing::Compress(page, -15), page},             // raw
      {"identity", page, page},
      {"", page, page},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, c.data.size()}) {
      ContentDecoder decoder(c.encoding);
      std::string body;
      EXPECT_EQ(Decode(decoder, c.data, piece, body), Status::kOk) << c.encoding << " " << piece;
      EXPECT_TRUE(body == c.expected) << c.encoding << " " << piece << ": " << body.size();
    }
  }
}

TEST(ContentDecoderTest, TheLimitStopsABombAndBadDataIsRefused) {
  ContentDecoder bomb("gzip");
  std::string body;
  EXPECT_EQ(Decode(bomb, testing::Gzip(std::string(5000000, 'B')), 4096, body, 1000000),
            Status::kTooLarge);
  EXPECT_EQ(body.size(), 1000000u);

  ContentDecoder at_limit("gzip");
  body.clear();
  EXPECT_EQ(Decode(at_limit, testing::Gzip(std::string(1000000, 'C')), 4096, body, 1000000),
            Status::kOk);
  EXPECT_EQ(body.size(), 1000000u);

  ContentDecoder plain("");
  body.clear();
  EXPECT_EQ(Decode(plain, std::string(1001, 'P'), 100, body, 1000), Status::kTooLarge);

  ContentDecoder corrupt("gzip");
  body.clear();
  EXPECT_EQ(Decode(corrupt, "this is not gzip", 4, body), Status::kCorrupt);
  EXPECT_FALSE(ContentDecoder("br").Supported());
}

}  // namespace
}  // namespace korvan
