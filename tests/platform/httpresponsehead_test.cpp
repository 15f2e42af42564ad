// The head of an update server's answer, parsed from literal bytes.
#include <gtest/gtest.h>

#include "platform/HttpResponseHead.h"

namespace vz::platform {
namespace {

TEST(HttpResponseHead, ReadsStatusLengthAndLocation) {
  HttpResponseHead ok = ParseResponseHead("HTTP/1.1 200 OK\r\ncontent-LENGTH:  3000 \r\nX-A: b\r\n\r\n");
  EXPECT_TRUE(ok.valid);
  EXPECT_EQ(200, ok.status);
  EXPECT_EQ(3000, ok.contentLength);

  HttpResponseHead moved = ParseResponseHead("HTTP/1.0 302 Found\nLocation: /qv/x\n");
  EXPECT_TRUE(moved.valid);
  EXPECT_EQ(302, moved.status);
  EXPECT_EQ(-1, moved.contentLength);
  EXPECT_EQ("/qv/x", moved.location);

  // A chunked body announces no length, whatever else is said.
  EXPECT_EQ(-1, ParseResponseHead("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n").contentLength);
  // The same length twice is one length.
  EXPECT_EQ(7, ParseResponseHead("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nContent-Length: 7\r\n").contentLength);
}

TEST(HttpResponseHead, RefusesWhatAServerMustNotSend) {
  const char* bad[] = {
      "",
      "HTTP/2 200 OK\r\n",
      "HTTP/1.1 20 OK\r\n",
      "HTTP/1.1 2000 OK\r\n",
      "ICY 200 OK\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Length: 11\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length:\r\n",
      "HTTP/1.1 200 OK\r\n folded: line\r\n",
      "HTTP/1.1 200 OK\r\nno colon here\r\n",
  };
  for (const char* text : bad) EXPECT_FALSE(ParseResponseHead(text).valid) << text;
}

}  // namespace
}  // namespace vz::platform
