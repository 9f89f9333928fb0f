#include "kx/foundation/HttpPackets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "support/TempFolder.h"
#include "support/Raised.h"

namespace kx {
namespace {

using Buffer = std::vector<std::uint8_t>;
using THttpPacketTest = TempFolderTest;
using TRequestPacketTest = TempFolderTest;

using test::MessageOf;

// A packet whose content is the signature followed by what body writes.
Buffer PacketOf(const std::function<void(TStreamHelper&)>& body) {
  TKXRenderStream content(true, false);
  THttpPacket::WriteSig(content);
  body(content);
  Buffer buffer(THttpPacket::HostBufferSize);
  buffer.resize(std::size_t(THttpPacket::Encode(*content.HsmStream(), buffer.data(), std::int64_t(buffer.size()))));
  return buffer;
}

// The request fields before the file count, all empty.
void WriteEmptyFieldsBeforeFiles(TStreamHelper& body) {
  for (int i = 0; i < 8; ++i) body.WriteText("");
  body.WriteInteger(80);
  for (int i = 0; i < 10; ++i) body.WriteText("");
  for (int i = 0; i < 5; ++i) body.WriteInteger(0);
}

// Every field set, with non-ASCII texts, an empty list item and two files.
TRequestPacketFields SampleRequest() {
  return {.UserAgent = "Mozilla/5.0 (X11; Linux x86_64)", .Referer = "http://host/app/$/", .ScriptName = "/app",
          .Host = "höst.example", .Authorization = "Basic dTpw", .URL = "/app/$/callback",
          .PathInfo = "/$/callback/é", .RemoteAddr = "127.0.0.1", .ServerPort = 8080, .Query = "a=1&b=%C3%A9",
          .Method = "post", .IfModifiedSince = "Sun, 06 Nov 1994 08:49:37 GMT", .ForwardedFor = "10.0.0.1",
          .HttpClientIP = "10.0.0.2", .AuthorizationHeader = "Basic dTpw", .AuthUser = "u", .AuthPass = "p",
          .AcceptLanguage = "de-DE,de;q=0.9", .HttpsHeader = "on",
          .RawHeaders = {"Host: höst.example", "Accept-Encoding: gzip", ""}, .ContentFields = {"text=€ 😀"},
          .CookieFields = {"KX_App=abc_1z"}, .QueryFields = {"a=1", "b=é"}, .ServerVariables = {"HTTPS: on"},
          .Files = {{"Bericht ü.pdf", "/tmp/BRM1.tmp", "application/pdf", "upload", 3000000000},
                    {"", "/tmp/BRM2.tmp", "", "second", 0}},
          .HasContent = true};
}

// ---------------------------------------------------------------------------
// THttpPacket

TEST(THttpPacket, InlinePacketIsEnvelopeThenContent) {
  Buffer packet = PacketOf([](TStreamHelper&) {});
  EXPECT_EQ(packet, (Buffer{0x07, 0x08, 0x22, 0x07, 0x06, 0, 0, 0, 0, 0x07, 0x08, 0x22, 0x07, 0x06, 0, 0, 0}));
}

TEST(THttpPacket, MethodTextMapsAfterUpperCasing) {
  struct Case {
    const char* text;
    THttpMethod method;
  } cases[] = {{"GET", hmGet}, {"put", hmPut}, {"post", hmPost}, {"Head", hmHead},
               {"OPTIONS", hmNone}, {"", hmNone}, {"GETX", hmNone}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HttpMethodFromText(c.text), c.method);
  }
}

TEST_F(THttpPacketTest, ContentOfTheFlushSizeTravelsInline) {
  Buffer packet = PacketOf([](TStreamHelper& body) { body.Write(std::string(32759 - 8, 'c')); });
  EXPECT_EQ(packet.size(), 32768u);
  EXPECT_EQ(packet[8], ptInline);
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THttpPacketTest, LargerContentTravelsAsAFileThatTheReaderDeletes) {
  const std::string payload(32760 - 8, 'f');
  Buffer packet = PacketOf([&](TStreamHelper& body) { body.Write(payload); });
  ASSERT_EQ(packet[8], ptFile);
  TStreamHelper envelope(std::make_unique<TPointerStream>(packet.data(), std::int64_t(packet.size())));
  envelope.Stream()->SetPosition(9);
  std::string fileName = envelope.ReadText();
  EXPECT_EQ(fileName.rfind(mFolder + "BRM", 0), 0u);
  EXPECT_TRUE(fileName.ends_with(".tmp"));
  ASSERT_TRUE(std::filesystem::exists(fileName));  // the writer left it for the reader

  {
    std::unique_ptr<TStreamHelper> reader = THttpPacket::GetStream(packet.data(), std::int64_t(packet.size()));
    THttpPacket::CheckSig(*reader);
    std::string content(payload.size(), '\0');
    reader->Stream()->ReadBuffer(content.data(), std::int64_t(content.size()));
    EXPECT_EQ(content, payload);
    EXPECT_TRUE(std::filesystem::exists(fileName));
  }
  EXPECT_FALSE(std::filesystem::exists(fileName));
}

TEST(THttpPacket, EncodeIntoASmallBufferRaisesAndWritesNothing) {
  TKXRenderStream content(true, true);
  THttpPacket::WriteSig(content);
  Buffer buffer(16, 0xEE);
  EXPECT_EQ(MessageOf([&] { THttpPacket::Encode(*content.HsmStream(), buffer.data(), 16); }),
            "aBytes is not large enough to hold stream.");
  EXPECT_EQ(buffer, Buffer(16, 0xEE));
}

TEST(THttpPacket, BadEnvelopesRaise) {
  struct Case {
    const char* name;
    Buffer bytes;
    const char* message;
  } cases[] = {
      {"empty", {}, "No stream signature found."},
      {"cut signature", {0x07, 0x08, 0x22}, "No stream signature found."},
      {"wrong signature", {0x07, 0x08, 0x22, 0x08, 6, 0, 0, 0, 0}, "No stream signature found."},
      {"wrong version", {0x07, 0x08, 0x22, 0x07, 5, 0, 0, 0, 0}, "Stream version mismatch."},
      {"unknown storage", {0x07, 0x08, 0x22, 0x07, 6, 0, 0, 0, 2}, "Unknown packet type."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MessageOf([&] { THttpPacket::GetStream(c.bytes.data(), std::int64_t(c.bytes.size())); }), c.message);
  }
  Buffer missingFile = {0x07, 0x08, 0x22, 0x07, 6, 0, 0, 0, 1, 4, 0, 0, 0, '/', 'n', 'o', '/'};
  EXPECT_THROW(THttpPacket::GetStream(missingFile.data(), std::int64_t(missingFile.size())), EFOpenError);
}

// ---------------------------------------------------------------------------
// Request packets

TEST(TRequestPacket, AllFieldsSurviveTheRoundTrip) {
  TRequestPacketFields sent = SampleRequest();
  Buffer buffer(THttpPacket::HostBufferSize);
  std::int64_t length = WriteRequestPacket(sent, buffer.data(), std::int64_t(buffer.size()));
  EXPECT_EQ(buffer[8], ptInline);
  EXPECT_EQ(ReadRequestPacket(buffer.data(), length), sent);
  EXPECT_EQ(ReadRequestPacket(buffer.data(), length).Files[0].FileSize, 3000000000);
}

TEST_F(TRequestPacketTest, ALargeRequestSpillsAndItsFileIsDeletedAfterReading) {
  TRequestPacketFields sent = SampleRequest();
  for (int i = 0; i < 2000; ++i) sent.QueryFields.push_back("field" + std::to_string(i) + "=value");
  Buffer buffer(THttpPacket::HostBufferSize);
  std::int64_t length = WriteRequestPacket(sent, buffer.data(), std::int64_t(buffer.size()));
  EXPECT_EQ(buffer[8], ptFile);
  EXPECT_EQ(FileCount(), 1u);
  EXPECT_EQ(ReadRequestPacket(buffer.data(), length), sent);
  EXPECT_EQ(FileCount(), 0u);
}

// A packet that cannot be delivered must not leave its spill file behind.
TEST_F(TRequestPacketTest, AFailedWriteLeavesNoSpillFile) {
  TRequestPacketFields sent;
  sent.QueryFields.assign(2000, "field=value");
  Buffer buffer(12);
  EXPECT_THROW(WriteRequestPacket(sent, buffer.data(), 12), Exception);
  EXPECT_EQ(FileCount(), 0u);
}

TEST(TRequestPacket, TooManyFilesAreRefused) {
  TRequestPacketFields sent;
  sent.Files.resize(65536);
  Buffer buffer(THttpPacket::HostBufferSize);
  EXPECT_EQ(MessageOf([&] { WriteRequestPacket(sent, buffer.data(), std::int64_t(buffer.size())); }),
            "Too many files for a request packet.");
}

// Every cut of a packet raises the packet exceptions; nothing else (no
// bad_alloc, no crash, no hang) and no request read from a part of a packet.
TEST(TRequestPacket, TruncatedPacketsFailCleanly) {
  Buffer buffer(THttpPacket::HostBufferSize);
  std::int64_t length = WriteRequestPacket(SampleRequest(), buffer.data(), std::int64_t(buffer.size()));
  int raised = 0;
  for (std::int64_t cut = 0; cut < length; ++cut) {
    try {
      ReadRequestPacket(buffer.data(), cut);
    } catch (const Exception&) {
      ++raised;
    }
  }
  EXPECT_EQ(raised, length);
}

TEST(TRequestPacket, CorruptContentFailsCleanly) {
  Buffer packet(THttpPacket::HostBufferSize);
  packet.resize(std::size_t(WriteRequestPacket(SampleRequest(), packet.data(), std::int64_t(packet.size()))));
  for (std::size_t at = THttpPacket::EnvelopeSize; at < packet.size(); ++at) {
    for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
      Buffer corrupt = packet;
      corrupt[at] = value;
      try {
        ReadRequestPacket(corrupt.data(), std::int64_t(corrupt.size()));
      } catch (const Exception&) {
      }
    }
  }
}

TEST(TRequestPacket, CountsBeyondThePacketRaise) {
  struct Case {
    const char* name;
    std::function<void(TStreamHelper&)> body;
  } cases[] = {
      {"huge text", [](TStreamHelper& b) { b.WriteInteger(0x7FFFFFFF); }},
      {"huge list",
       [](TStreamHelper& b) {
         for (int i = 0; i < 8; ++i) b.WriteText("");
         b.WriteInteger(80);
         for (int i = 0; i < 10; ++i) b.WriteText("");
         b.WriteInteger(0x40000000);
       }},
      {"65535 files without data",
       [](TStreamHelper& b) {
         WriteEmptyFieldsBeforeFiles(b);
         b.WriteWord(0xFFFF);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Buffer packet = PacketOf(c.body);
    EXPECT_EQ(MessageOf([&] { ReadRequestPacket(packet.data(), std::int64_t(packet.size())); }),
              "Packet is truncated or corrupt.");
  }
}

TEST(TRequestPacket, NegativeListCountReadsAsNoItems) {
  Buffer packet = PacketOf([](TStreamHelper& b) {
    for (int i = 0; i < 8; ++i) b.WriteText("");
    b.WriteInteger(80);
    for (int i = 0; i < 10; ++i) b.WriteText("");
    b.WriteInteger(-7);
    b.WriteStrings(std::vector<std::string>{"a=1"});
    for (int i = 0; i < 3; ++i) b.WriteInteger(0);
    b.WriteWord(0);
    b.WriteByte(1);
  });
  TRequestPacketFields read = ReadRequestPacket(packet.data(), std::int64_t(packet.size()));
  EXPECT_TRUE(read.RawHeaders.empty());
  EXPECT_EQ(read.ContentFields, std::vector<std::string>{"a=1"});
  EXPECT_TRUE(read.HasContent);
}

TEST(TRequestPacket, FileSizeMustBeDecimal) {
  for (const char* size : {"12a", "$10", "0x10", "", "-5", " 7", "99999999999999999999"}) {
    SCOPED_TRACE(size);
    Buffer packet = PacketOf([&](TStreamHelper& b) {
      WriteEmptyFieldsBeforeFiles(b);
      b.WriteWord(1);
      for (const char* text : {"a.txt", "/tmp/BRM1.tmp", "text/plain", "f", size}) b.WriteText(text);
      b.WriteByte(0);
    });
    EXPECT_THROW(ReadRequestPacket(packet.data(), std::int64_t(packet.size())), EConvertError);
  }
}

}  // namespace
}  // namespace kx
