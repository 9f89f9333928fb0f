#include "kx/foundation/HttpPackets.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "kx/platform/SysUtils.h"

namespace kx {

THttpMethod HttpMethodFromText(std::string_view method) {
  std::string upper = UpperCase(method);
  if (upper == "GET") return hmGet;
  if (upper == "PUT") return hmPut;
  if (upper == "POST") return hmPost;
  if (upper == "HEAD") return hmHead;
  return hmNone;
}

const char* HttpMethodText(THttpMethod method) {
  constexpr const char* kMethods[] = {"", "GET", "PUT", "POST", "HEAD"};
  return method >= hmNone && method <= hmHead ? kMethods[method] : "";
}

// ---------------------------------------------------------------------------
// THttpPacket

namespace {

// The content of a packet file, read from the file field by field: a packet spills only when it is large, and then
// its large fields are read straight into their texts rather than into a copy of the whole file first. The file is
// deleted with the stream.
class TReadBackStream : public TFileStream {
 public:
  explicit TReadBackStream(const std::string& fileName)
      : TFileStream(fileName, fmOpenRead | fmShareDenyWrite), mFileName(fileName) {}  // opened: ours to delete
  ~TReadBackStream() override { ::unlink(mFileName.c_str()); }

 private:
  std::string mFileName;
};

}  // namespace

void THttpPacket::WriteSig(TStreamHelper& stream) {
  stream.WriteInteger(Signature);
  stream.WriteInteger(Version);
}

void THttpPacket::CheckSig(TStreamHelper& stream) {
  if (stream.ReadInteger() != Signature) throw Exception("No stream signature found.");
  if (stream.ReadInteger() != Version) throw Exception("Stream version mismatch.");
}

std::int64_t THttpPacket::Encode(THsmStream& content, void* buffer, std::int64_t bufferSize) {
  // The head is built aside; inline content goes from the stream straight into the buffer.
  TKXMemoryStream envelope(EnvelopeSize + 4 + std::int64_t(content.Pathname().size()));
  TStreamHelper writer(&envelope, false);
  WriteSig(writer);
  std::int64_t total;
  if (content.IsFlushed()) {
    writer.WriteByte(ptFile);
    writer.WriteText(content.Pathname());
    total = envelope.Size();
  } else {
    writer.WriteByte(ptInline);
    total = EnvelopeSize + content.Size();
  }
  if (total > bufferSize) throw Exception("aBytes is not large enough to hold stream.");
  std::memcpy(buffer, envelope.Memory(), std::size_t(envelope.Size()));
  if (!content.IsFlushed()) TStreamHelper(&content, false).CopyToBuffer(static_cast<char*>(buffer) + EnvelopeSize);
  return total;
}

std::unique_ptr<TStreamHelper> THttpPacket::GetStream(const void* buffer, std::int64_t length) {
  auto view = std::make_unique<TPointerStream>(buffer, std::max<std::int64_t>(length, 0));
  auto reader = std::make_unique<TStreamHelper>(std::move(view));
  CheckSig(*reader);
  switch (reader->ReadByte()) {
    case ptInline:
      return reader;
    case ptFile:
      return std::make_unique<TStreamHelper>(std::make_unique<TReadBackStream>(reader->ReadText()));
    default:
      throw Exception("Unknown packet type.");
  }
}

// ---------------------------------------------------------------------------
// TPacketReader

void TPacketReader::Need(std::int64_t bytes) const {
  if (bytes > mStream.Stream()->Size() - mStream.Stream()->Position())
    throw Exception("Packet is truncated or corrupt.");
}

std::uint8_t TPacketReader::ReadByte() {
  Need(1);
  return mStream.ReadByte();
}

bool TPacketReader::ReadBoolean() { return ReadByte() == 1; }

std::uint16_t TPacketReader::ReadWord() {
  Need(2);
  return mStream.ReadWord();
}

std::int32_t TPacketReader::ReadInteger() {
  Need(4);
  return mStream.ReadInteger();
}

std::string TPacketReader::ReadText() {
  Need(4);
  return mStream.ReadText();  // checks its own count
}

std::int32_t TPacketReader::ReadListCount() {
  std::int32_t count = std::max(ReadInteger(), 0);
  Need(std::int64_t(count) * 4);  // each text takes at least its count
  return count;
}

int TPacketReader::ReadStrings(std::vector<std::string>& strings) {
  std::int32_t count = ReadListCount();
  for (std::int32_t i = 0; i < count; ++i) strings.push_back(ReadText());
  return count;
}

int TPacketReader::ReadStrings(TStrings& strings) {
  std::int32_t count = ReadListCount();
  for (std::int32_t i = 0; i < count; ++i) strings.Add(ReadText());
  return count;
}

// ---------------------------------------------------------------------------
// Request packets

namespace {

constexpr std::size_t kMaxPacketFiles = 0xFFFF;

// Decimal digits only: the platform's integer parser would also take "$1F" and "0x1F".
std::int64_t DecimalFileSize(const std::string& text) {
  bool decimal = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  std::int64_t value = 0;
  if (!decimal || !TryStrToInt64(text, value)) throw EConvertError(Format("'%s' is not a valid integer value", text));
  return value;
}

void WriteRequestBody(TStreamHelper& writer, const TRequestPacketFields& f) {
  for (const std::string* text : {&f.UserAgent, &f.Referer, &f.ScriptName, &f.Host, &f.Authorization, &f.URL,
                                  &f.PathInfo, &f.RemoteAddr})
    writer.WriteText(*text);
  writer.WriteInteger(f.ServerPort);
  for (const std::string* text : {&f.Query, &f.Method, &f.IfModifiedSince, &f.ForwardedFor, &f.HttpClientIP,
                                  &f.AuthorizationHeader, &f.AuthUser, &f.AuthPass, &f.AcceptLanguage, &f.HttpsHeader})
    writer.WriteText(*text);
  for (const auto* list : {&f.RawHeaders, &f.ContentFields, &f.CookieFields, &f.QueryFields, &f.ServerVariables})
    writer.WriteStrings(*list);
  writer.WriteWord(std::uint16_t(f.Files.size()));
  for (const TRequestPacketFile& file : f.Files) {
    writer.WriteText(file.FileName);
    writer.WriteText(file.TempPathName);
    writer.WriteText(file.ContentType);
    writer.WriteText(file.FieldName);
    writer.WriteText(IntToStr(file.FileSize));
  }
  writer.WriteByte(f.HasContent ? 1 : 0);
}

void ReadRequestBody(TPacketReader& reader, TRequestPacketFields& f) {
  for (std::string* text : {&f.UserAgent, &f.Referer, &f.ScriptName, &f.Host, &f.Authorization, &f.URL, &f.PathInfo,
                            &f.RemoteAddr})
    *text = reader.ReadText();
  f.ServerPort = reader.ReadInteger();
  for (std::string* text : {&f.Query, &f.Method, &f.IfModifiedSince, &f.ForwardedFor, &f.HttpClientIP,
                            &f.AuthorizationHeader, &f.AuthUser, &f.AuthPass, &f.AcceptLanguage, &f.HttpsHeader})
    *text = reader.ReadText();
  for (auto* list : {&f.RawHeaders, &f.ContentFields, &f.CookieFields, &f.QueryFields, &f.ServerVariables})
    reader.ReadStrings(*list);
  std::uint16_t fileCount = reader.ReadWord();
  for (std::uint16_t i = 0; i < fileCount; ++i) {
    TRequestPacketFile file;
    file.FileName = reader.ReadText();
    file.TempPathName = reader.ReadText();
    file.ContentType = reader.ReadText();
    file.FieldName = reader.ReadText();
    file.FileSize = DecimalFileSize(reader.ReadText());
    f.Files.push_back(std::move(file));
  }
  f.HasContent = reader.ReadByte() != 0;
}

}  // namespace

std::int64_t WriteRequestPacket(const TRequestPacketFields& fields, void* buffer, std::int64_t bufferSize) {
  if (fields.Files.size() > kMaxPacketFiles) throw Exception("Too many files for a request packet.");
  // The spill file outlives the stream for the packet's reader, but only once
  // the packet has been written.
  TKXRenderStream content(true, true);
  THttpPacket::WriteSig(content);
  WriteRequestBody(content, fields);
  std::int64_t length = THttpPacket::Encode(*content.HsmStream(), buffer, bufferSize);
  content.HsmStream()->SetTransient(false);
  return length;
}

TRequestPacketFields ReadRequestPacket(const void* buffer, std::int64_t length) {
  std::unique_ptr<TStreamHelper> reader = THttpPacket::GetStream(buffer, length);
  THttpPacket::CheckSig(*reader);
  TPacketReader packet(*reader);
  TRequestPacketFields fields;
  ReadRequestBody(packet, fields);
  return fields;
}

}  // namespace kx
