// The editor form against files of the content folder: loading with the title, saving (the wrap of a fragment,
// UTF-8 and its byte order mark), names that would leave the folder, and the editor following the form's size.
#include "kx/controls/htmleditor/WebEditor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/htmleditor/WebEdit.h"
#include "kx/controls/labels/Labels.h"
#include "kx/controls/regions/Regions.h"
#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx::test {
namespace {

class TfrmWebEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Content = gSC->ContentPath();
    Folder = "kx-editor-test-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(Content + Folder);
    Form = TComponent::Create<TfrmWebEditor>(Session.Session);
  }
  // Tests run side by side in several processes that share the content folder: each removes only its own folder.
  // The content folder stays: removed once empty, it vanished under another process's create_directories.
  void TearDown() override { std::filesystem::remove_all(Content + Folder); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Content + Folder + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(Content + Folder + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string NotFound(const std::string& name) { return "Kestrix HTML Editor - file not found: " + Content + name; }

  TSessionFixture Session{"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 Chrome/120.0 Safari/537.36"};
  std::string Content;
  std::string Folder;
  TfrmWebEditor* Form = nullptr;
};

TEST_F(TfrmWebEditorTest, LoadsTheDocumentAndItsTitle) {
  Write("page.html", "\xEF\xBB\xBF<html><TITLE>Caf\xC3\xA9 news</TITLE><body>\n<p>Hello</p>\n</body></html>");
  Form->SetDocument(Folder + "page.html");
  EXPECT_EQ(Form->FileName(), Content + Folder + "page.html");
  EXPECT_EQ(Form->DocTitle(), "Caf\xC3\xA9 news");
  EXPECT_EQ(Form->DocTitleEdit->Text(), "Caf\xC3\xA9 news");
  ASSERT_EQ(Form->WebEditor->Lines().Count(), 3);
  EXPECT_EQ(Form->WebEditor->Lines().Strings(0), "<html><TITLE>Caf\xC3\xA9 news</TITLE><body>");

  Write("plain.html", "<p>no title</p>");
  Form->SetDocument(Folder + "plain.html");
  EXPECT_EQ(Form->DocTitleEdit->Text(), "");
}

TEST_F(TfrmWebEditorTest, SavingAFragmentWrapsItOnceWithTheTitleAsText) {
  Write("frag.html", "<p>old</p>");
  Form->SetDocument(Folder + "frag.html");
  Form->WebEditor->SetValue("<p>new \xE2\x82\xAC</p>");
  Form->DocTitleEdit->SetText("A </title><script>x</script>");
  Form->SaveFile();
  const std::string once = Read("frag.html");
  EXPECT_EQ(once,
            "<html><title>A &lt;/title&gt;&lt;script&gt;x&lt;/script&gt;</title><body><p>new \xE2\x82\xAC</p>\r\n"
            "</body></html>\r\n");
  Form->LoadFile();
  Form->SaveFile();
  EXPECT_EQ(Read("frag.html"), once) << "a document with a body is saved as it is";
}

TEST_F(TfrmWebEditorTest, ABodyInAnyCaseIsNotWrappedAgainAndTheByteOrderMarkStays) {
  Write("doc.html", "\xEF\xBB\xBF<HTML><BODY class=\"x\">text</BODY></HTML>");
  Form->SetDocument(Folder + "doc.html");
  Form->SaveFile();
  EXPECT_EQ(Read("doc.html"), "\xEF\xBB\xBF<HTML><BODY class=\"x\">text</BODY></HTML>\r\n");
}

TEST_F(TfrmWebEditorTest, ReloadDiscardsEditsAndCloseSavesAndReleases) {
  Write("r.html", "<body>kept</body>");
  Form->SetDocument(Folder + "r.html");
  Form->WebEditor->SetValue("<body>edited</body>");
  Form->ReloadButton->Submit("");
  EXPECT_EQ(Form->WebEditor->Lines().Text(), "<body>kept</body>\r\n");
  Form->WebEditor->SetValue("<body>saved</body>");
  Form->ButtonClose->Submit("");
  EXPECT_EQ(Read("r.html"), "<body>saved</body>\r\n");
  EXPECT_TRUE(Form->Released());
}

// A document name may come from a URL: none may reach a file outside the content folder, whether it exists or not.
TEST_F(TfrmWebEditorTest, NamesOutsideTheContentFolderAreRefused) {
  Write("in.html", "<p>x</p>");
  std::ofstream(Content + "../kx-editor-outside-" + std::to_string(getpid()) + ".html") << "secret";
  const std::string outside = "../kx-editor-outside-" + std::to_string(getpid()) + ".html";
  const std::string names[] = {
      outside,
      Folder + "../" + outside,
      Folder + "..\\" + outside,
      "/etc/passwd",
      "\\etc\\passwd",
      "C:/windows/win.ini",
      Folder + std::string("in.html\0x", 9),
      Folder + "missing.html",
      "",
      Folder,
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_EQ(MessageOf([&] { Form->SetDocument(name); }), NotFound(name));
    EXPECT_EQ(Form->FileName(), "");
  }
  std::filesystem::remove(Content + outside);
}

TEST_F(TfrmWebEditorTest, ALinkLeadingOutsideIsRefused) {
  std::error_code error;
  std::filesystem::create_symlink("/etc/hostname", Content + Folder + "link.html", error);
  if (error) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(MessageOf([&] { Form->SetDocument(Folder + "link.html"); }), NotFound(Folder + "link.html"));
}

TEST_F(TfrmWebEditorTest, TheEditorFollowsTheFormsSizeAndNeverGoesBelowZero) {
  Form->SetBounds(0, 0, 800, 600);
  EXPECT_EQ(Form->WebEditor->Width(), 800 - 21 - 15);
  EXPECT_EQ(Form->WebEditor->Height(), 600 - 115 - 5);
  Form->SetBounds(0, 0, 10, 40);
  EXPECT_EQ(Form->WebEditor->Width(), 0);
  EXPECT_EQ(Form->WebEditor->Height(), 0);
}

// The editor runs down to the form's bottom: the regions must lie above it, at every window size the form is
// opened at, and the editor must end inside the window.
TEST_F(TfrmWebEditorTest, TheRegionsStayClearOfTheEditorAndItFitsTheWindow) {
  const struct {
    int Width, Height;
  } sizes[] = {{1280, 720}, {1024, 768}, {800, 600}, {640, 480}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.Width) + "x" + std::to_string(size.Height));
    Form->SetBounds(0, 0, size.Width, size.Height);
    const TRect editor = Form->WebEditor->BoundsRect();
    for (const TKXRegion* region : {Form->irButtons, Form->irDocTitle}) {
      EXPECT_LE(region->BoundsRect().Bottom, editor.Top) << region->Name();
    }
    EXPECT_LE(Form->irButtons->BoundsRect().Bottom, Form->irDocTitle->Top());
    EXPECT_LE(editor.Right, size.Width);
    EXPECT_LE(editor.Bottom, size.Height);
  }
}

TEST_F(TfrmWebEditorTest, EditDocumentShowsTheFormOnlyForAFileItFound) {
  Write("e.html", "<title>T</title>");
  EXPECT_EQ(MessageOf([&] { EditDocument(Folder + "nope.html"); }), NotFound(Folder + "nope.html"));
  EditDocument(Folder + "e.html");
  auto* shown = Supports<TfrmWebEditor>(Session.Session->GetActiveForm());
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->DocTitle(), "T");
}

}  // namespace
}  // namespace kx::test
