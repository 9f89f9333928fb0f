#include "kx/controls/uploader/FileUploader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Raised.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::MessageOf;
using test::TFormFixture;

// The page script the uploader contributes.
std::string ClientScript(TKXFileUploader& uploader) {
  TKXCompContext context(&uploader, nullptr, nullptr);
  uploader.RenderHTML(&context);
  return context.JavaScript();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TKXFileUploader, ClientFileNamesBecomeNamesInsideTheFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"photo.jpg", "photo.jpg"},
      {"../x", "x"},
      {"..\\x", "x"},
      {"/etc/x", "x"},
      {"C:\\Users\\me\\report.pdf", "report.pdf"},
      {std::string("a\0b.txt", 7), "ab.txt"},
      {"tab\there\r\n.txt", "tabhere.txt"},
      {"...hidden", "...hidden"},
  };
  for (const auto& [client, safe] : cases) EXPECT_EQ(UploadTargetName(client), safe) << client;
  for (const char* unusable : {"", ".", "..", "dir/", "a/..", "\x01\x02"})
    EXPECT_EQ(MessageOf([&] { UploadTargetName(unusable); }), "Invalid file name") << unusable;
}

TEST(TKXFileUploader, ExtensionAndAcceptListsKeepTheBareValues) {
  struct Case {
    const char* typed;
    const char* extensions;
    const char* accept;
  };
  const Case cases[] = {
      {"*.jpg; *.png", "jpg,png", "*jpg,*png"},
      {"'.Gif', \"BMP\"", "Gif,BMP", "Gif,BMP"},
      {"image/*", "image/", "image/*"},
      {"", "", ""},
  };
  TFormFixture f;
  auto* uploader = f.Add<TKXFileUploader>("Up1", f.Form);
  for (const Case& c : cases) {
    uploader->SetAllowedExtensions(c.typed);
    uploader->SetAcceptFiles(c.typed);
    EXPECT_EQ(uploader->AllowedExtensions(), c.extensions) << c.typed;
    EXPECT_EQ(uploader->AcceptFiles(), c.accept) << c.typed;
  }
}

TEST(TKXFileUploader, ClassNamesFollowTheNameUnlessOverridden) {
  TFormFixture f;
  auto* uploader = f.Add<TKXFileUploader>("MyUploader", f.Form);
  EXPECT_EQ(uploader->CSSClassPrefix(), "myuploader-");
  EXPECT_EQ(uploader->GetCSSClass("drop-area"), "myuploader-drop-area");
  uploader->SetName("Other");
  EXPECT_EQ(uploader->GetCSSClass("list"), "other-list");
  EXPECT_EQ(uploader->CssClasses().Count(), 16);
  uploader->CssClasses().SetValues("button", "my-button");
  EXPECT_EQ(uploader->GetCSSClass("button"), "my-button");
  EXPECT_TRUE(Has(ClientScript(*uploader), "classes:{button: \"my-button\",buttonHover: \"other-button-hover\","));
}

TEST(TKXFileUploader, OptionsFollowTheProperties) {
  struct Case {
    const char* name;
    void (*set)(TKXFileUploader&);
    const char* present;
    const char* absent;
  };
  const Case cases[] = {
      {"defaults", [](TKXFileUploader&) {},
       "inputName:\"UP1\",inputId:\"UP1_INPUT\",enabled:true,autoUpload:true,btnVisible:true,listVisible:true,"
       "asyncHandlers:[],sizeLimit:20971520,multiple:false,params:{\"KX_ActionParam\": \"UP1\", \"KXFileUploader\": "
       "\"true\", \"UP1\":\"\"},customHeaders:{\"X-KXFileUploader\": \"true\", \"X-KXFieldName\": \"UP1\"},",
       "minSizeLimit:"},
      {"no size limit", [](TKXFileUploader& u) { u.SetMaxFileSize(0); }, "asyncHandlers:[],multiple:false,",
       ",sizeLimit:"},
      {"multiple and limits",
       [](TKXFileUploader& u) {
         u.SetMultiple(true);
         u.SetMinFileSize(10);
         u.SetJavaScriptDebug(true);
         u.SetDisableCancel(true);
       },
       "debug:true,minSizeLimit:10,sizeLimit:20971520,disableCancelForFormUploads: true,params:", "multiple:"},
      {"extensions and accept",
       [](TKXFileUploader& u) {
         u.SetAllowedExtensions("*.jpg;*.png");
         u.SetAcceptFiles("image/*");
       },
       "allowedExtensions:[\"jpg\",\"png\"],acceptFiles:\"image/*\",", "debug:"},
      {"handlers in their order",
       [](TKXFileUploader& u) {
         u.OnAsyncUploadError = [](TObject*, TStrings&) {};
         u.OnAsyncSelectFile = [](TObject*, TStrings&) {};
       },
       "asyncHandlers:[\"SelectFile\",\"UploadError\"],", "UploadSuccess"},
      {"disabled without button and list",
       [](TKXFileUploader& u) {
         u.SetEnabled(false);
         u.SetButtonVisible(false);
         u.SetListVisible(false);
         u.SetAutoHideListTime(1500);
       },
       "enabled:false,autoUpload:true,btnVisible:false,listVisible:false,", "autoHideListTime: 0,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFormFixture f;
    auto* uploader = f.Add<TKXFileUploader>("Up1", f.Form);
    c.set(*uploader);
    const std::string script = ClientScript(*uploader);
    EXPECT_EQ(script.rfind("function createUP1(){return new kxfu.FileUploader({element:document.getElementById("
                           "\"UP1\"), action:\"$/upload/\"+(GTrackID),",
                           0),
              0u);
    EXPECT_TRUE(Has(script, c.present)) << script;
    EXPECT_FALSE(Has(script, c.absent)) << script;
  }
}

// Texts with quotes, backslashes, line breaks and a closing script tag stay one script string each.
TEST(TKXFileUploader, TextsAreScriptStringsThatCannotEndTheScript) {
  TFormFixture f;
  auto* uploader = f.Add<TKXFileUploader>("Up1", f.Form);
  uploader->TextStrings().UploadButtonText = "It's \"here\" \\ </script><b>\nnext";
  uploader->TextStrings().OnLeaveWarningText = "Don't";
  const std::string script = ClientScript(*uploader);
  EXPECT_TRUE(Has(script, "uploadButtonText: 'It\\x27s \\x22here\\x22 \\\\ \\x3C/script\\x3E\\x3Cb\\x3E\\nnext',"))
      << script;
  EXPECT_TRUE(Has(script, "onLeave:'Don\\x27t'},autoHideListTime: 0,template: '"));
  EXPECT_FALSE(Has(script, "</"));
  EXPECT_FALSE(Has(script, "''"));
}

TEST(TKXFileUploader, AreaOptionsWriteHeightWidthAndRadius) {
  TKXStyleAreaOptions options;
  options.SetBGColor(TKXColor(128));
  EXPECT_EQ(options.FromColor(), TKXColor(128));
  EXPECT_EQ(options.ToColor(), TKXColor(128));
  options.SetHeight(30);
  std::string style = options.StyleFor(nullptr);
  EXPECT_TRUE(Has(style, "height: 30px; padding: 0px 5px;line-height: 30px; width: 100%; ")) << style;
  EXPECT_FALSE(Has(style, "border-radius"));
  options.SetWidth(150);
  options.SetBorderRadius(4);
  style = options.StyleFor(nullptr);
  EXPECT_TRUE(Has(style, "width: 150px; border-radius: 4px; ")) << style;
  TKXStyleAreaOptions copy;
  copy.Assign(&options);
  EXPECT_EQ(copy.StyleFor(nullptr), style);
}

TEST(TKXFileUploader, NamedLookUpsAndFoldersReportTheirFailures) {
  TFormFixture f;
  auto* uploader = f.Add<TKXFileUploader>("Up1", f.Form);
  EXPECT_EQ(MessageOf([&] { uploader->SaveToFile("a.txt", "/tmp/x", true); }), "File \"a.txt\" not found in request");
  EXPECT_EQ(MessageOf([&] { TKXCustomFileUploader::CreateDirectory("/proc/kx-no-folder/sub"); }),
            "Could not create directory");
  // Without an upload request nothing happens.
  EXPECT_NO_THROW(uploader->NotifyUploadCompleted());
  EXPECT_EQ(uploader->FileList().Count(), 0);
}

// The file fields keep their properties only; a freed data source is not left dangling.
TEST(TKXDBFile, KeepsItsFieldAndForgetsAFreedSource) {
  TFormFixture f;
  auto* file = f.Add<TKXDBFile>("File1", f.Form);
  auto* source = TComponent::Create<TDataSource>(f.Form);
  file->SetDataField("Photo");
  file->SetDataSource(source);
  file->SetButtonHeight(22);
  EXPECT_EQ(file->DataField(), "Photo");
  EXPECT_EQ(file->DataSource(), source);
  EXPECT_EQ(file->ButtonHeight(), 22);
  source->Free();
  EXPECT_EQ(file->DataSource(), nullptr);
}

}  // namespace
}  // namespace kx
