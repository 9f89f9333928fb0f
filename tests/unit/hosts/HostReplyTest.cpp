#include "kx/hosts/HostReply.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <boost/beast/core/buffers_range.hpp>
#include <boost/beast/http/serializer.hpp>
#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"
#include "support/Inflate.h"
#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

using test::Inflate;

namespace http = boost::beast::http;

// The bytes the serializer writes for res.
template <class Body>
std::string Wire(http::response<Body>& res) {
  http::response_serializer<Body> serializer(res);
  std::string out;
  boost::beast::error_code ec;
  while (!serializer.is_done() && !ec)
    serializer.next(ec, [&](boost::beast::error_code& error, const auto& buffers) {
      error = {};
      std::size_t n = 0;
      for (auto buffer : boost::beast::buffers_range_ref(buffers)) {
        out.append(static_cast<const char*>(buffer.data()), buffer.size());
        n += buffer.size();
      }
      serializer.consume(n);
    });
  EXPECT_FALSE(ec) << ec.message();
  return out;
}

TReplyPacket Inline(std::string content, std::string contentType = "text/html; charset=UTF-8") {
  TReplyPacket reply;
  reply.DataType = rtInline;
  reply.ContentType = std::move(contentType);
  reply.Content = std::move(content);
  return reply;
}

TEST(ChooseContentCoding, FollowsQualitiesAndOptions) {
  THostCompression all;
  THostCompression noGzip;
  noGzip.AllowGZip = false;
  THostCompression off;
  off.Enabled = false;
  struct {
    const char* accept;
    const THostCompression& options;
    THostContentCoding expected;
  } cases[] = {
      {"gzip, deflate, br", all, THostContentCoding::GZip},
      {"deflate", all, THostContentCoding::Deflate},
      {"gzip;q=0.5, deflate", all, THostContentCoding::Deflate},
      {"gzip;q=0, deflate;q=0", all, THostContentCoding::None},
      {"GZIP", all, THostContentCoding::GZip},
      {"x-gzip", all, THostContentCoding::GZip},
      {"*", all, THostContentCoding::GZip},
      {"*;q=0, deflate", all, THostContentCoding::Deflate},
      {"br, identity", all, THostContentCoding::None},
      {"", all, THostContentCoding::None},
      {"gzip, deflate", noGzip, THostContentCoding::Deflate},
      {"gzip", noGzip, THostContentCoding::None},
      {"gzip, deflate", off, THostContentCoding::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.accept);
    EXPECT_EQ(ChooseContentCoding(c.accept, c.options), c.expected);
  }
}

TEST(CompressBody, GzipAndDeflateRoundTrip) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "line " + std::to_string(i) + "\n";
  std::string gzip = CompressBody(text, THostContentCoding::GZip, 1);
  EXPECT_EQ(gzip.substr(0, 3), "\x1F\x8B\x08");
  EXPECT_EQ(Inflate(gzip, 15 + 16), text);
  std::string deflate = CompressBody(text, THostContentCoding::Deflate, 9);
  EXPECT_EQ(Inflate(deflate, 15), text);
  EXPECT_EQ(Inflate(CompressBody("", THostContentCoding::GZip, 0), 15 + 16), "");
}

TEST(IsCompressibleType, TextScriptJsonXml) {
  for (const char* yes : {"text/html; charset=UTF-8", "application/x-javascript; charset=UTF-8", "application/json",
                          "text/xml", "image/svg+xml", "TEXT/CSS"})
    EXPECT_TRUE(IsCompressibleType(yes)) << yes;
  for (const char* no : {"image/png", "application/zip", "application/x-gzip", "", "application/octet-stream"})
    EXPECT_FALSE(IsCompressibleType(no)) << no;
}

TEST(SetCookieText, WritesAttributesAndDropsInjection) {
  TReplyPacketCookie cookie{"KX_App", "abc_1", "/app/", 0, "", true, false, ""};
  EXPECT_EQ(SetCookieText(cookie), "KX_App=abc_1; path=/app/; HttpOnly");
  cookie = {"c", "", "/", -1, "example.com", false, true, ""};
  EXPECT_EQ(SetCookieText(cookie), "c=; path=/; domain=example.com; expires=Thu, 01 Jan 1970 00:00:00 GMT; secure");
  cookie = {"n\r\n", "v; Domain=evil\r\nSet-Cookie: x=1", "/p;x", 0, "", false, false, ""};
  EXPECT_EQ(SetCookieText(cookie), "n=v Domain=evilSet-Cookie: x=1; path=/px");
  cookie = {"KX_App", "abc_1", "/", 0, "", true, true, "Lax; Domain=evil"};
  EXPECT_EQ(SetCookieText(cookie), "KX_App=abc_1; path=/; secure; HttpOnly; SameSite=Lax Domain=evil");
}

// A cookie that lives a few minutes says so in Max-Age too, counted from its arrival: a browser whose clock runs
// ahead of the server's would read the expires date as past and drop the cookie at once.
TEST(SetCookieText, ACookieWithAnExpiryCarriesItsSecondsToLive) {
  const struct {
    double DaysAhead;
    const char* MaxAge;
  } rows[] = {{10 / 1440.0, "; Max-Age=600"}, {1.0, "; Max-Age=86400"}, {-1 / 1440.0, "; Max-Age=0"}};
  for (const auto& row : rows) {
    const TReplyPacketCookie cookie{"KX_Retry_t", "1:session", "/", Now() + row.DaysAhead, "", false, false, ""};
    const std::string text = SetCookieText(cookie);
    EXPECT_TRUE(text.starts_with("KX_Retry_t=1:session; path=/; expires=")) << text;
    EXPECT_TRUE(text.ends_with(row.MaxAge)) << text;
  }
}

TEST(BuildResponse, InlineReplyWithStatusHeadersAndCookies) {
  TReplyPacket reply = Inline("<p>hi</p>");
  reply.Code = 404;
  reply.CodeText = "Gone\r\nX-Evil: 1";
  reply.Headers = {"Cache-Control: no-cache", "X-A:1", "Content-Length: 999", "Transfer-Encoding: chunked",
                   "Bad Name: x", "X-Split: a\r\nX-Evil: 2", "no colon"};
  reply.Cookies.push_back({"s", "1", "/", 0, "", true, false, ""});
  THostReplyContext context;
  auto res = std::get<THostStringResponse>(BuildResponse(reply, context));
  EXPECT_EQ(res.result_int(), 404u);
  std::string wire = Wire(res);
  EXPECT_EQ(wire,
            "HTTP/1.1 404 GoneX-Evil: 1\r\n"
            "Content-Type: text/html; charset=UTF-8\r\n"
            "Cache-Control: no-cache\r\n"
            "X-A: 1\r\n"
            "X-Split: aX-Evil: 2\r\n"
            "Set-Cookie: s=1; path=/; HttpOnly\r\n"
            "Content-Length: 9\r\n"
            "\r\n<p>hi</p>");
}

TEST(BuildResponse, HandedOverBodyIsSentFromItsOwnMemory) {
  auto bytes = std::make_shared<std::string>(std::string(50000, 'x') + "end");
  const std::string& body = *bytes;
  TReplyBodyHandOver handOver(nullptr);
  handOver.SetBody(bytes, body);
  struct {
    const char* name;
    std::string contentType;
    std::vector<std::string> headers;
    std::uint16_t code;
    bool head;
    std::string acceptEncoding;
    bool fromMemory;
    std::string wireBody;  // what follows the header block; "gzip" stands for the body gzipped
  } cases[] = {
      {"image", "image/gif", {}, 0, false, "gzip", true, body},
      {"coded by the framework", "text/css", {"Content-Encoding: gzip"}, 0, false, "gzip", true, body},
      {"compressed by the host", "text/html", {}, 0, false, "gzip", false, "gzip"},
      {"plain text", "text/html", {}, 0, false, "", true, body},
      {"headers only", "text/html", {}, 0, true, "", false, ""},
      {"not modified", "text/html", {}, 304, false, "", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TReplyPacket reply = Inline("", c.contentType);
    reply.Headers = c.headers;
    reply.Code = c.code;
    THostReplyContext context;
    context.HeadRequest = c.head;
    context.AcceptEncoding = c.acceptEncoding;
    THostResponse response = BuildResponse(reply, context, handOver);
    ASSERT_EQ(std::holds_alternative<THostMemoryResponse>(response), c.fromMemory);
    std::string wire = std::visit([](auto& res) { return Wire(res); }, response);
    std::size_t end = wire.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos);
    const std::string head = wire.substr(0, end + 2), sent = wire.substr(end + 4);
    if (c.wireBody == "gzip") {
      EXPECT_NE(head.find("Content-Encoding: gzip\r\n"), std::string::npos) << head;
      EXPECT_TRUE(Inflate(sent, 31) == body);
    } else {
      EXPECT_TRUE(sent == c.wireBody);
    }
    if (c.code != 304) {
      EXPECT_NE(head.find("Content-Length: "), std::string::npos) << head;
    }
    if (c.fromMemory) {
      EXPECT_EQ(std::get<THostMemoryResponse>(response).body().Bytes.data(), body.data());  // not a copy
      EXPECT_EQ(head.find("Content-Encoding: gzip\r\nContent-Encoding"), std::string::npos);
    }
  }
  // A reply that carries no inline body never takes what a hand-over holds.
  TReplyPacket noData;
  noData.DataType = rtNoData;
  noData.Code = 204;
  THostResponse response = BuildResponse(noData, THostReplyContext(), handOver);
  EXPECT_TRUE(std::get<THostStringResponse>(response).body().empty());
}

TEST(BuildResponse, RealmAsksForBasicCredentials) {
  TReplyPacket reply;
  reply.DataType = rtNoData;
  reply.AuthRealm = "My \"App\"";
  auto res = std::get<THostStringResponse>(BuildResponse(reply, THostReplyContext()));
  EXPECT_EQ(res.result_int(), 401u);
  EXPECT_EQ(res[http::field::www_authenticate], "Basic realm=\"My \\\"App\\\"\"");
  EXPECT_EQ(res[http::field::content_length], "0");
}

TEST(BuildResponse, CompressesWhenAllowed) {
  std::string page(5000, 'x');
  THostReplyContext context;
  context.AcceptEncoding = "gzip, deflate";
  auto res = std::get<THostStringResponse>(BuildResponse(Inline(page), context));
  EXPECT_EQ(res[http::field::content_encoding], "gzip");
  EXPECT_EQ(res[http::field::vary], "Accept-Encoding");
  EXPECT_EQ(res[http::field::content_length], std::to_string(res.body().size()));
  EXPECT_EQ(Inflate(res.body(), 15 + 16), page);

  struct {
    const char* name;
    TReplyPacket reply;
    THostReplyContext context;
  } plain[] = {{"too small", Inline(std::string(1023, 'x')), context},
               {"not text", Inline(page, "image/png"), context},
               {"no Accept-Encoding", Inline(page), THostReplyContext()},
               {"already encoded", Inline(page), context}};
  plain[3].reply.Headers = {"Content-Encoding: gzip"};
  for (auto& c : plain) {
    SCOPED_TRACE(c.name);
    auto r = std::get<THostStringResponse>(BuildResponse(c.reply, c.context));
    EXPECT_EQ(r.body(), c.reply.Content);
    EXPECT_EQ(r.count(http::field::content_encoding), c.reply.Headers.empty() ? 0u : 1u);
  }
}

TEST(BuildResponse, HeadRequestSendsTheLengthOnly) {
  THostReplyContext context;
  context.HeadRequest = true;
  auto res = std::get<THostStringResponse>(BuildResponse(Inline("12345"), context));
  EXPECT_EQ(res[http::field::content_length], "5");
  EXPECT_EQ(Wire(res).find("12345"), std::string::npos);
}

class BuildFileResponseTest : public TempFolderTest {
 protected:
  std::string MakeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(mFolder + name, std::ios::binary) << bytes;
    return mFolder + name;
  }
  // A cache file: content, then the trailer (content type, cache type, href, length, "KXCACHE").
  std::string MakeCacheFile(const std::string& content, const std::string& type, std::uint8_t cacheType) {
    TStreamHelper writer(std::make_unique<TFileStream>(mFolder + "BRM1.tmp", fmCreate));
    writer.Write(content);
    writer.WriteText(type);
    writer.WriteByte(cacheType);
    writer.WriteText("/x/temp/BRM1");
    writer.WriteInt64(std::int64_t(content.size()));
    writer.WriteText("KXCACHE");
    return mFolder + "BRM1.tmp";
  }
};

TEST_F(BuildFileResponseTest, FileIsStreamedAndDeletedWhenAsked) {
  TReplyPacket reply;
  reply.DataType = rtFile;
  reply.ContentType = "application/pdf";
  reply.FileName = MakeFile("a.pdf", "PDF-bytes");
  reply.DeleteFile = true;
  {
    auto res = std::get<THostFileResponse>(BuildResponse(reply, THostReplyContext()));
    EXPECT_EQ(res[http::field::content_length], "9");
    EXPECT_NE(Wire(res).find("\r\n\r\nPDF-bytes"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(reply.FileName));
  }
  EXPECT_FALSE(std::filesystem::exists(reply.FileName));

  reply.FileName = MakeFile("b.pdf", "keep");
  reply.DeleteFile = false;
  { BuildResponse(reply, THostReplyContext()); }
  EXPECT_TRUE(std::filesystem::exists(reply.FileName));

  reply.FileName = mFolder + "missing.pdf";
  auto missing = BuildResponse(reply, THostReplyContext());
  EXPECT_EQ(std::get<THostStringResponse>(missing).result_int(), 404u);
}

TEST_F(BuildFileResponseTest, TextFileIsCompressedAndStillDeleted) {
  TReplyPacket reply;
  reply.DataType = rtFile;
  reply.ContentType = "text/plain";
  reply.FileName = MakeFile("t.txt", std::string(4000, 'a'));
  reply.DeleteFile = true;
  THostReplyContext context;
  context.AcceptEncoding = "deflate";
  auto res = std::get<THostStringResponse>(BuildResponse(reply, context));
  EXPECT_EQ(res[http::field::content_encoding], "deflate");
  EXPECT_EQ(Inflate(res.body(), 15), std::string(4000, 'a'));
  EXPECT_FALSE(std::filesystem::exists(reply.FileName));
}

TEST_F(BuildFileResponseTest, CacheFileSendsItsContentOnly) {
  TReplyPacket reply;
  reply.DataType = rtCacheFile;
  reply.ContentType = "text/html";
  reply.FileName = MakeCacheFile("abc", "image/png", 2);  // ctSession
  {
    auto res = std::get<THostFileResponse>(BuildResponse(reply, THostReplyContext()));
    EXPECT_EQ(res[http::field::content_type], "image/png");
    EXPECT_EQ(res[http::field::content_length], "3");
    std::string wire = Wire(res);
    EXPECT_EQ(wire.substr(wire.size() - 7), "\r\n\r\nabc");
  }
  EXPECT_TRUE(std::filesystem::exists(reply.FileName));

  reply.FileName = MakeCacheFile("once", "text/plain", 0);  // ctOneTime: gone once read
  { BuildResponse(reply, THostReplyContext()); }
  EXPECT_FALSE(std::filesystem::exists(reply.FileName));

  reply.FileName = MakeFile("broken.tmp", "no trailer at all here");
  auto broken = std::get<THostStringResponse>(BuildResponse(reply, THostReplyContext()));
  EXPECT_EQ(broken.result_int(), 500u);
  EXPECT_EQ(broken.body(), "Invalid cache file");
}

}  // namespace
}  // namespace kx
