#include "kx/hosts/HostUploads.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "support/TempFolder.h"

namespace kx {
namespace {

std::string FileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// A source that hands out at most Step bytes per read, so that delimiters fall across reads.
class TTrickleStream : public TPointerStream {
 public:
  TTrickleStream(const std::string& data, std::int64_t step) : TPointerStream(data.data(), std::int64_t(data.size())), mStep(step) {}
  std::int64_t Read(void* buffer, std::int64_t count) override { return TPointerStream::Read(buffer, std::min(count, mStep)); }

 private:
  std::int64_t mStep;
};

std::string Part(const std::string& boundary, const std::string& disposition, const std::string& content,
                 const std::string& contentType = "") {
  std::string part = "--" + boundary + "\r\nContent-Disposition: form-data; " + disposition + "\r\n";
  if (!contentType.empty()) part += "Content-Type: " + contentType + "\r\n";
  return part + "\r\n" + content + "\r\n";
}

class TMultipartParserTest : public TempFolderTest {
 protected:
  void Parse(const std::string& body, const std::string& boundary, std::int64_t step = 1 << 20) {
    TTrickleStream source(body, step);
    TMultipartParser(source, boundary).Parse(mFolder, mFields, mUploads);
  }

  std::vector<std::string> mFields;
  THostUploads mUploads;
};

TEST(SafeUploadFileName, KeepsOnlyABareName) {
  struct {
    const char* client;
    const char* expected;
  } cases[] = {
      {"report.pdf", "report.pdf"},
      {"../../etc/passwd", "passwd"},
      {"C:\\Users\\ann\\My Documents\\cv.doc", "cv.doc"},
      {"a/b\\c", "c"},
      {"..", ""},
      {".", ""},
      {"dir/..", ""},
      {"/", ""},
      {"evil\r\nX-Injected: 1.txt", "evilX-Injected: 1.txt"},
      {"nul\x01\x7F.txt", "nul.txt"},
      {"na\xC3\xAFve.txt", "na\xC3\xAFve.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.client);
    EXPECT_EQ(SafeUploadFileName(c.client), c.expected);
  }
}

TEST(HeaderParameter, ReadsQuotedAndTokenValues) {
  struct {
    const char* value;
    const char* name;
    const char* expected;
  } cases[] = {
      {"form-data; name=\"field\"; filename=\"a.txt\"", "name", "field"},
      {"form-data; name=\"field\"; filename=\"a.txt\"", "filename", "a.txt"},
      {"form-data; filename=\"a.txt\"; name=\"field\"", "name", "field"},  // "filename" is not "name"
      {"multipart/form-data; boundary=----abc123", "boundary", "----abc123"},
      {"multipart/form-data; BOUNDARY=\"x y\"", "boundary", "x y"},
      {"form-data; filename=\"C:\\dir\\f.txt\"", "filename", "C:\\dir\\f.txt"},  // backslashes as sent
      {"form-data; name=\"a;b\"; x=1", "x", "1"},                                 // ";" inside quotes
      {"form-data; name=\"field\"", "filename", ""},
      {"form-data", "name", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " / " + c.name);
    EXPECT_EQ(HeaderParameter(c.value, c.name), c.expected);
  }
}

TEST_F(TMultipartParserTest, ReadsFieldsAndFiles) {
  std::string body = "preamble to ignore\r\n" + Part("XyZ", "name=\"title\"", "Hello\r\nWorld") +
                     Part("XyZ", "name=\"doc\"; filename=\"../a.txt\"", "file --XyZ text", "text/plain") +
                     Part("XyZ", "name=\"empty\"; filename=\"\"", "", "application/octet-stream") + "--XyZ--\r\n";
  Parse(body, "XyZ", 3);
  EXPECT_EQ(mFields, (std::vector<std::string>{"title=Hello\r\nWorld"}));
  ASSERT_EQ(mUploads.Files().size(), 1u);
  const TRequestPacketFile& file = mUploads.Files()[0];
  EXPECT_EQ(file.FileName, "a.txt");
  EXPECT_EQ(file.FieldName, "doc");
  EXPECT_EQ(file.ContentType, "text/plain");
  EXPECT_EQ(file.FileSize, 15);
  EXPECT_EQ(file.TempPathName.rfind(mFolder + "BRM", 0), 0u);
  EXPECT_EQ(FileBytes(file.TempPathName), "file --XyZ text");
}

TEST_F(TMultipartParserTest, FiveMegabyteFileArrivesByteForByte) {
  std::string data(5 * 1024 * 1024, '\0');
  std::mt19937 random(42);
  for (char& c : data) c = char(random());
  // Near-delimiters inside the data, one of them across the parser's 64 KB read blocks.
  data.replace(1000, 8, "\r\n--bou");
  data.replace(65536 - 3, 7, "\r\n--bo");
  std::string body = Part("boundary", "name=\"f\"; filename=\"big.bin\"", data, "application/octet-stream") +
                     "--boundary--";
  Parse(body, "boundary");
  ASSERT_EQ(mUploads.Files().size(), 1u);
  EXPECT_EQ(mUploads.Files()[0].FileSize, std::int64_t(data.size()));
  EXPECT_TRUE(FileBytes(mUploads.Files()[0].TempPathName) == data);
}

TEST_F(TMultipartParserTest, MalformedBodiesRaiseAndLeaveNoFile) {
  struct {
    const char* name;
    std::string body;
  } cases[] = {
      {"no delimiter", "just text"},
      {"no closing delimiter", Part("b", "name=\"f\"; filename=\"x\"", "data")},
      {"file cut short", "--b\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x\"\r\n\r\npartial"},
      {"junk after delimiter", "--bXX\r\n\r\n\r\n--b--"},
      {"header block without end", "--b\r\n" + std::string(20000, 'h')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    {
      THostUploads uploads;
      std::vector<std::string> fields;
      TPointerStream source(c.body.data(), std::int64_t(c.body.size()));
      EXPECT_THROW(TMultipartParser(source, "b").Parse(mFolder, fields, uploads), EMultipartError);
    }
    EXPECT_EQ(FileCount(), 0u);
  }
}

TEST_F(TMultipartParserTest, TooManyFilesRaise) {
  std::string body;
  for (std::size_t i = 0; i <= THostUploads::MaxFiles; ++i) body += Part("b", "name=\"f\"; filename=\"x\"", "1");
  body += "--b--";
  {
    THostUploads uploads;
    std::vector<std::string> fields;
    TPointerStream source(body.data(), std::int64_t(body.size()));
    EXPECT_THROW(TMultipartParser(source, "b").Parse(mFolder, fields, uploads), EMultipartError);
    EXPECT_EQ(uploads.Files().size(), THostUploads::MaxFiles);
  }
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(TMultipartParserTest, UploadsDeleteTheirFilesUnlessReleased) {
  std::string body = Part("b", "name=\"f\"; filename=\"x\"", "1") + "--b--";
  std::string kept;
  {
    THostUploads uploads;
    std::vector<std::string> fields;
    TPointerStream source(body.data(), std::int64_t(body.size()));
    TMultipartParser(source, "b").Parse(mFolder, fields, uploads);
    kept = uploads.Files()[0].TempPathName;
    uploads.Release();
  }
  EXPECT_EQ(FileBytes(kept), "1");
  {
    THostUploads uploads;
    TPointerStream source("abc", 3);
    uploads.AddFile(source, mFolder, "raw.bin", "up", "application/octet-stream");
    EXPECT_EQ(FileCount(), 2u);
  }
  EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
}  // namespace kx
