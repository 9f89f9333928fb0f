#include "kx/foundation/HttpReply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include "kx/foundation/FileUtils.h"
#include "kx/foundation/HttpDates.h"
#include "support/ScopedTimeZone.h"
#include "support/TempFolder.h"
#include "support/Raised.h"

namespace kx {
namespace {

using Buffer = std::vector<std::uint8_t>;

using test::MessageOf;

// The reply and the host buffer it commits into.
class THttpReplyTest : public TempFolderTest {
 protected:
  TReplyPacket CommitAndRead() {
    mReply.Commit();
    return ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size()));
  }

  // The header value of the last line with that name ("name:value" or "name: value"), or "(none)".
  static std::string HeaderOf(const TReplyPacket& packet, const std::string& name) {
    std::string value = "(none)";
    for (const std::string& line : packet.Headers)
      if (line.size() > name.size() && line[name.size()] == ':' && SameText(line.substr(0, name.size()), name))
        value = Trim(line.substr(name.size() + 1));
    return value;
  }

  Buffer mBuffer = Buffer(THttpPacket::HostBufferSize);
  THttpReply mReply{mBuffer.data(), std::int32_t(mBuffer.size())};
};

// The raw reply body up to the cookies, for what the host-side reader refuses or converts.
struct TRawReply {
  std::uint8_t DataType;
  std::uint16_t Code;
  std::string ContentType;
  std::string HeaderText;
  std::vector<std::string> CookieExpiryTexts;
};

TRawReply ReadRaw(const Buffer& buffer) {
  auto stream = THttpPacket::GetStream(buffer.data(), std::int64_t(buffer.size()));
  THttpPacket::CheckSig(*stream);
  TPacketReader reader(*stream);
  TRawReply raw;
  raw.DataType = reader.ReadByte();
  raw.Code = reader.ReadWord();
  reader.ReadText();
  raw.ContentType = reader.ReadText();
  reader.ReadText();
  raw.HeaderText = reader.ReadText();
  for (std::int32_t i = 0, count = reader.ReadInteger(); i < count; ++i) {
    reader.ReadText();
    reader.ReadText();
    reader.ReadText();
    raw.CookieExpiryTexts.push_back(reader.ReadText());
    reader.ReadText();
    reader.ReadBoolean();
    reader.ReadBoolean();
    reader.ReadText();
  }
  return raw;
}

// A reply packet whose content is the signature followed by what body writes.
Buffer ReplyPacketOf(const std::function<void(TStreamHelper&)>& body) {
  TKXRenderStream content(true, false);
  THttpPacket::WriteSig(content);
  body(content);
  Buffer buffer(THttpPacket::HostBufferSize);
  buffer.resize(std::size_t(THttpPacket::Encode(*content.HsmStream(), buffer.data(), std::int64_t(buffer.size()))));
  return buffer;
}

void WriteReplyHead(TStreamHelper& body, std::uint8_t dataType) {
  body.WriteByte(dataType);
  body.WriteWord(200);
  for (int i = 0; i < 4; ++i) body.WriteText("");
}

std::string FileBytes(const std::string& name) { return FileContents(name); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction and a reply nobody filled

TEST(THttpReply, ConstructionMarksTheBufferAsHoldingNoPacket) {
  Buffer buffer(THttpPacket::HostBufferSize, 0x07);
  THttpReply reply(buffer.data(), std::int32_t(buffer.size()));
  EXPECT_EQ(Buffer(buffer.begin(), buffer.begin() + 9), (Buffer{0x00, 0x80, 0, 0, 0, 0, 0, 0, 0x07}));
  EXPECT_EQ(MessageOf([&] { ReadReplyPacket(buffer.data(), std::int64_t(buffer.size())); }),
            "No stream signature found.");

  // A buffer too small for the mark is left alone.
  Buffer small(4, 0x07);
  THttpReply smallReply(small.data(), 4);
  EXPECT_EQ(small, Buffer(4, 0x07));
}

TEST_F(THttpReplyTest, FreshReplyCommitsTypeNoneWithNoCacheHeaders) {
  mReply.Commit();
  EXPECT_EQ(Buffer(mBuffer.begin(), mBuffer.begin() + 17),
            (Buffer{0x07, 0x08, 0x22, 0x07, 0x06, 0, 0, 0, 0, 0x07, 0x08, 0x22, 0x07, 0x06, 0, 0, 0}));
  TRawReply raw = ReadRaw(mBuffer);
  EXPECT_EQ(raw.DataType, rtNone);
  EXPECT_EQ(raw.Code, 200);
  EXPECT_EQ(raw.ContentType, "text/html; charset=UTF-8");
  EXPECT_EQ(raw.HeaderText, "Cache-Control:no-cache\r\nPragma:no-cache\r\n");
  EXPECT_TRUE(raw.CookieExpiryTexts.empty());
  EXPECT_EQ(MessageOf([&] { ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())); }),
            "Uninitialized reply.");
}

// ---------------------------------------------------------------------------
// Caching headers

TEST_F(THttpReplyTest, CachingReplyGetsLastModifiedPrivateAndExpiresAfterTheDefaultTTL) {
  test::ScopedTimeZone zone(test::kCET);
  mReply.SetCode(200);
  mReply.SetAllowCaching(true);
  mReply.SetLastModified(EncodeDateTime(2024, 1, 15, 12, 0, 0, 0));
  const TDateTime before = Now();
  TReplyPacket packet = CommitAndRead();
  const TDateTime after = Now();

  EXPECT_EQ(HeaderOf(packet, "Last-Modified"), "Mon, 15 Jan 2024 11:00:00 GMT");
  EXPECT_EQ(HeaderOf(packet, "Cache-Control"), "private");
  EXPECT_EQ(HeaderOf(packet, "Pragma"), "(none)");
  EXPECT_GE(mReply.Expires(), before + 120 / kMinsPerDay);
  EXPECT_LE(mReply.Expires(), after + 120 / kMinsPerDay);
  EXPECT_EQ(HeaderOf(packet, "Expires"), LocalDateTimeToHttpStr(mReply.Expires()));
  EXPECT_EQ(packet.DataType, rtNoData);
}

TEST_F(THttpReplyTest, NotModifiedReplyGetsDateAndExpiresButNoNoCacheHeaders) {
  test::ScopedTimeZone zone(test::kUTC);
  mReply.SetCode(304);
  mReply.SetCacheTTL(10);
  const TDateTime before = Now();
  TReplyPacket packet = CommitAndRead();

  EXPECT_EQ(packet.Code, 304);
  EXPECT_EQ(HeaderOf(packet, "Cache-Control"), "(none)");
  EXPECT_EQ(HeaderOf(packet, "Pragma"), "(none)");
  EXPECT_NE(HeaderOf(packet, "Date"), "(none)");
  EXPECT_NEAR(mReply.Expires(), before + 10 / kMinsPerDay, 5 / kSecsPerDay);
  EXPECT_EQ(HeaderOf(packet, "Expires"), LocalDateTimeToHttpStr(mReply.Expires()));
}

TEST_F(THttpReplyTest, SetExpiresKeepsThatExpiryAndCacheTTLResetsIt) {
  test::ScopedTimeZone zone(test::kUTC);
  const TDateTime expires = EncodeDateTime(2030, 6, 1, 8, 30, 0, 0);
  mReply.SetCode(200);
  mReply.SetAllowCaching(true);
  mReply.SetExpires(expires);
  EXPECT_EQ(mReply.CacheTTL(), -1);
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(HeaderOf(packet, "Expires"), "Sat, 01 Jun 2030 08:30:00 GMT");
  EXPECT_EQ(mReply.Expires(), expires);

  mReply.SetCacheTTL(5);
  EXPECT_EQ(mReply.Expires(), 0);
}

TEST_F(THttpReplyTest, CachingHeadersReplaceLinesOfTheSameNameAndCanBeDisabled) {
  mReply.SetCode(200);
  mReply.AddHeader("cache-control", "max-age=60");
  mReply.AddHeader("X-Own", "1");
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.Headers, (std::vector<std::string>{"Cache-Control:no-cache", "X-Own: 1", "Pragma:no-cache"}));

  THttpReply quiet(mBuffer.data(), std::int32_t(mBuffer.size()));
  quiet.SetCacheControlEnabled(false);
  quiet.SetCode(200);
  quiet.Commit();
  EXPECT_TRUE(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())).Headers.empty());
}

TEST_F(THttpReplyTest, SetHeadersKeepsTheColonSeparator) {
  TStringList lines;
  lines.Add("Cache-Control: max-age=60");
  mReply.SetHeaders(lines);
  mReply.SetCode(200);
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.Headers, (std::vector<std::string>{"Cache-Control:no-cache", "Pragma:no-cache"}));
}

TEST_F(THttpReplyTest, CompatibilityHeaderOnlyFor200HtmlReplies) {
  struct Case {
    std::uint16_t code;
    const char* contentType;
    const char* header;
  } cases[] = {{200, "TEXT/HTML; CHARSET=utf-8", "IE=edge"},
               {404, "text/html; charset=UTF-8", "(none)"},
               {200, "text/plain", "(none)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contentType);
    THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
    reply.SetCode(c.code);
    reply.SetContentType(c.contentType);
    reply.SetIECompatibilityMode("IE=edge");
    reply.Commit();
    EXPECT_EQ(HeaderOf(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())), "X-UA-Compatible"), c.header);
  }
}

TEST_F(THttpReplyTest, DefaultCacheSettingsApplyToNewReplies) {
  THttpReply::SetDefaultCacheTTL(30);
  THttpReply::SetDefaultCacheControl("public");
  THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
  THttpReply::SetDefaultCacheTTL(120);
  EXPECT_EQ(reply.CacheTTL(), 30);
  reply.SetAllowCaching(true);
  reply.SetCode(200);
  reply.Commit();
  THttpReply::SetDefaultCacheControl("private");
  EXPECT_EQ(HeaderOf(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())), "Cache-Control"), "public");
}

// ---------------------------------------------------------------------------
// Choosing the body

TEST_F(THttpReplyTest, WriteStringAppendsToAnInlineBody) {
  mReply.WriteString("<p>é");
  mReply.WriteString("</p>");
  EXPECT_EQ(mReply.DataType(), rtInline);
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.DataType, rtInline);
  EXPECT_EQ(packet.Content, "<p>é</p>");
  EXPECT_EQ(packet.ContentType, "text/html; charset=UTF-8");
}

TEST_F(THttpReplyTest, OnceABodyIsChosenStatusAndBodyChangesRaise) {
  const std::function<void(THttpReply&)> bodies[] = {
      [](THttpReply& r) { r.WriteString("x"); },
      [](THttpReply& r) { r.SendFile("/srv/a.pdf", false, false); },
      [](THttpReply& r) { r.SendCacheFile("/srv/cache/BRM1.tmp"); },
      [](THttpReply& r) { r.SendStream(std::make_unique<TKXMemoryStream>(0), false); },
  };
  const std::function<void(THttpReply&)> laterCalls[] = {
      [](THttpReply& r) { r.SetCode(404); },
      [](THttpReply& r) { r.SendRedirect("/elsewhere"); },
      [](THttpReply& r) { r.SendFile("/srv/b.pdf", false, false); },
      [](THttpReply& r) { r.SendCacheFile("/srv/cache/BRM2.tmp"); },
  };
  for (std::size_t b = 0; b < std::size(bodies); ++b)
    for (std::size_t l = 0; l < std::size(laterCalls); ++l) {
      SCOPED_TRACE(testing::Message() << "body " << b << ", later call " << l);
      THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
      reply.SetCode(201);
      bodies[b](reply);
      EXPECT_EQ(MessageOf([&] { laterCalls[l](reply); }), "Reply type already set.");
      EXPECT_EQ(reply.Code(), 201);
    }
  // An inline body after a file body.
  mReply.SendFile("/srv/a.pdf", false, false);
  EXPECT_EQ(MessageOf([&] { mReply.WriteString("x"); }), "Reply type already set.");
}

TEST_F(THttpReplyTest, ResetReplyTypeAllowsANewChoice) {
  mReply.SendFile("/srv/a.pdf", false, false);
  mReply.ResetReplyType();
  mReply.SetCode(304);
  EXPECT_EQ(CommitAndRead().DataType, rtNoData);
}

TEST_F(THttpReplyTest, ASecondStreamRaisesAndStaysWithTheCaller) {
  mReply.SendStream(std::make_unique<TKXMemoryStream>(0), true);
  auto second = std::make_unique<TKXMemoryStream>(0);
  EXPECT_EQ(MessageOf([&] { mReply.SendStream(std::move(second), false); }), "ContentStream already exists.");
  EXPECT_NE(second, nullptr);
  EXPECT_FALSE(mReply.CacheControlEnabled());  // untouched by the refused call

  THttpReply afterFile(mBuffer.data(), std::int32_t(mBuffer.size()));
  afterFile.SendFile("/srv/a.pdf", false, false);
  EXPECT_EQ(MessageOf([&] { afterFile.SendStream(std::move(second), false); }), "Reply type already set.");
  EXPECT_NE(second, nullptr);
}

TEST_F(THttpReplyTest, StreamBodyIsSentFromItsStart) {
  auto stream = std::make_unique<TKXMemoryStream>(0);
  TStreamHelper(stream.get(), false).Write("stream body");  // position left at the end
  mReply.SendStream(std::move(stream), true);
  EXPECT_TRUE(mReply.SendingFile());
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.Content, "stream body");
  EXPECT_TRUE(packet.Headers.empty());  // the caller manages caching
  EXPECT_FALSE(mReply.SendingFile());
}

TEST_F(THttpReplyTest, FileAndCacheFilePayloads) {
  mReply.SendFile("/srv/files/a b.pdf", false, true);
  mReply.SetContentType("application/pdf");
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.DataType, rtFile);
  EXPECT_EQ(packet.FileName, "/srv/files/a b.pdf");
  EXPECT_TRUE(packet.DeleteFile);
  EXPECT_EQ(packet.ContentType, "application/pdf");

  THttpReply cached(mBuffer.data(), std::int32_t(mBuffer.size()));
  cached.SendCacheFile("/srv/cache/BRM7.tmp");
  cached.Commit();
  packet = ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size()));
  EXPECT_EQ(packet.DataType, rtCacheFile);
  EXPECT_EQ(packet.FileName, "/srv/cache/BRM7.tmp");
  EXPECT_FALSE(packet.DeleteFile);
}

// ---------------------------------------------------------------------------
// Bodies that spilled into a file

TEST_F(THttpReplyTest, LargeWriteStringBodyTravelsAsAFileTheHostDeletes) {
  const std::string body(40000, 'b');
  mReply.WriteString(body.substr(0, 30000));
  mReply.WriteString(body.substr(30000));
  TReplyPacket packet = CommitAndRead();

  EXPECT_EQ(packet.DataType, rtFile);
  EXPECT_EQ(packet.FileName.rfind(mFolder + "BRM", 0), 0u) << packet.FileName;
  EXPECT_TRUE(packet.DeleteFile);
  EXPECT_EQ(FileBytes(packet.FileName), body);
  EXPECT_EQ(HeaderOf(packet, "Cache-Control"), "no-cache");
  // The host sends the file and deletes it: nothing else is left behind.
  std::filesystem::remove(packet.FileName);
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THttpReplyTest, SpilledBodyOfAReplyNeverCommittedIsDeleted) {
  {
    THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
    reply.WriteString(std::string(40000, 'b'));
    ASSERT_EQ(FileCount(), 1u);
  }
  EXPECT_EQ(FileCount(), 0u);

  mReply.WriteString(std::string(40000, 'b'));
  mReply.Clear();
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THttpReplyTest, SpilledStreamKeepsTheCallersCachingChoice) {
  auto stream = std::make_unique<THsmStream>(100, true);
  TStreamHelper(stream.get(), false).Write(std::string(200, 's'));
  ASSERT_TRUE(stream->IsFlushed());
  mReply.SendStream(std::move(stream), true);
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.DataType, rtFile);
  EXPECT_TRUE(packet.DeleteFile);
  EXPECT_EQ(FileBytes(packet.FileName), std::string(200, 's'));  // transient, yet handed over
  EXPECT_TRUE(packet.Headers.empty());
}

TEST_F(THttpReplyTest, HsmStreamInMemoryIsRewoundAndSentInline) {
  auto stream = std::make_unique<THsmStream>(THttpReply::ContentFlushSize, true);
  TStreamHelper(stream.get(), false).Write("hsm body");
  mReply.SendHsmStream(std::move(stream));
  EXPECT_EQ(CommitAndRead().Content, "hsm body");
}

TEST_F(THttpReplyTest, FlushedHsmStreamIsSentAsItsFile) {
  auto stream = std::make_unique<THsmStream>(10, true);  // transient: the file must still survive
  TStreamHelper(stream.get(), false).Write("more than ten bytes");
  mReply.SendHsmStream(std::move(stream));
  EXPECT_EQ(stream, nullptr);
  EXPECT_EQ(mReply.DataType(), rtFile);
  TReplyPacket packet = CommitAndRead();
  EXPECT_TRUE(packet.DeleteFile);
  EXPECT_EQ(FileBytes(packet.FileName), "more than ten bytes");
}

TEST_F(THttpReplyTest, RenderStreamBodies) {
  for (bool ownsStream : {true, false}) {
    SCOPED_TRACE(ownsStream);
    auto small = std::make_unique<TKXRenderStream>(ownsStream, true);
    small->Write("<html/>");
    THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
    reply.SendRenderStream(std::move(small));
    EXPECT_EQ(MessageOf([&] { reply.SendRenderStream(std::make_unique<TKXRenderStream>(true, true)); }),
              "ContentStream already exists.");
    reply.Commit();
    EXPECT_EQ(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())).Content, "<html/>");

    auto large = std::make_unique<TKXRenderStream>(ownsStream, true);
    large->Write(std::string(40000, 'r'));
    THttpReply spilled(mBuffer.data(), std::int32_t(mBuffer.size()));
    spilled.SendRenderStream(std::move(large));
    spilled.Commit();
    TReplyPacket packet = ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size()));
    EXPECT_EQ(packet.DataType, rtFile);
    EXPECT_TRUE(packet.DeleteFile);
    EXPECT_EQ(FileBytes(packet.FileName).size(), 40000u);
    std::filesystem::remove(packet.FileName);
  }
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THttpReplyTest, RefusedRenderStreamStaysWithTheCaller) {
  mReply.SendFile("/srv/a.pdf", false, false);
  auto stream = std::make_unique<TKXRenderStream>(true, true);
  EXPECT_EQ(MessageOf([&] { mReply.SendRenderStream(std::move(stream)); }), "Reply type already set.");
  EXPECT_NE(stream, nullptr);
}

TEST_F(THttpReplyTest, LargeInlinePacketTravelsAsAFileTheReaderDeletes) {
  auto stream = std::make_unique<TKXMemoryStream>(0);
  TStreamHelper(stream.get(), false).Write(std::string(100000, 'm'));
  mReply.SendStream(std::move(stream), false);
  mReply.Commit();
  EXPECT_EQ(mBuffer[8], ptFile);
  EXPECT_EQ(FileCount(), 1u);
  EXPECT_EQ(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())).Content, std::string(100000, 'm'));
  EXPECT_EQ(FileCount(), 0u);
}

// ---------------------------------------------------------------------------
// Bodies handed over in memory to an in-process host

namespace {

// Bytes that differ from position to position, so that a shifted or cut copy shows.
std::string Patterned(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = char('a' + (i * 7 + i / 251) % 26);
  return text;
}

const std::string& StaticBytes() {
  static const std::string bytes = Patterned(50000);
  return bytes;
}

}  // namespace

TEST_F(THttpReplyTest, BodiesUpToTheBoundAreHandedOverAndThePacketCarriesNoContent) {
  const std::int64_t bound = TReplyBodyHandOver::MemoryBound;
  struct {
    const char* name;
    std::size_t size;
    std::function<void(THttpReply&, const std::string&)> send;
  } cases[] = {
      {"WriteString past the packet", 100000, [](THttpReply& r, const std::string& b) { r.WriteString(b); }},
      {"WriteString at the bound", std::size_t(bound),
       [](THttpReply& r, const std::string& b) {
         r.WriteString(std::string_view(b).substr(0, 1000));
         r.WriteString(std::string_view(b).substr(1000));
       }},
      {"render stream", 70000,
       [](THttpReply& r, const std::string& b) {
         auto stream = std::make_unique<TKXRenderStream>(true, false, THttpReply::BodyFlushSize());
         stream->Write(b);
         r.SendRenderStream(std::move(stream));
       }},
      {"render stream it does not own", 70000,
       [](THttpReply& r, const std::string& b) {
         auto stream = std::make_unique<TKXRenderStream>(false, false, THttpReply::BodyFlushSize());
         stream->Write(b);
         r.SendRenderStream(std::move(stream));
       }},
      {"memory stream", 40000,
       [](THttpReply& r, const std::string& b) {
         auto stream = std::make_unique<TMemoryStream>();
         TStreamHelper(stream.get(), false).Write(b);
         r.SendStream(std::move(stream), false);
       }},
      {"file stream", 40000,
       [this](THttpReply& r, const std::string& b) {
         std::string name = mFolder + "source.bin";
         {
           TFileStream(name, fmCreate).WriteBuffer(b.data(), std::int64_t(b.size()));
         }
         auto stream = std::make_unique<TReadFileStream>(name, true);
         r.SendStream(std::move(stream), false);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string body = Patterned(c.size);
    TReplyBodyHandOver handOver(mBuffer.data());
    ASSERT_EQ(TReplyBodyHandOver::Current(), &handOver);
    {
      THttpReply reply(mBuffer.data(), std::int32_t(mBuffer.size()));
      c.send(reply, body);
      reply.Commit();
      EXPECT_EQ(FileCount(), 0u);  // nothing spilled, neither body nor packet
      EXPECT_EQ(mBuffer[8], ptInline);
    }
    TReplyPacket packet = ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size()));
    EXPECT_EQ(packet.DataType, rtInline);
    EXPECT_EQ(packet.Content, "");
    ASSERT_TRUE(handOver.HasBody());
    EXPECT_TRUE(handOver.Body() == body);  // the reply is gone; the hand-over keeps the bytes
  }
  EXPECT_EQ(TReplyBodyHandOver::Current(), nullptr);
}

TEST_F(THttpReplyTest, HandedOverMemoryIsTheStreamsOwnNotACopy) {
  TReplyBodyHandOver handOver(mBuffer.data());
  const std::string& bytes = StaticBytes();
  mReply.SendStream(std::make_unique<TPointerStream>(bytes.data(), std::int64_t(bytes.size())), false);
  mReply.Commit();
  EXPECT_EQ(handOver.Body().data(), bytes.data());
  EXPECT_EQ(handOver.Body().size(), bytes.size());
}

TEST_F(THttpReplyTest, PastTheBoundABodySpillsEvenWithAHandOver) {
  TReplyBodyHandOver handOver(mBuffer.data());
  const std::string body = Patterned(std::size_t(TReplyBodyHandOver::MemoryBound) + 1);
  mReply.WriteString(body);
  EXPECT_EQ(FileCount(), 1u);
  TReplyPacket packet = CommitAndRead();
  EXPECT_FALSE(handOver.HasBody());
  EXPECT_EQ(packet.DataType, rtFile);
  EXPECT_TRUE(packet.DeleteFile);
  EXPECT_TRUE(FileBytes(packet.FileName) == body);
  std::filesystem::remove(packet.FileName);

  // A memory stream past the bound travels inside the packet, as between processes.
  auto stream = std::make_unique<TMemoryStream>();
  TStreamHelper(stream.get(), false).Write(body);
  THttpReply large(mBuffer.data(), std::int32_t(mBuffer.size()));
  large.SendStream(std::move(stream), false);
  large.Commit();
  EXPECT_FALSE(handOver.HasBody());
  EXPECT_EQ(mBuffer[8], ptFile);
  EXPECT_TRUE(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())).Content == body);
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THttpReplyTest, HandOverAnswersToTheLastCommitOnly) {
  TReplyBodyHandOver handOver(mBuffer.data());
  {
    THttpReply first(mBuffer.data(), std::int32_t(mBuffer.size()));
    first.WriteString("first body");
    first.Commit();
  }
  ASSERT_EQ(handOver.Body(), "first body");
  Buffer other(THttpPacket::HostBufferSize);
  {
    THttpReply elsewhere(other.data(), std::int32_t(other.size()));
    elsewhere.WriteString("another packet");
    elsewhere.Commit();
  }
  EXPECT_EQ(handOver.Body(), "first body");
  EXPECT_EQ(ReadReplyPacket(other.data(), std::int64_t(other.size())).Content, "another packet");
  THttpReply second(mBuffer.data(), std::int32_t(mBuffer.size()));
  second.SetCode(404);
  second.Commit();
  EXPECT_FALSE(handOver.HasBody());
  EXPECT_EQ(ReadReplyPacket(mBuffer.data(), std::int64_t(mBuffer.size())).DataType, rtNoData);
}

TEST_F(THttpReplyTest, WithoutAHandOverEverythingTravelsInThePacket) {
  EXPECT_EQ(THttpReply::BodyFlushSize(), THttpReply::ContentFlushSize);
  {
    TReplyBodyHandOver handOver(mBuffer.data());
    EXPECT_EQ(THttpReply::BodyFlushSize(), TReplyBodyHandOver::MemoryBound);
    {
      TReplyBodyHandOver inner(mBuffer.data());  // a nested one comes and goes
      EXPECT_EQ(TReplyBodyHandOver::Current(), &inner);
    }
    EXPECT_EQ(TReplyBodyHandOver::Current(), &handOver);
  }
  mReply.WriteString("plain");
  EXPECT_EQ(CommitAndRead().Content, "plain");
}

// ---------------------------------------------------------------------------
// Redirects, cookies, Clear

TEST_F(THttpReplyTest, RedirectDropsCookiesAndKeepsOneLocation) {
  mReply.Cookies().AddCookie("KX_App", "s1_a", "/", 0, true, false);
  mReply.SendRedirect("/first");
  mReply.Cookies().AddCookie("Late", "x", "/", 0, false, false);
  mReply.SendRedirect("https://host:8443/?a=1");
  TReplyPacket packet = CommitAndRead();
  EXPECT_EQ(packet.Code, 302);
  EXPECT_EQ(packet.DataType, rtNoData);
  EXPECT_TRUE(packet.Cookies.empty());
  EXPECT_EQ(std::count_if(packet.Headers.begin(), packet.Headers.end(),
                          [](const std::string& line) { return line.starts_with("Location"); }),
            1);
  EXPECT_EQ(HeaderOf(packet, "Location"), "https://host:8443/?a=1");
}

TEST_F(THttpReplyTest, CookiesTravelWithTheirExpiryAsDecimalText) {
  mReply.Cookies().AddCookie("session", "s1_a", "/app/", 0, true, false);
  THTTPCookie* dated = mReply.Cookies().AddCookie("dated", "v", "/", 45678.5416666667, false, true);
  dated->SetDomain("example.com");
  dated->SetSameSite("Strict");
  mReply.Cookies().RemoveCookie("old", "/app/");
  mReply.SetCode(200);
  TReplyPacket packet = CommitAndRead();

  EXPECT_EQ(ReadRaw(mBuffer).CookieExpiryTexts, (std::vector<std::string>{"0", "45678.5416666667", "-1"}));
  EXPECT_EQ(packet.Cookies, (std::vector<TReplyPacketCookie>{
                                {"session", "s1_a", "/app/", 0, "", true, false, ""},
                                {"dated", "v", "/", 45678.5416666667, "example.com", false, true, "Strict"},
                                {"old", "", "/app/", -1, "", false, false, ""},
                            }));
}

TEST_F(THttpReplyTest, ClearRestoresDefaultsButKeepsTextsAndFileFields) {
  mReply.SetCodeText("Teapot");
  mReply.SetAuthRealm("App");
  mReply.SetAllowCaching(true);
  mReply.SetExpires(50000);
  mReply.SetContentType("text/plain");
  mReply.AddHeader("X-A", "1");
  mReply.Cookies().AddCookie("a", "b", "/", 0, false, false);
  mReply.SendFile("/srv/a.pdf", true, true);
  mReply.Clear();

  EXPECT_EQ(mReply.DataType(), rtNone);
  EXPECT_EQ(mReply.Code(), 200);
  EXPECT_FALSE(mReply.AllowCaching());
  EXPECT_EQ(mReply.Expires(), 0);
  EXPECT_EQ(mReply.CacheTTL(), 120);
  EXPECT_EQ(mReply.ContentType(), "text/html; charset=UTF-8");
  EXPECT_EQ(mReply.Headers().Count(), 0);
  EXPECT_EQ(mReply.Cookies().Count(), 0);
  EXPECT_FALSE(mReply.SendingFile());
  EXPECT_TRUE(mReply.CacheControlEnabled());
  EXPECT_EQ(mReply.CodeText(), "Teapot");
  EXPECT_EQ(mReply.AuthRealm(), "App");
  EXPECT_EQ(mReply.FilePathname(), "/srv/a.pdf");
  mReply.WriteString("again");  // a body may be chosen anew
  EXPECT_EQ(CommitAndRead().Content, "again");
}

// ---------------------------------------------------------------------------
// Header injection: no text may split into a second response header

TEST_F(THttpReplyTest, LineBreaksNeverReachTheHeaders) {
  mReply.AddHeader("X-A", "1\r\nSet-Cookie: evil=1");
  mReply.AddHeader("X-B\r\nSet-Cookie: evil=2", "2");
  mReply.AddHeader("\r\n", "dropped: the name is empty without its line break");
  mReply.Headers().Add("X-C: 3\nSet-Cookie: evil=3");
  mReply.SetCodeText("OK\r\nSet-Cookie: evil=4");
  mReply.SetContentType("text/html\r\nSet-Cookie: evil=5");
  mReply.SetAuthRealm("realm\"\r\nSet-Cookie: evil=6");
  mReply.SendRedirect("/next\r\nSet-Cookie: evil=7");
  mReply.Cookies().AddCookie("c\r\n", "v\r\nSet-Cookie: evil=8", "/\n", 0, false, false)->SetDomain("d\r");
  TReplyPacket packet = CommitAndRead();

  EXPECT_EQ(packet.Headers, (std::vector<std::string>{"X-A: 1Set-Cookie: evil=1", "X-BSet-Cookie: evil=2: 2",
                                                      "X-C: 3Set-Cookie: evil=3", "Location: /nextSet-Cookie: evil=7",
                                                      "Cache-Control:no-cache", "Pragma:no-cache"}));
  EXPECT_EQ(packet.CodeText, "OKSet-Cookie: evil=4");
  EXPECT_EQ(packet.ContentType, "text/htmlSet-Cookie: evil=5");
  EXPECT_EQ(packet.AuthRealm, "realm\"Set-Cookie: evil=6");
  ASSERT_EQ(packet.Cookies.size(), 1u);
  EXPECT_EQ(packet.Cookies[0], (TReplyPacketCookie{"c", "vSet-Cookie: evil=8", "/", 0, "d", false, false, ""}));
}

// ---------------------------------------------------------------------------
// ReadReplyPacket on malformed packets

TEST_F(THttpReplyTest, ReaderRefusesMalformedReplies) {
  Buffer unknown = ReplyPacketOf([](TStreamHelper& body) { WriteReplyHead(body, 5); });
  EXPECT_EQ(MessageOf([&] { ReadReplyPacket(unknown.data(), std::int64_t(unknown.size())); }),
            "Unknown reply type.");

  struct Case {
    const char* name;
    std::function<void(TStreamHelper&)> body;
  } cases[] = {
      {"cookie count beyond the data",
       [](TStreamHelper& b) {
         WriteReplyHead(b, rtNoData);
         b.WriteInteger(1000000);
       }},
      {"cookie cut short",
       [](TStreamHelper& b) {
         WriteReplyHead(b, rtNoData);
         b.WriteInteger(1);
         b.WriteText("name");
       }},
      {"content count beyond the data",
       [](TStreamHelper& b) {
         WriteReplyHead(b, rtInline);
         b.WriteInteger(0);
         b.WriteInteger(1 << 30);
         b.Write("x");
       }},
      {"file payload missing",
       [](TStreamHelper& b) {
         WriteReplyHead(b, rtFile);
         b.WriteInteger(0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Buffer packet = ReplyPacketOf(c.body);
    EXPECT_EQ(MessageOf([&] { ReadReplyPacket(packet.data(), std::int64_t(packet.size())); }),
              "Packet is truncated or corrupt.");
  }
}

}  // namespace kx
