#include "kx/forms/TemplateProcessor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "kx/forms/Forms.h"
#include "kx/foundation/AppInfo.h"
#include "kx/foundation/HttpPackets.h"
#include "kx/foundation/HttpRequest.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Streams.h"
#include "support/FormTestControls.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowEdit;
using test::TFlowLabel;
using test::TFlowPanel;

// A label whose tag carries a positioned style, as a designer's markup would.
class TStyledLabel : public TFlowLabel {
  KX_COMPONENT_CLASS(TStyledLabel, TFlowLabel)

 public:
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override {
    TKXElementPtr<TKXHTMLTag> tag = TFlowLabel::RenderHTML(context);
    tag->AddStringParam("style", "position:absolute;left:10px;top:20px;color:red;background:url(Img/Logo.png)");
    return tag;
  }
};

class TForm1 : public TKXForm {
  KX_COMPONENT_CLASS(TForm1, TKXForm)

 public:
  TFlowEdit* Edit1 = nullptr;
  TFlowEdit* Edit3 = nullptr;
  TStyledLabel* Label1 = nullptr;
  TFlowPanel* Panel1 = nullptr;
  TFlowEdit* Edit2 = nullptr;

 protected:
  void BuildComponents() override {
    Edit1 = AddControl<TFlowEdit>(this, this, "Edit1", 0, 0);
    Edit3 = AddControl<TFlowEdit>(this, this, "Edit3", 0, 60);
    Label1 = AddControl<TStyledLabel>(this, this, "Label1", 0, 30);
    Panel1 = AddControl<TFlowPanel>(this, this, "Panel1", 0, 90, 200, 100);
    Edit2 = AddControl<TFlowEdit>(this, Panel1, "Edit2", 5, 5);
  }
};

const std::string kFormMarker = "<FORM onSubmit=\"return FormDefaultSubmit();\" style=\"display:inline;\">";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Whether the parts occur in text in this order.
bool InOrder(const std::string& text, std::initializer_list<std::string> parts) {
  std::size_t from = 0;
  for (const std::string& part : parts) {
    const std::size_t at = text.find(part, from);
    if (at == std::string::npos) return false;
    from = at + part.size();
  }
  return true;
}

class TKXTemplateProcessorHTMLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mDir = mController->TemplateDir();
    std::filesystem::create_directories(mDir);
    mProcessor = TComponent::Create<TKXTemplateProcessorHTML>(mForm.get());
    mForm->SetLayoutMgr(mProcessor);
  }

  void WriteTemplate(const std::string& name, const std::string& text) {
    std::ofstream(mDir + name, std::ios::binary) << text;
  }
  std::string Page() {
    TKXRenderStream stream(true, true);
    mForm->GenerateForm(stream);
    return stream.GetAsString();
  }

  test::TTempController mController;
  TOwnedComponent<TForm1> mForm{TComponent::Create<TForm1>(nullptr)};
  TKXTemplateProcessorHTML* mProcessor = nullptr;
  std::string mDir;
};

TEST_F(TKXTemplateProcessorHTMLTest, TemplateNamedAfterTheFormClassPlacesTheControlsWhereTheirTagsStand) {
  EXPECT_FALSE(mProcessor->Able());
  WriteTemplate("Form1.html",
                "<!DOCTYPE html>\n<html><head><title>Designer</title></head>\n<body>\nA{%Edit1%}B{% Label1 %}C\n"
                "</body></html>");
  EXPECT_TRUE(mProcessor->Able());
  const std::string page = Page();
  EXPECT_EQ(mProcessor->Templates().Default(), "Form1.html");
  EXPECT_TRUE(InOrder(page, {"<!DOCTYPE html>\n<html><head>\r\n<meta charset=\"utf-8\">\r\n", "function Initialize()",
                             "<TITLE>Designer</title></head>", "<body", kFormMarker, "A\r\n<input",
                             "id=\"EDIT1\"", "B\r\n<span", "id=\"LABEL1\"", "C\n</FORM>\r\n",
                             "<form method=\"POST\" name=\"SubmitForm\"", "</BODY></html>"}))
      << page;
  // Controls the template does not name are not rendered, but keep their hidden fields.
  EXPECT_FALSE(Has(page, "id=\"EDIT3\""));
  EXPECT_TRUE(Has(page, "name=\"EDIT3\""));
  EXPECT_EQ(page.find("<head>"), page.rfind("<head>"));
}

TEST_F(TKXTemplateProcessorHTMLTest, OnlyTheTagsOfTheChosenSyntaxAreControls) {
  WriteTemplate("Form1.html", "<html><body>[{%Edit1%}][<#Edit1>][{x}]</body></html>");
  std::string page = Page();
  EXPECT_TRUE(Has(page, "[<#Edit1>]")) << page;
  EXPECT_TRUE(Has(page, "[{x}]"));
  EXPECT_FALSE(Has(page, "{%Edit1%}"));

  mProcessor->SetTagType(ttHashTag);
  page = Page();
  EXPECT_TRUE(Has(page, "[{%Edit1%}]")) << page;
  EXPECT_TRUE(InOrder(page, {"[\r\n<input", "id=\"EDIT1\"", "]["}));
  EXPECT_FALSE(Has(page, "<#Edit1>"));
}

TEST_F(TKXTemplateProcessorHTMLTest, UnknownTagsAreRemovedUnlessTheHandlerFillsThem) {
  WriteTemplate("Form1.html", "<html><body>[{%Nope%}][{%Edit1.Text%}]</body></html>");
  EXPECT_TRUE(Has(Page(), "[][]"));
  std::vector<std::string> asked;
  mProcessor->OnUnknownTag = [&](const std::string& name, std::string& value) {
    asked.push_back(name);
    value = "<b>" + name + "</b>";
  };
  EXPECT_TRUE(Has(Page(), "[<b>Nope</b>][<b>Edit1.Text</b>]"));
  EXPECT_EQ(asked, (std::vector<std::string>{"Nope", "Edit1.Text"}));
}

TEST_F(TKXTemplateProcessorHTMLTest, AnUnclosedControlTagRaisesWithItsLine) {
  const struct {
    const char* text;
    const char* line;
  } cases[] = {{"<html><body>\n\n{%Edit1</body></html>", "line 3"},
               {"<html><body>{%Edit1%</body></html>", "line 1"},
               {"<html><body>\n{% %}</body></html>", "line 2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteTemplate("Form1.html", c.text);
    try {
      Page();
      ADD_FAILURE() << "no exception";
    } catch (const EKXException& e) {
      EXPECT_TRUE(Has(e.Message(), c.line)) << e.Message();
    }
  }
}

TEST_F(TKXTemplateProcessorHTMLTest, WithoutATemplateTheFormLayoutTakesOverAndProcessSaysWhatIsMissing) {
  mProcessor->Templates().SetDefault("Missing.html");
  EXPECT_FALSE(mProcessor->Able());
  TKXRenderStream stream(true, true);
  try {
    mProcessor->Process(stream, nullptr, nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const EKXException& e) {
    EXPECT_EQ(e.Message(), "The template \"Missing.html\" was not found.");
  }
  const std::string page = Page();
  EXPECT_TRUE(Has(page, "id=\"EDIT1\""));
  EXPECT_NE(dynamic_cast<TKXLayoutMgrForm*>(mForm->LayoutMgr()), nullptr);
}

TEST_F(TKXTemplateProcessorHTMLTest, TheMasterTemplateIsMergedAroundTheFormsTemplate) {
  WriteTemplate("Master.html",
                "<html><head><title>M</title></head><body><div id=\"top\">MASTER</div>$body<p>END</p></body></html>");
  WriteTemplate("Form1.html", "<html><head><meta name=\"page\"></head><body>{%Edit1%}</body></html>");
  mProcessor->SetMasterTemplate("Master.html");
  const std::string page = Page();
  EXPECT_TRUE(InOrder(page, {"<meta name=\"page\">", "</head><body", kFormMarker, "MASTER</div>", "id=\"EDIT1\"",
                             "<p>END</p>", "</FORM>"}))
      << page;
  // A master template that does not exist leaves the page alone.
  mProcessor->SetMasterTemplate("Nowhere.html");
  EXPECT_FALSE(Has(Page(), "MASTER"));
}

// The opening SPAN tag of the label in page.
std::string LabelTag(const std::string& page) {
  const std::size_t id = page.find("id=\"LABEL1\"");
  if (id == std::string::npos) return "<none>";
  const std::size_t start = page.rfind("<span", id);
  return page.substr(start, page.find('>', id) - start);
}

TEST_F(TKXTemplateProcessorHTMLTest, PlacedControlsLoseTheirPositionsButKeepTheirStyle) {
  WriteTemplate("Form1.html", "<html><body>{%Label1%}</body></html>");
  std::string tag = LabelTag(Page());
  EXPECT_TRUE(Has(tag, "style=\"color:red;background:url(Img/Logo.png);")) << tag;
  EXPECT_FALSE(Has(tag, "left:10px"));
  EXPECT_FALSE(Has(tag, "position:absolute"));

  mProcessor->SetRenderStyles(false);
  tag = LabelTag(Page());
  EXPECT_FALSE(Has(tag, "style=")) << tag;
}

TEST_F(TKXTemplateProcessorHTMLTest, NestedControlsArePlacedByTheirDottedName) {
  WriteTemplate("Form1.html", "<html><body>[{%Panel1.Edit2%}]</body></html>");
  const std::string page = Page();
  EXPECT_TRUE(InOrder(page, {"[\r\n<input", "id=\"EDIT2\"", "]"})) << page;
}

TEST_F(TKXTemplateProcessorHTMLTest, BodyAttributesMergeIntoThePage) {
  // No HEAD in the template: the head is written before the BODY.
  mForm->SetTitle("Orders & <Bills>");
  WriteTemplate("Form1.html",
                "<html><title>Old</title><body onload=\"start()\" class='main page' bgcolor=red onblur=\"stop()\">"
                "</body></html>");
  const std::string page = Page();
  EXPECT_TRUE(InOrder(page, {"<html><TITLE>Orders &amp; &lt;Bills&gt;</TITLE>\r\n<head>\r\n<meta charset",
                             "</HEAD><body"}))
      << page;
  EXPECT_FALSE(Has(page, "Old"));
  EXPECT_TRUE(Has(page, "class=\"main page\""));
  EXPECT_TRUE(Has(page, "bgcolor=\"red\""));
  EXPECT_TRUE(Has(page, "onblur=\"stop();\""));
  const std::size_t initialize = page.find("function Initialize() {");
  ASSERT_NE(initialize, std::string::npos);
  EXPECT_TRUE(Has(page.substr(initialize, page.find("}", initialize) - initialize), "start();"));
}

TEST_F(TKXTemplateProcessorHTMLTest, WithoutMasterFormTagNoFormSurroundsTheBody) {
  WriteTemplate("Form1.html", "<html><body>{%Edit1%}</body></html>");
  mProcessor->SetMasterFormTag(false);
  const std::string page = Page();
  EXPECT_FALSE(Has(page, kFormMarker));
  EXPECT_FALSE(Has(page, "</FORM>"));
  EXPECT_TRUE(Has(page, "name=\"SubmitForm\""));
}

TEST_F(TKXTemplateProcessorHTMLTest, RemoveHiddenInputsDropsThoseOfUnplacedControls) {
  WriteTemplate("Form1.html", "<html><body>{%Edit1%}</body></html>");
  mProcessor->SetRemoveHiddenInputs(true);
  const std::string page = Page();
  EXPECT_TRUE(Has(page, "name=\"EDIT1\""));
  EXPECT_FALSE(Has(page, "name=\"EDIT3\"")) << page;
}

TEST_F(TKXTemplateProcessorHTMLTest, UTF8TemplateWithByteOrderMark) {
  WriteTemplate("Form1.html", "\xEF\xBB\xBF<html><body>Gr\xC3\xBC\xC3\x9F" "e \xFF</body></html>");
  const std::string page = Page();
  EXPECT_TRUE(Has(page, "Gr\xC3\xBC\xC3\x9F" "e \xEF\xBF\xBD")) << page;
  EXPECT_FALSE(Has(page, "\xEF\xBB\xBF"));
}

TEST_F(TKXTemplateProcessorHTMLTest, EventsSupplyAndReplaceTheStreams) {
  mProcessor->OnBeforeProcess = [](std::unique_ptr<TStream>& stream) {
    EXPECT_EQ(stream, nullptr);
    auto supplied = std::make_unique<TMemoryStream>();
    const std::string text = "<html><body>supplied {%Edit1%}</body></html>";
    supplied->WriteBuffer(text.data(), std::int64_t(text.size()));
    stream = std::move(supplied);
  };
  EXPECT_TRUE(mProcessor->Able());
  EXPECT_TRUE(Has(Page(), "supplied \r\n<input"));
  mProcessor->OnAfterProcess = [](std::unique_ptr<TStream>& stream) {
    auto replaced = std::make_unique<TMemoryStream>();
    replaced->WriteBuffer("replaced", 8);
    stream = std::move(replaced);
  };
  EXPECT_EQ(Page(), "replaced");
}

// ---------------------------------------------------------------------------
// The language-specific template

TEST(TemplateLanguage, OnlyAPlainLanguageTagIsTaken) {
  const struct {
    std::string acceptLanguage;
    std::string language;
  } cases[] = {
      {"de-DE,de;q=0.8", "de"}, {"EN", "en"},      {"fr;q=0.9", "fr"},      {" es ", "es"},
      {"", ""},                 {"x", ""},         {"abcdefghi", ""},       {"../../etc/passwd", ""},
      {"de/../x", ""},          {"de\\..", ""},    {std::string("de\0", 3), ""}, {"d1", ""},
      {"*", ""},                {"de.x", ""},      {"\xC3\xA4\xC3\xA4", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.acceptLanguage);
    EXPECT_EQ(TemplateLanguage(c.acceptLanguage), c.language);
  }
}

TEST(TemplateLanguage, TheLanguageGoesBeforeTheFirstDotOfTheFileName) {
  EXPECT_EQ(LanguageTemplatePath("/srv/app.v2/Templates/Form1.html", "de"), "/srv/app.v2/Templates/Form1.de.html");
  EXPECT_EQ(LanguageTemplatePath("Form1.tpl.html", "en"), "Form1.en.tpl.html");
  EXPECT_EQ(LanguageTemplatePath("/t/Form1", "de"), "");
  EXPECT_EQ(LanguageTemplatePath("/t/.html", "de"), "");
  EXPECT_EQ(LanguageTemplatePath("/t/Form1.html", ""), "");
}

class TTemplateLanguageSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-templates-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    gSC->SetTemplateDir(pattern);
    mDir = gSC->TemplateDir();
    std::filesystem::create_directories(mDir + "Form1.de");
    Write("Form1.html", "<html><body>default</body></html>");
    Write("Form1.de.html", "<html><body>deutsch</body></html>");
    // What a language spliced into the path would reach.
    Write("x.html", "<html><body>SECRET</body></html>");
    mForm.reset(TComponent::Create<TForm1>(nullptr));
    mForm->SetLayoutMgr(TComponent::Create<TKXTemplateProcessorHTML>(mForm.get()));
  }
  void TearDown() override {
    if (!mDir.empty()) std::filesystem::remove_all(mDir);
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(mDir + name) << text; }
  std::string PageFor(const std::string& acceptLanguage) {
    TRequestPacketFields fields;
    fields.Method = "GET";
    fields.URL = "/app/$/";
    fields.AcceptLanguage = acceptLanguage;
    std::vector<char> buffer(65536);
    const std::int64_t length = WriteRequestPacket(fields, buffer.data(), std::int64_t(buffer.size()));
    THttpRequest request(buffer.data(), length);
    mSession.Session->Initialize(&request, nullptr);
    TKXRenderStream stream(true, true);
    mForm->GenerateForm(stream);
    mSession.Session->FinishRequest();
    return stream.GetAsString();
  }

  test::TSessionFixture mSession{"Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0"};
  TOwnedComponent<TForm1> mForm;
  std::string mDir;
};

TEST_F(TTemplateLanguageSessionTest, TheRequestsLanguagePicksItsTemplateAndHostileTextsAreIgnored) {
  EXPECT_TRUE(Has(PageFor("de-DE,de;q=0.8"), "deutsch"));
  EXPECT_TRUE(Has(PageFor("fr-FR"), "default"));
  for (const std::string& hostile : {std::string("../../etc/passwd"), std::string("de/../x"), std::string("de\0", 3),
                                    std::string("de/..\\x"), std::string("..")}) {
    SCOPED_TRACE(hostile);
    const std::string page = PageFor(hostile);
    EXPECT_TRUE(Has(page, "default")) << page;
    EXPECT_FALSE(Has(page, "SECRET"));
  }
}

// ---------------------------------------------------------------------------
// ProcessStream outside a form, link rewriting

TEST(TKXTemplateProcessorHTMLStream, LinksToTheFilesFolderGoUnderTheURLBase) {
  TOwnedComponent<TKXTemplateProcessorHTML> processor{TComponent::Create<TKXTemplateProcessorHTML>(nullptr)};
  TKXPageContext40 page(nullptr);
  page.SetURLBase("/app/$/");
  TKXRenderStream stream(true, true);
  processor->ProcessStream(stream,
                           "<html><head><title>T</title></head><body>"
                           "<img src=\"../FILES/logo.gif\" alt='a > b'><script>if (a<b) x = '{%';</script>"
                           "<!-- <#Edit1> {%x --></body></html>",
                           nullptr, &page);
  // Not a form: HEAD, TITLE and BODY tags are dropped, other tags are copied.
  EXPECT_EQ(stream.GetAsString(),
            "<html>T</title></head><img src=\"/app/files/logo.gif\" alt='a > b'>"
            "<script>if (a<b) x = '{%';</script><!-- <#Edit1> {%x --></html>");
}

// ---------------------------------------------------------------------------
// TKXLayoutMgrHTML

TEST(TKXLayoutMgrHTML, ProcessesItsOwnTextAsATemplate) {
  test::TTempController controller;
  TOwnedComponent<TForm1> form{TComponent::Create<TForm1>(nullptr)};
  auto* layout = TComponent::Create<TKXLayoutMgrHTML>(form.get());
  layout->HTML().SetText("<html><body>\n<p>{%Edit1%}</p>\n{%Other%}</body></html>");
  layout->OnUnknownTag = [](const std::string& name, std::string& value) { value = "?" + name; };
  form->SetLayoutMgr(layout);
  TKXRenderStream stream(true, true);
  form->GenerateForm(stream);
  const std::string page = stream.GetAsString();
  EXPECT_TRUE(InOrder(page, {"<head>", "<body", kFormMarker, "<p>\r\n<input", "id=\"EDIT1\"", "</p>", "?Other",
                             "</FORM>", "</BODY>"}))
      << page;
}

// ---------------------------------------------------------------------------
// Conversion for editing

TEST(ConvertFromTemplate, KnownTagsBecomeImagesAndLeaveTheList) {
  TStringList controls;
  controls.Add("Edit1");
  controls.Add("Button1");
  EXPECT_EQ(ConvertFromTemplate("<p>{%Edit1%}</p>{%Other%}<b>x</b>", controls),
            "<p><IMG ID=\"Edit1\" SRC=\"Edit1.jpg\">\r\n</p>{%Other%}<b>x</b>");
  ASSERT_EQ(controls.Count(), 1);
  EXPECT_EQ(controls.Strings(0), "Button1");
}

TEST(ConvertToTemplate, ImagesOfControlsBecomeTagsAgain) {
  const struct {
    const char* html;
    const char* result;
  } cases[] = {
      {"<IMG ID=\"Edit1\" SRC=\"Edit1.jpg\">\r\n", "{%Edit1%}\r\n"},
      {"<img src='file:///C|/work/Edit1.jpg'\r\n id=Edit1>", "{%Edit1%}"},
      {"<img src=\"file:///C:\\work\\Edit1.jpg\" id=\"Edit1\">", "{%Edit1%}"},
      {"<IMG SRC=\"Edit1.jpg\">", "<IMG SRC=\"Edit1.jpg\">"},
      {"<IMG ID=\"Edit1\" SRC=\"Logo.jpg\">", "<IMG ID=\"Edit1\" SRC=\"Logo.jpg\">"},
      {"<p  class=x>text</p>", "<p class=x>text</p>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    EXPECT_EQ(ConvertToTemplate(c.html), c.result);
  }
  TStringList controls;
  controls.Add("Edit1");
  const std::string original = "<div>{%Edit1%}</div>";
  EXPECT_EQ(ConvertToTemplate(ConvertFromTemplate(original, controls)), "<div>{%Edit1%}\r\n</div>");
}

}  // namespace
}  // namespace kx
