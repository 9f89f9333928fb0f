#include "kx/appserver/InternalFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "kx/appserver/Compression.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Resources.h"
#include "support/Inflate.h"

namespace kx {
namespace {

using test::Gunzip;

namespace fs = std::filesystem;

std::unique_ptr<TMemoryStream> StreamOf(const std::string& text) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(text.data(), std::int64_t(text.size()));
  return stream;
}

std::string ReadAll(TStream& stream) {
  std::string text(std::size_t(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(text.data(), std::int64_t(text.size()));
  return text;
}

// What a request for name gets: {bytes, compressed}.
std::pair<std::string, bool> Fetch(const TKXServerInternalFiles& files, const std::string& name) {
  bool enableCache = false, compressed = false;
  std::unique_ptr<TStream> stream = files.ResourceAsStream(name, enableCache, compressed);
  EXPECT_TRUE(enableCache);
  return {ReadAll(*stream), compressed};
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(nothing raised)";
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kxinternalXXXXXX").string();
    mPath = mkdtemp(pattern.data());
  }
  ~TTempFolder() { fs::remove_all(mPath); }
  const fs::path& Path() const { return mPath; }

 private:
  fs::path mPath;
};

TEST(TKXServerInternalFiles, RegistersTheEmbeddedSystemFiles) {
  TKXServerInternalFiles files;
  for (const char* name : {"KX_FAVICON", "KX_GFX_SECURITYCHECK", "KX_GFX_ERROR", "KX_GFX_SESSIONTIMEOUT",
                           "KX_GFX_SESSIONINVALID", "KX_JS_KXBASE", "KX_JS_KXLIB", "KX_JS_KXEXPLORER",
                           "KX_JS_KXGECKO", "KX_JS_KXBACKINTERCEPT", "KX_GFX_Tp", "KX_GFX_LogoBrenmoor",
                           "KX_GFX_LogoKestrix", "KX_GFX_loading"}) {
    SCOPED_TRACE(name);
    // A row whose resource is not embedded (yet) is absent, never a broken entry.
    EXPECT_EQ(files.ResourceExists(name), FindResource(name) != nullptr);
  }
}

TEST(TKXServerInternalFiles, ServesTheEmbeddedBytesWithoutCopying) {
  TKXServerInternalFiles files;
  const TEmbeddedResource* favicon = FindResource("KX_FAVICON");
  ASSERT_NE(favicon, nullptr);
  bool enableCache = false, compressed = true;
  std::unique_ptr<TStream> stream = files.ResourceAsStream("KX_FAVICON", enableCache, compressed);
  auto* view = dynamic_cast<TCloneMemoryStream*>(stream.get());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Memory(), static_cast<const void*>(favicon->Data));
  EXPECT_EQ(view->Size(), std::int64_t(favicon->Size));
  EXPECT_EQ(view->Position(), 0);
  EXPECT_TRUE(enableCache);
  EXPECT_FALSE(compressed);
  EXPECT_THROW(view->Write("x", 1), EStreamError);
  EXPECT_THROW(view->SetSize(0), EStreamError);
}

TEST(TKXServerInternalFiles, LookupIgnoresCase) {
  TKXServerInternalFiles files;
  const TEmbeddedResource* tp = FindResource("KX_GFX_Tp");
  ASSERT_NE(tp, nullptr);
  std::string expected(tp->Text());
  for (const char* name : {"KX_GFX_Tp", "kx_gfx_tp", "KX_GFX_TP", "Kx_Gfx_tP"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(files.ResourceExists(name));
    EXPECT_EQ(Fetch(files, name).first, expected);
  }
  files.AddStream(StreamOf("mixed"), "Kx_Css_Mixed", "/css/Mixed.css");
  EXPECT_EQ(Fetch(files, "KX_CSS_MIXED").first, "mixed");
}

TEST(TKXServerInternalFiles, MissingNamesRaiseTheirMessages) {
  TKXServerInternalFiles files;
  EXPECT_THROW(files.ResourceAsStream("KX_JS_NOSUCH"), EKXInvalidResourceException);
  EXPECT_EQ(MessageOf([&] { files.ResourceAsStream("KX_JS_NoSuch"); }), "Resource KX_JS_NoSuch not found.");
  EXPECT_FALSE(files.ResourceExists("KX_JS_NOSUCH"));
  EXPECT_EQ(MessageOf([&] { files.ResourceAsString("kx_gfx_nosuch"); }), "Resource KX_GFX_NOSUCH not found.");

  EXPECT_EQ(MessageOf([&] { files.Add("kx_gfx_nosuch", "/gfx/x.gif"); }), "Cannot find internal file: KX_GFX_NOSUCH");
  EXPECT_EQ(MessageOf([&] { TKXServerInternalFiles::GetResourceStream("KX_NOSUCH"); }),
            "Cannot find internal file: KX_NOSUCH");
  EXPECT_FALSE(files.ResourceExists("KX_GFX_NOSUCH"));  // a failed Add leaves no entry
}

TEST(TKXServerInternalFiles, UncompressedFilesReplaceOnlyScripts) {
  TKXServerInternalFiles files;
  // KX_JS_SAMPLE is no system file: switching the flag on registers the embedded readable scripts, which would
  // replace a test entry of the same name.
  for (const char* name : {"KX_JS_SAMPLE", "KX_GFX_Pic", "KX_CSS_Style", "KX_JS_ONLYPLAIN"})
    files.AddStream(StreamOf(std::string("plain ") + name), name, "");
  for (const char* name : {"KX_JS_SAMPLE_DBG", "KX_GFX_Pic_DBG", "KX_CSS_Style_DBG"})
    files.AddStream(StreamOf(std::string("readable ") + name), name, "");

  struct {
    const char* request;
    const char* plain;
    const char* withFlag;
  } cases[] = {
      {"KX_JS_SAMPLE", "plain KX_JS_SAMPLE", "readable KX_JS_SAMPLE_DBG"},
      {"kx_js_sample", "plain KX_JS_SAMPLE", "readable KX_JS_SAMPLE_DBG"},
      {"KX_GFX_Pic", "plain KX_GFX_Pic", "plain KX_GFX_Pic"},
      {"KX_CSS_Style", "plain KX_CSS_Style", "plain KX_CSS_Style"},
      {"KX_JS_ONLYPLAIN", "plain KX_JS_ONLYPLAIN", "plain KX_JS_ONLYPLAIN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(Fetch(files, c.request).first, c.plain);
    files.SetUseUncompressedFiles(true);
    EXPECT_EQ(Fetch(files, c.request).first, c.withFlag);
    files.SetUseUncompressedFiles(false);  // keeps the readable entries, stops preferring them
    EXPECT_EQ(Fetch(files, c.request).first, c.plain);
  }
  EXPECT_TRUE(files.ResourceExists("KX_JS_SAMPLE_DBG"));
  // Switching on registers the readable scripts that are embedded, and only those.
  files.SetUseUncompressedFiles(true);
  EXPECT_EQ(files.ResourceExists("KX_JS_KXCL_DBG"), FindResource("KX_JS_KXCL_DBG") != nullptr);
}

TEST(TKXServerInternalFiles, RegisteringTwiceReplacesBytesPathAndMark) {
  TTempFolder folder;
  TKXServerInternalFiles files;
  files.AddStream(StreamOf("first"), "KX_JS_TWICE", "/js/First.js");
  files.DoPreCompressFiles();
  ASSERT_TRUE(Fetch(files, "KX_JS_TWICE").second);

  files.AddStream(StreamOf("second"), "kx_js_twice", "/js/Second.js");
  EXPECT_EQ(Fetch(files, "KX_JS_TWICE"), std::make_pair(std::string("second"), false));
  files.WriteAllToDisk(folder.Path().string());
  EXPECT_FALSE(fs::exists(folder.Path() / "js/First.js"));
  EXPECT_EQ(FileText(folder.Path() / "js/Second.js"), "second");
}

TEST(TKXServerInternalFiles, PreCompressionGzipsScriptsAndStyleSheets) {
  TKXServerInternalFiles files;
  std::string script;
  for (int i = 0; i < 2000; ++i) script += "function f" + std::to_string(i) + "() { return 1; }\n";
  files.AddStream(StreamOf(script), "KX_JS_BIG", "/js/Big.js");
  files.AddStream(StreamOf("body { color: red }"), "kx_css_small", "/css/Small.css");
  files.AddStream(StreamOf(""), "KX_JS_EMPTY", "/js/Empty.js");
  files.AddStream(StreamOf("GIF89a..."), "KX_GFX_Image", "/gfx/Image.gif");
  files.AddStream(StreamOf("\x1F\x8B"), "KX_JS_TWOBYTES", "");
  files.AddStream(StreamOf("\x1F\x8B\x08 already gzip"), "KX_JS_ZIPPED", "");
  std::int64_t before = files.GetTotalSize();

  files.SetPreCompressFiles(true);
  EXPECT_TRUE(files.PreCompressFiles());

  auto [big, bigCompressed] = Fetch(files, "KX_JS_BIG");
  EXPECT_TRUE(bigCompressed);
  EXPECT_EQ(big.substr(0, 3), "\x1F\x8B\x08");
  EXPECT_EQ(static_cast<unsigned char>(big[8]), 2);  // level 9
  EXPECT_EQ(Gunzip(big), script);
  EXPECT_LT(files.GetTotalSize(), before);

  auto [small, smallCompressed] = Fetch(files, "KX_CSS_SMALL");
  EXPECT_TRUE(smallCompressed);
  EXPECT_EQ(Gunzip(small), "body { color: red }");
  EXPECT_EQ(Gunzip(Fetch(files, "KX_JS_EMPTY").first), "");

  EXPECT_EQ(Fetch(files, "KX_GFX_Image"), std::make_pair(std::string("GIF89a..."), false));
  // Two bytes are not a gzip stream: compressed anyway. Three with the signature are only marked.
  auto [two, twoCompressed] = Fetch(files, "KX_JS_TWOBYTES");
  EXPECT_TRUE(twoCompressed);
  EXPECT_EQ(Gunzip(two), "\x1F\x8B");
  EXPECT_EQ(Fetch(files, "KX_JS_ZIPPED"), std::make_pair(std::string("\x1F\x8B\x08 already gzip"), true));

  // A second run leaves compressed entries alone.
  files.DoPreCompressFiles();
  EXPECT_EQ(Gunzip(Fetch(files, "KX_JS_BIG").first), script);
}

TEST(TKXServerInternalFiles, FailedCompressionLeavesTheEntry) {
  TKXServerInternalFiles files;
  files.AddStream(StreamOf("var a;"), "KX_JS_A", "");
  TKXCompressStreamProc saved = KXCompressStreamProc;
  KXCompressStreamProc = [](TStream&, TStream& dest, int, TKXCompressMethod) {
    dest.WriteBuffer("junk", 4);
    throw ECompressionError("insufficient memory");
  };
  EXPECT_THROW(files.DoPreCompressFiles(), ECompressionError);
  KXCompressStreamProc = saved;
  EXPECT_EQ(Fetch(files, "KX_JS_A"), std::make_pair(std::string("var a;"), false));
}

// C1: a view handed out keeps its bytes alive; replacing, compressing or freeing never pulls them from under it.
TEST(TKXServerInternalFiles, ViewOutlivesReplacedBytes) {
  auto files = std::make_unique<TKXServerInternalFiles>();
  files->AddStream(StreamOf("old bytes"), "KX_JS_C1", "");
  std::unique_ptr<TStream> replaced = files->ResourceAsStream("KX_JS_C1");
  files->AddStream(StreamOf("new bytes, longer than the old ones"), "KX_JS_C1", "");
  EXPECT_EQ(ReadAll(*replaced), "old bytes");
  EXPECT_EQ(Fetch(*files, "KX_JS_C1").first, "new bytes, longer than the old ones");

  std::unique_ptr<TStream> compressed = files->ResourceAsStream("KX_JS_C1");
  files->DoPreCompressFiles();
  EXPECT_EQ(ReadAll(*compressed), "new bytes, longer than the old ones");

  std::unique_ptr<TStream> last = files->ResourceAsStream("KX_JS_C1");
  files.reset();
  EXPECT_EQ(Gunzip(ReadAll(*last)), "new bytes, longer than the old ones");
  EXPECT_EQ(ReadAll(*replaced), "old bytes");
}

TEST(TKXServerInternalFiles, ResourceNeededSuppliesMissingFiles) {
  TKXServerInternalFiles files;
  files.AddStream(StreamOf("registered"), "KX_JS_HERE", "");
  std::vector<std::string> asked;
  files.SetOnResourceNeeded([&](const std::string& name, std::unique_ptr<TStream>& stream, bool& enableCache) {
    asked.push_back(name);
    EXPECT_TRUE(enableCache);
    if (name == "KX_JS_MADE") {
      stream = StreamOf("made");
      enableCache = false;
    }
  });

  bool enableCache = true, compressed = true;
  std::unique_ptr<TStream> made = files.ResourceAsStream("KX_JS_MADE", enableCache, compressed);
  EXPECT_EQ(ReadAll(*made), "made");
  EXPECT_FALSE(enableCache);
  EXPECT_FALSE(compressed);
  EXPECT_FALSE(files.ResourceExists("KX_JS_MADE"));  // ResourceExists does not ask

  EXPECT_EQ(MessageOf([&] { files.ResourceAsStream("KX_JS_NONE"); }), "Resource KX_JS_NONE not found.");
  EXPECT_EQ(Fetch(files, "KX_JS_HERE").first, "registered");
  EXPECT_EQ(asked, (std::vector<std::string>{"KX_JS_MADE", "KX_JS_NONE"}));
}

// C2: the handler runs without the registry's lock, so it may register what it made.
TEST(TKXServerInternalFiles, ResourceNeededMayRegisterWhatItMade) {
  TKXServerInternalFiles files;
  files.SetOnResourceNeeded([&files](const std::string& name, std::unique_ptr<TStream>& stream, bool&) {
    files.AddStream(StreamOf("cached " + name), name, "");
    stream = files.ResourceAsStream(name);
  });
  EXPECT_EQ(ReadAll(*files.ResourceAsStream("KX_JS_LAZY")), "cached KX_JS_LAZY");
  EXPECT_TRUE(files.ResourceExists("KX_JS_LAZY"));
}

TEST(TKXServerInternalFiles, ResourceAsStringDecodesTemplates) {
  TKXServerInternalFiles files;
  const TEmbeddedResource* error = FindResource("KX_GFX_ERROR");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(files.ResourceAsString("kx_gfx_error"), error->Text());
  EXPECT_EQ(TKXServerInternalFiles::GetResourceStreamAsString("kx_gfx_error"), error->Text());

  files.AddStream(StreamOf("caf\xC3\xA9 \xFF"), "KX_GFX_TEXT", "");
  EXPECT_EQ(files.ResourceAsString("KX_GFX_TEXT"), "caf\xC3\xA9 \xEF\xBF\xBD");
}

TEST(TKXServerInternalFiles, TotalSizeAndFiles) {
  TKXServerInternalFiles files;
  std::int64_t system = 0;
  for (const TEmbeddedResource& resource : EmbeddedResources())
    if (files.ResourceExists(std::string(resource.Name))) system += std::int64_t(resource.Size);
  EXPECT_EQ(files.GetTotalSize(), system);

  TTempFolder folder;
  fs::path source = folder.Path() / "source.js";
  std::ofstream(source, std::ios::binary) << "from a file";
  files.AddFromFile(source.string(), "KX_JS_FILE", "/js/File.js");
  files.AddStream(nullptr, "KX_JS_NOTHING", "");  // an entry without bytes reads as empty
  EXPECT_EQ(Fetch(files, "KX_JS_FILE").first, "from a file");
  EXPECT_EQ(Fetch(files, "KX_JS_NOTHING").first, "");
  EXPECT_EQ(files.GetTotalSize(), system + 11);
  EXPECT_THROW(files.AddFromFile((folder.Path() / "missing.js").string(), "KX_JS_X", ""), EFOpenError);
}

TEST(TKXServerInternalFiles, WriteAllToDiskMapsUrlPathsUnderTheFolder) {
  TTempFolder folder;
  TKXServerInternalFiles files;
  files.AddStream(StreamOf("a"), "KX_JS_A", "/js/A.js");
  files.AddStream(StreamOf("b"), "KX_JS_B", "B.js");
  files.AddStream(StreamOf("c"), "KX_CSS_C", "\\css\\\\deep\\C.css");
  files.AddStream(StreamOf("d"), "KX_GFX_D", "/gfx//D.gif");
  files.AddStream(StreamOf("no path"), "KX_GFX_E", "");
  files.WriteAllToDisk(folder.Path().string());  // no trailing "/"

  EXPECT_EQ(FileText(folder.Path() / "js/A.js"), "a");
  EXPECT_EQ(FileText(folder.Path() / "B.js"), "b");
  EXPECT_EQ(FileText(folder.Path() / "css/deep/C.css"), "c");
  EXPECT_EQ(FileText(folder.Path() / "gfx/D.gif"), "d");
  const TEmbeddedResource* favicon = FindResource("KX_FAVICON");
  ASSERT_NE(favicon, nullptr);
  EXPECT_EQ(FileText(folder.Path() / "FAVICON.ICO"), favicon->Text());
  EXPECT_TRUE(fs::exists(folder.Path() / "Error.html"));
  for (const auto& entry : fs::recursive_directory_iterator(folder.Path()))
    if (entry.is_regular_file()) {
      EXPECT_NE(FileText(entry.path()), "no path") << entry.path();
    }

  // Compressed entries are written as they are stored.
  files.DoPreCompressFiles();
  TTempFolder second;
  files.WriteAllToDisk(second.Path().string() + "/");
  EXPECT_EQ(Gunzip(FileText(second.Path() / "js/A.js")), "a");
}

TEST(TKXServerInternalFiles, WriteAllToDiskNeverOverwrites) {
  TTempFolder folder;
  fs::create_directories(folder.Path() / "js");
  std::ofstream(folder.Path() / "js/KXBase.js") << "mine";
  fs::create_directories(folder.Path() / "gfx/Tp.gif");  // a folder where a file would go
  TKXServerInternalFiles files;
  files.AddStream(StreamOf("theirs"), "KX_JS_KXBASE", "/js/KXBase.js");
  files.AddStream(StreamOf("next"), "KX_JS_NEXT", "/js/Next.js");
  files.WriteAllToDisk(folder.Path().string());
  EXPECT_EQ(FileText(folder.Path() / "js/KXBase.js"), "mine");
  EXPECT_TRUE(fs::is_directory(folder.Path() / "gfx/Tp.gif"));
  EXPECT_EQ(FileText(folder.Path() / "js/Next.js"), "next");  // the loop went on
}

TEST(TKXServerInternalFiles, WriteAllToDiskStaysInsideTheFolder) {
  TTempFolder outside;
  fs::path folder = outside.Path() / "target";
  fs::create_directories(folder / "in");
  fs::create_directory(outside.Path() / "elsewhere");
  fs::create_directory_symlink(outside.Path() / "elsewhere", folder / "link");
  fs::create_symlink(outside.Path() / "victim.txt", folder / "in/dangling.txt");

  TKXServerInternalFiles files;
  for (const char* path : {"../escaped.txt", "/in/../../escaped2.txt", "/link/through.txt", "/link/sub/deep.txt",
                           "/in/dangling.txt", "/..", "/in/.hidden"})
    files.AddStream(StreamOf("evil"), std::string("KX_JS_") + std::to_string(std::hash<std::string>()(path)), path);
  files.AddStream(StreamOf("good"), "KX_JS_GOOD", "/in/good.txt");
  files.WriteAllToDisk(folder.string());

  EXPECT_EQ(FileText(folder / "in/good.txt"), "good");
  EXPECT_FALSE(fs::exists(outside.Path() / "escaped.txt"));
  EXPECT_FALSE(fs::exists(outside.Path() / "escaped2.txt"));
  EXPECT_TRUE(fs::is_empty(outside.Path() / "elsewhere"));
  EXPECT_FALSE(fs::exists(outside.Path() / "victim.txt"));
  EXPECT_FALSE(fs::exists(folder / "in/.hidden"));
}

// Readers see either the old or the new entry, whole: bytes and compressed mark always belong together. Run this
// under -fsanitize=thread to see that no access races.
TEST(TKXServerInternalFiles, ConcurrentReadersWithAWriter) {
  TKXServerInternalFiles files;
  auto content = [](int version) { return std::string(std::size_t(1000 + version), char('a' + version % 26)); };
  files.AddStream(StreamOf(content(0)), "KX_JS_SHARED", "/js/Shared.js");

  std::atomic<bool> done{false};
  std::atomic<int> failures{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      while (!done) {
        bool enableCache, compressed;
        std::unique_ptr<TStream> stream = files.ResourceAsStream("kx_js_shared", enableCache, compressed);
        std::string text = ReadAll(*stream);
        if (compressed) text = Gunzip(text);
        int version = int(text.size()) - 1000;
        if (version < 0 || text != content(version)) ++failures;
        if (!files.ResourceExists("KX_JS_SHARED") || files.GetTotalSize() <= 0) ++failures;
      }
    });
  }
  for (int version = 1; version <= 300; ++version) {
    files.AddStream(StreamOf(content(version)), "KX_JS_SHARED", "/js/Shared.js");
    if (version % 10 == 0) files.DoPreCompressFiles();
    if (version % 50 == 0) files.SetUseUncompressedFiles(version % 100 == 0);
  }
  done = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(Gunzip(Fetch(files, "KX_JS_SHARED").first), content(300));  // the last version was compressed
}

TEST(TKXServerInternalFiles, ProcessRegistryIsCreatedByStartUp) {
  FreeInternalFiles();
  ASSERT_EQ(gInternalFiles, nullptr);
  CreateInternalFiles();
  TKXServerInternalFiles* first = gInternalFiles;
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->ResourceExists("KX_FAVICON"));
  CreateInternalFiles();
  EXPECT_EQ(gInternalFiles, first);
  std::unique_ptr<TStream> kept = gInternalFiles->ResourceAsStream("KX_GFX_ERROR");
  FreeInternalFiles();
  EXPECT_EQ(gInternalFiles, nullptr);
  EXPECT_EQ(ReadAll(*kept), FindResource("KX_GFX_ERROR")->Text());
}

}  // namespace
}  // namespace kx
