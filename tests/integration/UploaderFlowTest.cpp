// The file uploader through the entry point: a main form with one uploader; uploads arrive as the host stores
// them (a temporary file per upload, listed in the request packet) on the session's "$/upload/" path, the way
// KXFileUploader.js posts them. Each case checks the answer, what was saved where, and that no temporary file is
// left once the request is answered.
#include "kx/controls/uploader/FileUploader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerSession.h"
#include "kx/appserver/Sessions.h"
#include "kx/appserver/Startup.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "kx/platform/Streams.h"
#include "support/FormTestControls.h"
#include "support/PacketFlow.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

class TUploadForm : public TKXForm {
  KX_COMPONENT_CLASS(TUploadForm, TKXForm)

 public:
  static inline std::function<void(TKXFileUploader&)> Configure;
  TKXFileUploader* Uploader = nullptr;

 protected:
  void BuildComponents() override {
    Uploader = test::AddControl<TKXFileUploader>(this, this, "Up1", 10, 10, 300, 120);
    if (Configure) Configure(*Uploader);
  }
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A JSON answer with its escaped slashes as they are read.
std::string Unescaped(std::string text) {
  for (std::size_t at; (at = text.find("\\/")) != std::string::npos;) text.erase(at, 1);
  return text;
}

// The library's log lines of a test.
std::vector<std::string> gLogged;
void KeepLogLine(const std::string& line) { gLogged.push_back(line); }

class UploaderFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLogged.clear();
    gLogProcedure = &KeepLogLine;
    RegisterSessionLayer();
    SetAsMainForm<TUploadForm>();
    mController = std::make_unique<test::TTempController>();
    mDest = fs::path(gsTempPath()) / ("kx-upload-dest-" + std::to_string(::getpid()));
    mSpool = fs::path(gsTempPath()) / ("kx-upload-spool-" + std::to_string(::getpid()));
    fs::remove_all(mDest);
    fs::create_directories(mSpool);
  }

  void TearDown() override {
    gLogProcedure = nullptr;
    TUploadForm::Configure = nullptr;
    mController.reset();
    fs::remove_all(mDest);
    fs::remove_all(mSpool);
  }

  // Posts one file in field (as the host stored it) and returns the answer's body.
  std::string Upload(const std::string& clientName, const std::string& bytes, const std::string& field = "UP1") {
    const std::string temp = (mSpool / ("up" + std::to_string(++mCount) + ".tmp")).string();
    std::ofstream(temp, std::ios::binary) << bytes;
    mClient.NextFiles = {{clientName, temp, "application/octet-stream", field, std::int64_t(bytes.size())}};
    TReplyPacket reply = mClient.Send("POST", "/$/upload/" + mClient.Track(), "",
                                      {"KX_ActionParam=UP1", "KXFileUploader=true", "UP1=",
                                       "KX_SessionID_=" + mClient.Id()});
    EXPECT_EQ(reply.Code, 200);
    EXPECT_FALSE(fs::exists(temp)) << "temporary file left: " << temp;
    return reply.Content;
  }

  TKXApplication* Session() { return SessionStore()->LookUp(mClient.Id()); }

  std::unique_ptr<test::TTempController> mController;
  test::TPacketClient mClient;
  fs::path mDest, mSpool;
  int mCount = 0;
};

TEST_F(UploaderFlowTest, PageCreatesTheClientObjectWithTheSessionUploadPath) {
  TReplyPacket reply = mClient.OpenMainForm();
  ASSERT_EQ(reply.Code, 200);
  test::TParsedDocument page(reply.Content, true);
  EXPECT_EQ(page.Count("//div[@id='UP1']"), 1);
  EXPECT_EQ(page.Count("//script[contains(@src, '/js/KXFileUploader')]"), 1);
  const std::string script = reply.Content;
  EXPECT_NE(script.find("function createUP1(){return new kxfu.FileUploader({element:document.getElementById(\"UP1\"), "
                        "action:\"$/upload/\"+(GTrackID),"),
            std::string::npos);
  EXPECT_NE(script.find("window.UP1_Obj = createUP1();"), std::string::npos);
  // The class rules of the looks, with the images under the internal base.
  for (const char* rule : {".up1-button {", ".up1-drop-area span {", ".up1-upload-listItem {",
                           "url(\"/$/gfx/check.png\")", "url(\"/$/gfx/alert.png\")",
                           "url(\"/$/gfx/fileUploading.gif\")"})
    EXPECT_NE(script.find(rule), std::string::npos) << rule;
  // The texts and templates are script strings: no markup of them reaches the page as such.
  EXPECT_NE(script.find("template: '\\x3Cdiv class=\\x22KXFileUploader\\x22"), std::string::npos);
}

// What the handler does, what is asked of the control, and where the bytes must (not) end up.
TEST_F(UploaderFlowTest, UploadsAreCheckedNamedSafelyAndSaved) {
  struct Case {
    const char* name;
    std::function<void(TKXFileUploader&, const fs::path&)> configure;
    const char* clientName;
    const char* answer;      // a part of the body
    const char* savedAs;     // relative to the destination; "" for nothing saved
    bool logged = false;     // the program's folder or name refused it: a line in the library's log
  };
  const auto intoDest = [](TKXFileUploader& up, const fs::path& dest) {
    up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string&, bool&, bool&) { path = dest.string(); };
  };
  const std::string longName = std::string(300, 'A') + ".txt";
  const Case cases[] = {
      {"plain", intoDest, "a.txt", "{\"success\":true}", "a.txt"},
      {"parent path", intoDest, "../../evil.txt", "{\"success\":true}", "evil.txt"},
      {"windows path", intoDest, "..\\..\\win.txt", "{\"success\":true}", "win.txt"},
      {"absolute path", intoDest, "/etc/passwd", "{\"success\":true}", "passwd"},
      {"control characters", intoDest, "b\x01\x1f.txt", "{\"success\":true}", "b.txt"},
      {"nothing left", intoDest, "..", "Invalid file name", ""},
      {"handler renames into a subfolder",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string& name, bool&, bool&) {
           path = dest.string();
           name = "sub/" + name;
         };
       },
       "c.txt", "{\"success\":true}", "sub/c.txt"},
      {"handler name leaves the folder",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string& name, bool&, bool&) {
           path = dest.string();
           name = "../" + name;
         };
       },
       "d.txt", "leaves the destination folder", "", true},
      // Issue 46, fault 2: a folder named with a trailing "/" refused every file, and nothing was logged.
      {"handler folder ends in a separator",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string&, bool&, bool&) {
           path = dest.string() + "/";
         };
       },
       "p.txt", "{\"success\":true}", "p.txt"},
      {"handler name leaves a folder that ends in a separator",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string& name, bool&, bool&) {
           path = dest.string() + "/";
           name = "sub/../../" + name;
         };
       },
       "q.txt", "leaves the destination folder", "", true},
      {"auto save into a path that ends in a separator",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.SetAutoSave(true);
         up.SetAutoSavePath(dest.string() + "/");
       },
       "r.txt", "{\"success\":true}", "r.txt"},
      {"handler skips",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string&, bool& save, bool&) {
           path = dest.string();
           save = false;
         };
       },
       "e.txt", "{\"success\":true}", ""},
      {"extension not allowed",
       [&intoDest](TKXFileUploader& up, const fs::path& dest) {
         intoDest(up, dest);
         up.SetAllowedExtensions("*.jpg; *.PNG");
       },
       "f.exe", "f.exe has an invalid extension. Only jpg,PNG files are allowed.", ""},
      {"extension allowed ignoring case",
       [&intoDest](TKXFileUploader& up, const fs::path& dest) {
         intoDest(up, dest);
         up.SetAllowedExtensions("png");
       },
       "g.Png", "{\"success\":true}", "g.Png"},
      {"too large",
       [&intoDest](TKXFileUploader& up, const fs::path& dest) {
         intoDest(up, dest);
         up.SetMaxFileSize(4);
       },
       "h.txt", "h.txt is too large, maximum file size is 4.", ""},
      {"too small",
       [&intoDest](TKXFileUploader& up, const fs::path& dest) {
         intoDest(up, dest);
         up.SetMinFileSize(6);
       },
       "i.txt", "i.txt is too small", ""},
      {"disabled",
       [&intoDest](TKXFileUploader& up, const fs::path& dest) {
         intoDest(up, dest);
         up.SetEnabled(false);
       },
       "j.txt", "Uploads are disabled", ""},
      {"auto save into a path",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.SetAutoSave(true);
         up.SetAutoSavePath(dest.string());
         up.OnAsyncUploadCompleted = [](TObject*, std::string&, std::string&, bool&, bool&) { FAIL(); };
       },
       "../k.txt", "{\"success\":true}", "k.txt"},
      {"no handler saves nothing", nullptr, "l.txt", "{\"success\":true}", ""},
      // Issue 40, fault 6: a name too long for a directory entry, or a file that cannot be written, answered the
      // file system's message with the server's folders in it.
      {"name over 255 bytes", intoDest, longName.c_str(), "Invalid file name", ""},
      {"handler name over 255 bytes",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string& name, bool&, bool&) {
           path = dest.string();
           name = std::string(300, 'B');
         };
       },
       "m.txt", "could not be created.\\r\\nFile name too long", "", true},
      {"handler path over the system's limit",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string& name, bool&, bool&) {
           path = dest.string();
           name.clear();
           for (int level = 0; level < 20; ++level) name += std::string(250, 'C') + "/";
           name += "o.txt";
         };
       },
       "o.txt", "could not be saved: File name too long", "", true},
      {"handler overwrites a folder",
       [](TKXFileUploader& up, const fs::path& dest) {
         up.OnAsyncUploadCompleted = [dest](TObject*, std::string& path, std::string&, bool&, bool& overwrite) {
           fs::create_directories(dest / "n.txt" / "inside");
           path = dest.string();
           overwrite = true;
         };
       },
       "n.txt", "The file \\\"n.txt\\\" could not be created.", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TUploadForm::Configure = [&](TKXFileUploader& up) {
      if (c.configure) c.configure(up, mDest);
    };
    mClient = test::TPacketClient();
    mClient.OpenMainForm();
    fs::remove_all(mDest);
    gLogged.clear();
    const std::string answer = Upload(c.clientName, "12345");
    EXPECT_EQ(gLogged.size(), c.logged ? 1u : 0u);
    if (c.logged && !gLogged.empty()) {
      EXPECT_NE(gLogged[0].find("Up1: the upload"), std::string::npos) << gLogged[0];
      EXPECT_NE(gLogged[0].find(mDest.string()), std::string::npos) << "the folder for the operator";
    }
    EXPECT_NE(answer.find(c.answer), std::string::npos) << answer;
    EXPECT_EQ(Unescaped(answer).find(gsTempPath()), std::string::npos) << "a server path in " << answer;
    if (*c.savedAs != 0) {
      EXPECT_EQ(ReadAll(mDest / c.savedAs), "12345");
    }
    // Nothing else was written, inside or beside the destination.
    std::size_t files = 0;
    if (fs::exists(mDest))
      for (const auto& entry : fs::recursive_directory_iterator(mDest)) files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, *c.savedAs != 0 ? 1u : 0u);
    EXPECT_FALSE(fs::exists(mDest.parent_path() / "evil.txt"));
  }
}

TEST_F(UploaderFlowTest, AutoSaveWithoutPathUsesTheSessionCacheFolder) {
  TUploadForm::Configure = [](TKXFileUploader& up) { up.SetAutoSave(true); };
  mClient.OpenMainForm();
  EXPECT_EQ(Upload("m.txt", "cache"), "{\"success\":true}");
  ASSERT_NE(Session(), nullptr);
  EXPECT_EQ(ReadAll(fs::path(Session()->UserCacheDir()) / "m.txt"), "cache");
}

TEST_F(UploaderFlowTest, ExistingFileIsKeptWithoutOverwrite) {
  TUploadForm::Configure = [this](TKXFileUploader& up) {
    up.SetAutoSave(true);
    up.SetAutoSavePath(mDest.string());
    up.SetOverwriteExisting(false);
  };
  mClient.OpenMainForm();
  fs::create_directories(mDest);
  std::ofstream(mDest / "n.txt") << "old";
  EXPECT_NE(Upload("n.txt", "new").find("\"error\""), std::string::npos);
  EXPECT_EQ(ReadAll(mDest / "n.txt"), "old");
  EXPECT_TRUE(gLogged.empty()) << "a kept file is no mistake of the program: " << gLogged[0];
}

// Issue 40, fault 4: an upload no control took was thrown away and answered {"success":true}. The client now hears
// of it as of a refused one.
TEST_F(UploaderFlowTest, AnUploadNoControlTakesIsAnError) {
  const struct {
    const char* name;
    const char* field;
    bool uploaderGone;  // the page no longer has it
  } cases[] = {
      {"a field naming another control", "OTHER", false},
      {"the uploader left the page", "UP1", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool called = false;
    TKXFileUploader* uploader = nullptr;
    TUploadForm::Configure = [&](TKXFileUploader& up) {
      uploader = &up;
      up.OnAsyncUploadCompleted = [&](TObject*, std::string&, std::string&, bool&, bool&) { called = true; };
    };
    mClient = test::TPacketClient();
    mClient.OpenMainForm();
    ASSERT_NE(uploader, nullptr);
    if (c.uploaderGone) uploader->Free();
    EXPECT_EQ(Upload("o.txt", "x", c.field), "{\"error\":\"No control on this page takes the upload.\"}");
    EXPECT_FALSE(called);
  }
}

// Named look-ups work while the handler runs; the copies are released with the request.
TEST_F(UploaderFlowTest, SaveToStreamInsideTheHandlerAndNotAfter) {
  TKXFileUploader* uploader = nullptr;
  std::string streamed;
  TUploadForm::Configure = [&](TKXFileUploader& up) {
    uploader = &up;
    up.OnAsyncUploadCompleted = [&](TObject*, std::string&, std::string&, bool& save, bool&) {
      TMemoryStream stream;
      uploader->SaveToStream("P.TXT", stream);
      streamed.assign(static_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
      save = false;
    };
  };
  mClient.OpenMainForm();
  EXPECT_EQ(Upload("p.txt", "streamed"), "{\"success\":true}");
  EXPECT_EQ(streamed, "streamed");
  ASSERT_NE(uploader, nullptr);
  EXPECT_EQ(uploader->FileList().Count(), 0);
  try {
    TMemoryStream stream;
    uploader->SaveToStream("p.txt", stream);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "File \"p.txt\" not found in request");
  }
}

}  // namespace
}  // namespace kx
