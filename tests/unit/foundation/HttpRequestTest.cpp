#include "kx/foundation/HttpRequest.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "kx/foundation/FileUtils.h"
#include "support/TempFolder.h"
#include "support/Raised.h"

namespace kx {
namespace {

using Buffer = std::vector<std::uint8_t>;
using THttpRequestTest = TempFolderTest;
using THttpFileTest = TempFolderTest;

using test::MessageOf;

Buffer PacketOf(const TRequestPacketFields& fields) {
  Buffer buffer(THttpPacket::HostBufferSize);
  buffer.resize(std::size_t(WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()))));
  return buffer;
}

std::unique_ptr<THttpRequest> RequestOf(const TRequestPacketFields& fields) {
  Buffer packet = PacketOf(fields);
  return std::make_unique<THttpRequest>(packet.data(), std::int64_t(packet.size()));
}

// A request of empty fields with those that setup fills.
std::unique_ptr<THttpRequest> RequestOf(const std::function<void(TRequestPacketFields&)>& setup) {
  TRequestPacketFields fields;
  setup(fields);
  return RequestOf(fields);
}

std::vector<std::string> LinesOf(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// The resident set in bytes: now ("VmRSS") or its peak since ResetPeakResident ("VmHWM").
std::int64_t ResidentBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(key + ":")) return std::stoll(line.substr(key.size() + 1)) * 1024;
  return -1;
}

// Memory the allocator keeps goes back to the system first, so that the peak counts what is allocated after.
void ResetPeakResident() {
  ::malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

TRequestPacketFields SampleRequest() {
  return {.UserAgent = "Mozilla/5.0 (X11; Linux x86_64)", .Referer = "http://host/app/$/", .ScriptName = "/app",
          .Host = "höst.example", .Authorization = "Basic dTpw", .URL = "/app/$/callback",
          .PathInfo = "/$/callback/é", .RemoteAddr = "127.0.0.1", .ServerPort = 8080, .Query = "a=1&b=%C3%A9",
          .Method = "post", .IfModifiedSince = "Sun, 06 Nov 1994 08:49:37 GMT", .ForwardedFor = "10.0.0.1",
          .HttpClientIP = "10.0.0.2", .AuthorizationHeader = "Basic dTpx", .AuthUser = "u", .AuthPass = "p",
          .AcceptLanguage = "de-DE,de;q=0.9", .HttpsHeader = "on",
          .RawHeaders = {"Host: höst.example", "Accept-Encoding: gzip"}, .ContentFields = {"text=€ 😀"},
          .CookieFields = {"KX_App=abc_1z"}, .QueryFields = {"a=1", "b=é"}, .ServerVariables = {"HTTPS: on"},
          // The request deletes its uploads when freed: these names lead nowhere.
          .Files = {{"Bericht ü.pdf", "/kx-no-such-folder/BRM1.tmp", "application/pdf", "upload", 3000000000},
                    {"b.txt", "/kx-no-such-folder/BRM2.tmp", "text/plain", "second", 0}},
          .HasContent = true};
}

}  // namespace

// ---------------------------------------------------------------------------
// THttpRequest

TEST_F(THttpRequestTest, ReadsEveryFieldOfThePacket) {
  auto request = RequestOf(SampleRequest());
  EXPECT_EQ(request->UserAgent(), "Mozilla/5.0 (X11; Linux x86_64)");
  EXPECT_EQ(request->Referer(), "http://host/app/$/");
  EXPECT_EQ(request->ScriptName(), "/app");
  EXPECT_EQ(request->Host(), "höst.example");
  EXPECT_EQ(request->Authorization(), "Basic dTpw");
  EXPECT_EQ(request->URL(), "/app/$/callback");
  EXPECT_EQ(request->PathInfo(), "/$/callback/é");
  EXPECT_EQ(request->RemoteAddr(), "127.0.0.1");
  EXPECT_EQ(request->ServerPort(), 8080);
  EXPECT_EQ(request->Query(), "a=1&b=%C3%A9");
  EXPECT_EQ(request->QueryString(), "a=1&b=%C3%A9");
  EXPECT_EQ(request->HttpMethod(), hmPost);
  EXPECT_EQ(request->IfModifiedSince(), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(request->ForwardedFor(), "10.0.0.1");
  EXPECT_EQ(request->HttpClientIP(), "10.0.0.2");
  EXPECT_EQ(request->AuthorizationHeader(), "Basic dTpx");
  EXPECT_EQ(request->AuthUser(), "u");
  EXPECT_EQ(request->AuthPass(), "p");
  EXPECT_EQ(request->AcceptLanguage(), "de-DE,de;q=0.9");
  EXPECT_EQ(request->HttpsHeader(), "on");
  EXPECT_EQ(LinesOf(request->RawHeaders()), (std::vector<std::string>{"Host: höst.example", "Accept-Encoding: gzip"}));
  EXPECT_EQ(LinesOf(request->ContentFields()), std::vector<std::string>{"text=€ 😀"});
  EXPECT_EQ(LinesOf(request->CookieFields()), std::vector<std::string>{"KX_App=abc_1z"});
  EXPECT_EQ(LinesOf(request->QueryFields()), (std::vector<std::string>{"a=1", "b=é"}));
  EXPECT_EQ(LinesOf(request->ServerVariables()), std::vector<std::string>{"HTTPS: on"});
  EXPECT_TRUE(request->HasContent());

  ASSERT_EQ(request->Files().Count(), 2);
  const THttpFile& file = *request->Files().Items(0);
  EXPECT_EQ(file.FileName(), "Bericht ü.pdf");
  EXPECT_EQ(file.TempPathName(), "/kx-no-such-folder/BRM1.tmp");
  EXPECT_EQ(file.ContentType(), "application/pdf");
  EXPECT_EQ(file.FieldName(), "upload");
  EXPECT_EQ(file.FileSize(), 3000000000);  // beyond int32
  EXPECT_FALSE(file.DeleteFile());
  EXPECT_EQ(request->Files().Items(1)->FieldName(), "second");
}

TEST_F(THttpRequestTest, ReadsAPacketThatSpilledToAFileAndDeletesTheFile) {
  TRequestPacketFields fields = SampleRequest();
  fields.ContentFields.assign(400, std::string(100, 'x'));
  Buffer packet = PacketOf(fields);
  ASSERT_EQ(packet[8], ptFile);
  ASSERT_EQ(FileCount(), 1u);

  THttpRequest request(packet.data(), std::int64_t(packet.size()));
  EXPECT_EQ(request.ContentFields().Count(), 400);
  EXPECT_EQ(request.Files().Count(), 2);
  EXPECT_EQ(FileCount(), 0u);
}

// A spilled packet is read field by field into its lines, and each line is let go once the request has its copy:
// the packet's large fields are held about once while the request reads them, never twice over (the file's whole
// content beside its fields, or every line beside its copy). The sanitizer's allocator keeps freed memory.
TEST_F(THttpRequestTest, ASpilledPacketsFieldsAreHeldOnceWhileRead) {
  if (kAddressSanitizer) GTEST_SKIP() << "freed memory stays in the address sanitizer's quarantine";
  constexpr std::int64_t kLine = 4 << 20, kLines = 8;
  Buffer packet;
  {
    TRequestPacketFields fields;
    for (int i = 0; i < kLines; ++i)
      fields.ContentFields.push_back("F" + std::to_string(i) + "=" + std::string(kLine, 'v'));
    packet = PacketOf(fields);
  }
  ASSERT_EQ(packet[8], ptFile);
  ResetPeakResident();
  const std::int64_t before = ResidentBytes("VmRSS");
  THttpRequest request(packet.data(), std::int64_t(packet.size()));
  const std::int64_t grown = ResidentBytes("VmHWM") - before;
  ASSERT_EQ(request.ContentFields().Count(), kLines);
  EXPECT_EQ(request.ContentFields().Strings(kLines - 1).size(), std::size_t(kLine + 3));
  EXPECT_LT(grown, kLine * kLines * 3 / 2) << "peak growth " << grown << " bytes for " << kLine * kLines;
}

TEST_F(THttpRequestTest, MapsTheMethod) {
  struct Case {
    const char* text;
    THttpMethod method;
  } cases[] = {{"GET", hmGet}, {"put", hmPut}, {"HEAD", hmHead}, {"OPTIONS", hmNone}, {"", hmNone}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RequestOf([&](TRequestPacketFields& f) { f.Method = c.text; })->HttpMethod(), c.method);
  }
}

TEST_F(THttpRequestTest, PassesPacketErrorsOut) {
  Buffer packet = PacketOf(SampleRequest());
  packet[0] = 0;
  EXPECT_EQ(MessageOf([&] { THttpRequest(packet.data(), std::int64_t(packet.size())); }),
            "No stream signature found.");

  packet = PacketOf(SampleRequest());
  packet.resize(packet.size() - 10);
  EXPECT_EQ(MessageOf([&] { THttpRequest(packet.data(), std::int64_t(packet.size())); }),
            "Packet is truncated or corrupt.");
}

TEST_F(THttpRequestTest, FileSizeThatIsNotDecimalRaisesConversionError) {
  // The writer only takes numbers, so the file entry is written by hand.
  TKXRenderStream content(true, false);
  THttpPacket::WriteSig(content);
  for (int i = 0; i < 8; ++i) content.WriteText("");
  content.WriteInteger(80);
  for (int i = 0; i < 10; ++i) content.WriteText("");
  for (int i = 0; i < 5; ++i) content.WriteInteger(0);
  content.WriteWord(1);
  for (const char* text : {"a.txt", "/tmp/BRM1.tmp", "text/plain", "upload", "12a"}) content.WriteText(text);
  content.WriteByte(0);
  Buffer packet(THttpPacket::HostBufferSize);
  THttpPacket::Encode(*content.HsmStream(), packet.data(), std::int64_t(packet.size()));

  EXPECT_THROW(THttpRequest(packet.data(), std::int64_t(packet.size())), EConvertError);
}

TEST_F(THttpRequestTest, RawHeaderValueIsTheLastMatchingLineIgnoringCase) {
  auto request = RequestOf([](TRequestPacketFields& f) {
    f.RawHeaders = {"Accept-Encoding: deflate", "Accept: text/html", "X-Empty:", "accept-encoding: gzip, br",
                    "X-Tight:tight", "Host: h"};
    f.ServerVariables = {"SERVER_SOFTWARE: Apache/2.4", "server_software: other"};
  });
  struct Case {
    const char* name;
    const char* value;
  } cases[] = {
      {"accept-encoding", "gzip, br"},  // the second line wins
      {"ACCEPT", "text/html"},          // "Accept-Encoding" does not start with "Accept:"
      {"Accept-Enc", ""},               // a prefix of a name is no match
      {"X-Empty", ""},
      {"x-tight", "tight"},             // no blank after the colon: nothing of the value is lost
      {"", ""},
      {"Missing", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(request->GetRawHeaderValue(c.name), c.value);
  }
  EXPECT_EQ(request->GetServerVariableValue("Server_Software"), "other");
  EXPECT_EQ(request->GetServerVariableValue("HTTPS"), "");
}

TEST_F(THttpRequestTest, CookieAndContentFieldValuesByName) {
  auto request = RequestOf([](TRequestPacketFields& f) {
    f.ContentFields = {"name=Ann", "note=a=b", "name=Bob"};
    f.CookieFields = {"KX_App=s1_a", "Other=x"};
  });
  EXPECT_EQ(request->GetCookieValue("kx_app"), "s1_a");
  EXPECT_EQ(request->GetCookieValue("missing"), "");
  EXPECT_EQ(request->GetContentFieldValue("name"), "Ann");  // the first line with the name
  EXPECT_EQ(request->GetContentFieldValue("note"), "a=b");  // split at the first "="
}

TEST_F(THttpRequestTest, ParamsOfAPostAreContentFieldsFollowedByQueryFieldsOnce) {
  auto request = RequestOf([](TRequestPacketFields& f) {
    f.Method = "POST";
    f.ContentFields = {"c=1", "d=2"};
    f.QueryFields = {"q=3"};
  });
  const std::vector<std::string> expected{"c=1", "d=2", "q=3"};
  EXPECT_EQ(LinesOf(request->GetParams()), expected);
  // A second call must not append the query fields again.
  EXPECT_EQ(LinesOf(request->GetParams()), expected);
  EXPECT_EQ(&request->GetParams(), &request->ContentFields());
  EXPECT_EQ(LinesOf(request->QueryFields()), std::vector<std::string>{"q=3"});
}

TEST_F(THttpRequestTest, ParamsOfOtherMethodsAreTheQueryFieldsUntouched) {
  for (const char* method : {"GET", "HEAD", ""}) {
    SCOPED_TRACE(method);
    auto request = RequestOf([&](TRequestPacketFields& f) {
      f.Method = method;
      f.ContentFields = {"c=1"};
      f.QueryFields = {"q=3", "r=4"};
    });
    EXPECT_EQ(&request->GetParams(), &request->QueryFields());
    EXPECT_EQ(LinesOf(request->GetParams()), (std::vector<std::string>{"q=3", "r=4"}));
    EXPECT_EQ(LinesOf(request->ContentFields()), std::vector<std::string>{"c=1"});
  }
}

// Pre-compressed files go out gzip-encoded only when this says yes: a refusal must be read as one.
TEST_F(THttpRequestTest, AcceptsGZipOnlyWithAPositiveQuality) {
  const struct {
    const char* header;
    bool accepts;
  } cases[] = {
      {"Accept-Encoding: deflate, GZip", true},
      {"Accept-Encoding: x-gzip", true},
      {"Accept-Encoding: gzip;q=0.5", true},
      {"Accept-Encoding: *", true},
      {"Accept-Encoding: gzip; q=0.001; x=1", true},
      {"Accept-Encoding: deflate", false},
      {"Accept-Encoding: identity", false},
      {"Accept-Encoding: gzip;q=0", false},
      {"Accept-Encoding: gzip;q=0.000, deflate", false},
      {"Accept-Encoding: *;q=0", false},
      {"Accept-Encoding: gzip;q=0, *", false},  // named refusal wins over the wildcard
      {"Accept-Encoding: gzip;q=zero", false},
      {"Accept-Encoding: gzipx", false},
      {"Accept-Encoding:", false},
      {"X-Note: gzip", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.header);
    EXPECT_EQ(RequestOf([&](TRequestPacketFields& f) { f.RawHeaders = {c.header}; })->AcceptsGZip(), c.accepts);
  }
}

// Uploads left every BRM*.tmp on disk until a clean stop: the request deletes the ones nobody took.
TEST_F(THttpRequestTest, FreedRequestDeletesTheUploadsNothingAdopted) {
  const std::string left = mFolder + "BRMleft.tmp", copied = mFolder + "BRMcopied.tmp";
  const std::string moved = mFolder + "BRMmoved.tmp", target = mFolder + "kept.bin";
  for (const std::string& name : {left, copied, moved}) WriteFile(name, "data");
  auto request = RequestOf([&](TRequestPacketFields& f) {
    f.Files = {{"a.txt", left, "text/plain", "a", 4}, {"b.txt", copied, "text/plain", "b", 4},
               {"c.txt", moved, "text/plain", "c", 4}};
  });
  auto copy = std::make_unique<THttpFile>(*request->Files().Items(1));
  EXPECT_TRUE(request->Files().Items(1)->Adopted());
  std::filesystem::rename(moved, target);
  request->Files().Items(2)->SetTempPathName(target);
  EXPECT_FALSE(request->Files().Items(0)->Adopted());

  request.reset();
  EXPECT_FALSE(std::filesystem::exists(left));
  EXPECT_TRUE(std::filesystem::exists(copied));
  EXPECT_TRUE(std::filesystem::exists(target));
  copy.reset();
  EXPECT_FALSE(std::filesystem::exists(copied));  // the adopter deletes it
}

// ---------------------------------------------------------------------------
// THttpFileList

TEST(THttpFileList, FindsByFieldOrClientFileNameIgnoringCase) {
  THttpFileList files;
  files.Add(std::make_unique<THttpFile>("Photo.JPG", "/tmp/BRM1.tmp", "image/jpeg", "Upload", 10));
  files.Add(std::make_unique<THttpFile>("photo.jpg", "/tmp/BRM2.tmp", "image/jpeg", "upload", 20));
  EXPECT_EQ(files.Find("UPLOAD")->FileSize(), 10);  // the first match
  EXPECT_EQ(files.FindFile("PHOTO.jpg")->FileSize(), 10);
  EXPECT_EQ(files.Find("other"), nullptr);
  EXPECT_EQ(files.FindFile(""), nullptr);
  EXPECT_EQ(MessageOf<EListError>([&] { files.Items(2); }), "List index out of bounds (2)");
}

// ---------------------------------------------------------------------------
// THttpFile

TEST_F(THttpFileTest, OnlyTheAdoptingCopyDeletesTheTemporaryFile) {
  const std::string temp = mFolder + "upload.tmp";
  WriteFile(temp, "data");
  auto original = std::make_unique<THttpFile>("a.txt", temp, "text/plain", "f", 4);
  original.reset();
  ASSERT_TRUE(std::filesystem::exists(temp));

  THttpFile entry("a.txt", temp, "text/plain", "f", 4);
  {
    THttpFile kept(entry);
    EXPECT_TRUE(kept.DeleteFile());
    EXPECT_EQ(kept.FileName(), "a.txt");
    EXPECT_EQ(kept.FieldName(), "f");
    EXPECT_EQ(kept.FileSize(), 4);
  }
  EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(THttpFileTest, SavesItsBytesToAFileAndAppendsThemToAStream) {
  const std::string temp = mFolder + "upload.tmp";
  WriteFile(temp, "payload");
  THttpFile file("a.txt", temp, "text/plain", "f", 7);

  const std::string destination = mFolder + "sub/dir/a.txt";
  file.SaveToFile(destination, false);
  EXPECT_EQ(FileContents(destination), "payload");
  EXPECT_EQ(MessageOf([&] { file.SaveToFile(destination, false); }),
            "File copy failed. The file \"a.txt\" already exists in destination folder.");

  TKXMemoryStream stream(0);
  TStreamHelper(&stream, false).Write("head:");
  file.SaveToStream(stream);
  TStreamHelper reader(&stream, false);
  EXPECT_EQ(reader.GetAsString(), "head:payload");
}

}  // namespace kx
