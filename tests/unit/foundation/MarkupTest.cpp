#include "kx/foundation/Markup.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <set>
#include <string>
#include <vector>

#include "kx/foundation/Colors.h"
#include "kx/foundation/Streams.h"
#include "kx/platform/StringLists.h"
#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

// An HTML tag that records which instances are alive, to prove that every
// element of a tree is freed exactly once. Tags added with AddTag to its
// contents are of the same class.
class TCountedTag : public TKXHTMLTag {
 public:
  static std::set<const void*>& Alive() {
    static std::set<const void*> alive;
    return alive;
  }
  static int DoubleFrees;

  static TKXElementPtr<TCountedTag> Create(const std::string& tag, TKXMarkupLanguageElement* parent = nullptr) {
    return TKXElementPtr<TCountedTag>(new TCountedTag(tag, parent));
  }
  TKXTagClass TagClass() const override {
    return [](const std::string& tag, TKXMarkupLanguageElement* parent) -> TKXElementPtr<TKXMarkupLanguageTag> {
      return Create(tag, parent);
    };
  }

 protected:
  TCountedTag(const std::string& tag, TKXMarkupLanguageElement* parent) : TKXHTMLTag(tag, cbTrue, parent) {
    Alive().insert(this);
  }
  ~TCountedTag() override {
    if (Alive().erase(this) != 1) ++DoubleFrees;
  }
};
int TCountedTag::DoubleFrees = 0;

class MarkupTree : public ::testing::Test {
 protected:
  void SetUp() override {
    TCountedTag::Alive().clear();
    TCountedTag::DoubleFrees = 0;
  }
  void TearDown() override { EXPECT_EQ(TCountedTag::DoubleFrees, 0); }
  static std::size_t Alive() { return TCountedTag::Alive().size(); }
};

// What Render(stream) writes, without the CR LF that Render() puts first.
std::string Rendered(TKXMarkupLanguageElement& element) { return element.Render().substr(2); }

// An owning handle on an element of a tree, as a control hands one out.
template <class T>
TKXElementPtr<T> Handle(T* element) {
  return TKXElementPtr<T>(element);
}

// ---------------------------------------------------------------------------
// Rendering of single tags

// What an XML document may not hold goes; everything else stays byte for byte, whatever mix of ASCII and other text.
TEST(XMLCharacters, KeepsWhatXMLAllowsAndDropsTheRest) {
  const struct {
    std::string Text, Kept;
  } cases[] = {
      {"plain <ascii> & \"quotes\"", "plain <ascii> & \"quotes\""},
      {"tab\tline\ncr\r", "tab\tline\ncr\r"},
      {std::string("nul\0bell\a esc\x1b del\x7f", 19), "nulbell esc del\x7f"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\xEF\xBF\xBE" "b\xEF\xBF\xBF" "c", "abc"},  // U+FFFE and U+FFFF
      {"\xC3\xA9\x01\xC3\xA9", "\xC3\xA9\xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(XMLCharacters(c.Text), c.Kept) << c.Text;
}

TEST(TKXHTMLTag, InputRendersBothAttributesQuotedInOrderWithoutClosingTag) {
  auto input = TKXHTMLTag::Create("INPUT");
  input->AddStringParam("type", "text");
  input->AddStringParam("name", "x");
  EXPECT_EQ(input->Render(), "\r\n<input type=\"text\" name=\"x\">");
}

TEST(TKXHTMLTag, DivWithTextHasNoLineBreakAndSpanPutsCRLFBeforeChildTag) {
  auto div = TKXHTMLTag::Create("div");
  div->Contents()->AddText("hello", false);
  EXPECT_EQ(Rendered(*div), "<div>hello</div>");

  auto span = TKXHTMLTag::Create("span");
  span->Contents()->AddText("a", false);
  span->Contents()->AddTag("b", false)->Contents()->AddText("bold", false);
  EXPECT_EQ(Rendered(*span), "<span>a\r\n<b>bold</b></span>");
}

TEST(TKXHTMLTag, ClosingModes) {
  struct Case {
    TKXCloseTag mode;
    const char* expected;
  } cases[] = {{cbTrue, "<p x=\"1\">t</p>"}, {cbAuto, "<p x=\"1\">t</p>"}, {cbFalse, "<p x=\"1\">t"},
               {cbSimpleClose, "<p x=\"1\"/>t"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    auto tag = TKXHTMLTag::Create("p", c.mode);
    tag->AddIntegerParam("x", 1);
    tag->Contents()->AddText("t", false);
    EXPECT_EQ(Rendered(*tag), c.expected);
  }
}

TEST(TKXHTMLTag, EmptyNameRendersOnlyTheContents) {
  auto html = TKXHTMLTag::Create("");
  html->AddStringParam("id", "ignored");
  html->Contents()->AddText("a", false);
  html->Contents()->AddTag("b", false);
  EXPECT_EQ(Rendered(*html), "a\r\n<b></b>");
  // Also in mode cbTrue, which would otherwise write "</>".
  auto plain = TKXMarkupLanguageTag::Create("");
  plain->Contents()->AddText("a", false);
  EXPECT_EQ(Rendered(*plain), "a");
}

TEST(TKXHTMLTag, SetTagLowerCasesAndSetsVoidAndPreformattedNames) {
  for (const char* name : {"area", "BR", "frame", "hr", "img", "input", "link", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TKXHTMLTag::Create(name)->ClosingTag(), cbFalse);
  }
  for (const char* name : {"meta", "div", "brx"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(TKXHTMLTag::Create(name)->ClosingTag(), cbTrue);
  }
  for (const char* name : {"pre", "A", "div", "tr", "td"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(TKXHTMLTag::Create(name)->IsPreformated());
  }
  EXPECT_FALSE(TKXHTMLTag::Create("table")->IsPreformated());
  EXPECT_EQ(TKXHTMLTag::Create("DiV")->Tag(), "div");
}

// ---------------------------------------------------------------------------
// Attributes

TEST(TKXMarkupLanguageTag, TypedAddersWriteTheirTexts) {
  auto tag = TKXHTMLTag::Create("td");
  tag->AddStringParam("EMPTY", "");
  tag->AddIntegerParam("Width", -5);
  tag->AddBoolParam("on", true);
  tag->AddBoolParam("off", false);
  tag->AddColor("none", clNone);
  tag->AddColor("bgcolor", clRed);
  EXPECT_EQ(tag->Params()->Text(), "width=-5\r\non=true\r\noff=false\r\nbgcolor=#FF0000\r\n");
}

TEST(TKXMarkupLanguageTag, AddStringParamReplacesInPlaceAndKeepEmptyRemoves) {
  auto tag = TKXHTMLTag::Create("p");
  tag->AddStringParam("id", "a");
  tag->AddStringParam("title", "t");
  tag->AddStringParam("ID", "b");
  EXPECT_EQ(tag->Params()->Text(), "id=b\r\ntitle=t\r\n");
  tag->AddStringParam("id", "");
  EXPECT_EQ(tag->Params()->Values("id"), "b");
  tag->AddStringParam("id", "", true);
  EXPECT_EQ(tag->Params()->Text(), "title=t\r\n");
}

TEST(TKXMarkupLanguageTag, AddClassParamAppendsWithBlank) {
  auto tag = TKXHTMLTag::Create("p");
  tag->AddClassParam("");
  EXPECT_EQ(tag->Params()->Count(), 0);
  tag->AddClassParam("a");
  tag->AddClassParam("b");
  EXPECT_EQ(Rendered(*tag), "<p class=\"a b\"></p>");
}

TEST(TKXMarkupLanguageTag, AddLowerCasesOnlyTheNameAndKeepsDuplicates) {
  auto tag = TKXHTMLTag::Create("input");
  tag->Add("NAME=Value");
  tag->Add("");
  tag->Add("CHECKED");
  tag->Add("Name=A=B");
  EXPECT_EQ(tag->Params()->Text(), "name=Value\r\nchecked\r\nname=A=B\r\n");
  EXPECT_EQ(Rendered(*tag), "<input name=\"Value\" checked name=\"A=B\">");
  tag->ClearParam("NAME");
  EXPECT_EQ(tag->Params()->Text(), "checked\r\n");
}

TEST(TKXMarkupLanguageTag, ParameterListsAreTrimmedAssignedAndAppended) {
  TStringList list;
  list.SetText("  A=1 \r\n\r\n   \r\nB=Two");
  auto tag = TKXHTMLTag::Create("p");
  tag->AddParmsList(list);
  EXPECT_EQ(tag->Params()->Text(), "a=1\r\nb=Two\r\n");

  TStringList other;
  other.SetText("X=1\r\nSTYLE=s");
  tag->SetParams(other);
  EXPECT_EQ(tag->Params()->Text(), "x=1\r\nstyle=s\r\n");

  TStringList more;
  more.SetText("style=t\r\nNEW=n\r\nnowrap");
  tag->Params()->AppendParams(more);
  EXPECT_EQ(tag->Params()->Text(), "x=1\r\nstyle=t\r\nnew=n\r\nnowrap\r\n");
}

// Attribute values are written between double quotes; a '"' in a value must not end them.
TEST(TKXMarkupLanguageTag, HostileAttributeValuesStayInsideTheirQuotes) {
  const std::string hostile[] = {"\"><script>alert(1)</script>", "\" onmouseover=\"alert(1)", "a\"\"b", "\""};
  for (const std::string& value : hostile) {
    SCOPED_TRACE(value);
    auto tag = TKXHTMLTag::Create("a");
    tag->AddStringParam("title", value);
    const std::string html = Rendered(*tag);
    ASSERT_EQ(html.substr(0, 10), "<a title=\"");
    const std::size_t close = html.find('"', 10);
    EXPECT_EQ(html.substr(close), "\"></a>");
    EXPECT_EQ(html.substr(10, close - 10), EscapeAttributeQuotes(value));
  }
  // References already in the text are not escaped twice; "<" and a bare "&"
  // are escaped so the value is valid XML as well as HTML.
  EXPECT_EQ(EscapeAttributeQuotes("&amp;&quot;&#34;&#x3c;<x>'"), "&amp;&quot;&#34;&#x3c;&lt;x>'");
  EXPECT_EQ(EscapeAttributeQuotes("a && b &; &#; &x"), "a &amp;&amp; b &amp;; &amp;#; &amp;x");
  EXPECT_EQ(EscapeAttributeQuotes("say \"hi\""), "say &quot;hi&quot;");
}

// ---------------------------------------------------------------------------
// XML tags and CDATA

TEST(TKXXMLTag, InnerHtmlWrapsItsContentInCDATA) {
  auto update = TKXXMLTag::Create("update");
  auto* inner = static_cast<TKXXMLTag*>(update->Contents()->AddTag("innerHTML", false));
  EXPECT_TRUE(inner->CDATA());
  EXPECT_FALSE(update->CDATA());
  inner->Contents()->AddText("<b>x</b>", false);
  inner->Contents()->AddTag("i", false);
  EXPECT_EQ(Rendered(*update), "<update>\r\n<innerhtml><![CDATA[<b>x</b>\r\n<i></i>]]></innerhtml></update>");
  update->SetCDATA(true);
  EXPECT_EQ(Rendered(*update).substr(0, 17), "<update><![CDATA[");
}

// A "]]>" in the content would end the section early and break the document.
TEST(TKXXMLTag, CDATAEndInContentIsSplit) {
  struct Case {
    const char* text;
    const char* escaped;
  } cases[] = {{"", ""},
               {"a]]b>", "a]]b>"},
               {"if (a[b[0]]>1)", "if (a[b[0]]]]><![CDATA[>1)"},
               {"]]>]]>", "]]]]><![CDATA[>]]]]><![CDATA[>"},
               {"]]]>", "]]]]]><![CDATA[>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EscapeCDATAContent(c.text), c.escaped);
  }
  auto inner = TKXXMLTag::Create("innerhtml");
  inner->Contents()->AddText("x]]", false);
  inner->Contents()->AddText("><y", false);  // the end marker spans two elements
  EXPECT_EQ(Rendered(*inner), "<innerhtml><![CDATA[x]]]]><![CDATA[><y]]></innerhtml>");
}

// A nested update document with hostile attribute values, CDATA ends and raw
// text must stay well formed for a real XML parser.
TEST(TKXXMLTag, NestedDocumentWithHostileContentParsesAsXML) {
  auto response = TKXXMLTag::Create("response");
  auto* update = static_cast<TKXXMLTag*>(response->Contents()->AddTag("update", false));
  update->AddStringParam("id", "EDIT1\" onload=\"x");
  update->AddStringParam("title", "a < b & \"c\"");
  auto* inner = static_cast<TKXXMLTag*>(update->Contents()->AddTag("innerHTML", false));
  inner->Contents()->AddText("<div>]]></div><![CDATA[ x ]]>", false);
  inner->Contents()->AddTag("br", false);
  auto* execute = static_cast<TKXXMLTag*>(response->Contents()->AddTag("execute", false));
  execute->SetCDATA(true);
  execute->Contents()->AddText("if (a[b[0]]>1) alert('x');", false);
  std::string xml = Rendered(*response);
  xmlDocPtr doc = xmlReadMemory(xml.data(), int(xml.size()), "update.xml", "UTF-8", XML_PARSE_NONET | XML_PARSE_NOERROR);
  ASSERT_NE(doc, nullptr) << xml;
  xmlNodePtr root = xmlDocGetRootElement(doc);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(root->name), "response");
  xmlNodePtr first = xmlFirstElementChild(root);
  xmlChar* id = xmlGetProp(first, BAD_CAST "id");
  EXPECT_STREQ(reinterpret_cast<const char*>(id), "EDIT1\" onload=\"x");
  xmlFree(id);
  xmlChar* content = xmlNodeGetContent(xmlFirstElementChild(first));
  // (an XML parser reads CR LF as LF)
  EXPECT_STREQ(reinterpret_cast<const char*>(content), "<div>]]></div><![CDATA[ x ]]>\n<br></br>");
  xmlFree(content);
  xmlFreeDoc(doc);
}

TEST(TKXXMLTag, AssignCopiesCDATA) {
  auto inner = TKXXMLTag::Create("innerhtml");
  inner->Contents()->AddText("t", false);
  auto copy = TKXXMLTag::Create("x");
  copy->Assign(inner.get());
  EXPECT_TRUE(copy->CDATA());
  EXPECT_EQ(Rendered(*copy), Rendered(*inner));
}

// ---------------------------------------------------------------------------
// Trees: rendering through links, ownership

TEST_F(MarkupTree, RenderOnALinkedDescendantRendersTheWholeTreeOnce) {
  auto root = TKXHTMLTag::Create("ul");
  TKXHTMLTag* first = root->Contents()->AddTag("li", true);
  root->Contents()->AddTag("li", true);
  TKXHTMLTag* link = first->Contents()->AddTag("a", true);
  link->Contents()->AddText("go", true);
  const std::string expected = "<ul>\r\n<li>\r\n<a>go</a></li>\r\n<li></li></ul>";
  EXPECT_EQ(Rendered(*root), expected);
  EXPECT_EQ(Rendered(*link), expected);
  EXPECT_EQ(Rendered(*link->Contents()->GetHTMLElement(0)), expected);
  EXPECT_FALSE(root->Rendering());
}

TEST_F(MarkupTree, FreeingAnInnerElementFreesTheWholeStructureOnce) {
  {
    auto root = TCountedTag::Create("div");
    TKXMarkupLanguageTag* linked = root->Contents()->AddTag("p", true);
    root->Contents()->AddTag("p", false)->Contents()->AddTag("i", true);
    TKXMarkupLanguageTag* inner = linked->Contents()->AddTag("b", true);
    linked->Contents()->AddText("t", true);
    TCountedTag::Create("span", linked).release();  // linked to p, in no contents
    ASSERT_EQ(Alive(), 6u);
    TKXElementPtr<TKXMarkupLanguageTag> handle(inner);
    root.release();
  }
  EXPECT_EQ(Alive(), 0u);
}

TEST_F(MarkupTree, ClearingContentsKeepsTheOwner) {
  auto root = TCountedTag::Create("div");
  root->Contents()->AddTag("p", true)->Contents()->AddTag("b", true);
  root->Contents()->AddTag("p", false);
  root->Contents()->Clear();
  EXPECT_EQ(Alive(), 1u);
  EXPECT_EQ(Rendered(*root), "<div></div>");
}

TEST_F(MarkupTree, AddTagAsObjectAppendsTheTagOrLinksItsOutermostAncestor) {
  auto page = TCountedTag::Create("body");
  EXPECT_EQ(page->Contents()->AddTagAsObject(TKXElementPtr<TKXHTMLTag>(), true), nullptr);

  TKXHTMLTag* plain = page->Contents()->AddTagAsObject(TCountedTag::Create("hr"), false);
  EXPECT_EQ(plain->ParentElement(), nullptr);
  TKXHTMLTag* linked = page->Contents()->AddTagAsObject(TCountedTag::Create("p"), true);
  EXPECT_EQ(linked->ParentElement(), page.get());

  auto frame = TCountedTag::Create("div");
  TKXHTMLTag* content = frame->Contents()->AddTag("span", true);
  TKXMarkupLanguageTag* frameRaw = frame.get();
  EXPECT_EQ(page->Contents()->AddTagAsObject(Handle(content), true), content);
  frame.release();
  ASSERT_EQ(page->Contents()->Count(), 3);
  EXPECT_EQ(page->Contents()->GetHTMLElement(2), frameRaw);
  EXPECT_EQ(frameRaw->ParentElement(), page.get());
  EXPECT_EQ(Rendered(*content), "<body>\r\n<hr>\r\n<p></p>\r\n<div><span></span></div></body>");
  page.reset();
  EXPECT_EQ(Alive(), 0u);
}

// A container holding an inner element of another structure renders and frees that whole structure.
TEST_F(MarkupTree, InnerElementHeldByAContainerBringsItsStructure) {
  auto wrapper = TCountedTag::Create("form");
  auto frame = TCountedTag::Create("div");
  TKXHTMLTag* content = frame->Contents()->AddTag("span", true);
  frame.release();
  wrapper->Contents()->AddTagAsObject(Handle(content), false);
  EXPECT_EQ(Rendered(*wrapper), "<form>\r\n<div><span></span></div></form>");
  EXPECT_EQ(Alive(), 3u);
  wrapper.reset();
  EXPECT_EQ(Alive(), 0u);
}

// Appending the owner's own ancestor (or the owner) would make a cycle: nothing is appended.
TEST_F(MarkupTree, AddTagAsObjectRefusesAStructureThatHoldsTheOwner) {
  auto root = TCountedTag::Create("div");
  TKXHTMLTag* child = root->Contents()->AddTag("p", true);
  TKXHTMLTag* grandchild = child->Contents()->AddTag("b", false);
  EXPECT_EQ(child->Contents()->AddTagAsObject(Handle(root.get()), false), root.get());
  EXPECT_EQ(grandchild->Contents()->AddTagAsObject(Handle(child), true), child);
  EXPECT_EQ(child->Contents()->AddTagAsObject(Handle(child), false), child);
  EXPECT_EQ(child->Contents()->Count(), 1);
  EXPECT_EQ(grandchild->Contents()->Count(), 0);
  EXPECT_EQ(Rendered(*root), "<div><p>\r\n<b></b></p></div>");
  root.reset();
  EXPECT_EQ(Alive(), 0u);
}

TEST_F(MarkupTree, RenderAndFreeEndOnAParentCycle) {
  auto a = TCountedTag::Create("x");
  TKXHTMLTag* b = a->Contents()->AddTag("y", true);
  a->SetParentElement(b);
  EXPECT_EQ(Rendered(*a), "<y></y>");  // the climb from x stops at y, which holds nothing
  EXPECT_EQ(Rendered(*b), "<x>\r\n<y></y></x>");
  a.reset();
  EXPECT_EQ(Alive(), 0u);
}

// Holding one structure in two collections breaks the ownership rule; still nothing is freed twice.
TEST_F(MarkupTree, ElementHeldByTwoCollectionsIsFreedOnce) {
  auto first = TCountedTag::Create("div");
  auto second = TCountedTag::Create("div");
  TKXHTMLTag* shared = first->Contents()->AddTag("p", false);
  second->Contents()->AddTagAsObject(Handle(shared), false);
  first.reset();
  EXPECT_EQ(second->Contents()->Count(), 0);
  second.reset();
  EXPECT_EQ(Alive(), 0u);
}

TEST_F(MarkupTree, FreeStandingCollectionCreatesItsTagClassAndFreesItsElements) {
  {
    TKXHTMLTagCollection rows(nullptr);
    EXPECT_EQ(rows.AddTag("input", true)->ClosingTag(), cbFalse);
    EXPECT_EQ(rows.AddTag("tr", true)->ParentElement(), nullptr);
    TKXMarkupLanguageTagCollection counted(nullptr, TCountedTag::Create("x")->TagClass());
    counted.AddTag("tr", true)->Contents()->AddTag("td", true);
    EXPECT_EQ(Alive(), 2u);
    EXPECT_THROW(counted.GetHTMLElement(1), EListError);
  }
  EXPECT_EQ(Alive(), 0u);
}

// ---------------------------------------------------------------------------
// Copies

TEST_F(MarkupTree, AssignCopiesTheTagDeeplyAndKeepsLinksInsideTheCopy) {
  auto source = TCountedTag::Create("td");
  source->AddStringParam("id", "x");
  source->SetScriptEvents("s;");
  source->SetClosingTag(cbAuto);
  TKXHTMLTag* child = source->Contents()->AddTag("b", true);
  child->Contents()->AddText("t", false);
  child->SetScriptEvents("c;");
  source->Contents()->AddTag("i", false);

  auto copy = TCountedTag::Create("span");
  copy->Assign(source.get());
  EXPECT_EQ(copy->Tag(), "td");
  EXPECT_TRUE(copy->IsPreformated());
  EXPECT_EQ(copy->ClosingTag(), cbAuto);
  EXPECT_EQ(copy->ScriptEvents(), "c;s;");
  EXPECT_EQ(Rendered(*copy), Rendered(*source));
  auto* childCopy = static_cast<TKXHTMLTag*>(copy->Contents()->GetHTMLElement(0));
  EXPECT_NE(childCopy, child);
  EXPECT_EQ(childCopy->ParentElement(), copy.get());
  EXPECT_EQ(copy->Contents()->GetHTMLElement(1)->ParentElement(), nullptr);
  childCopy->AddStringParam("changed", "1");
  EXPECT_EQ(child->Params()->Count(), 0);
  EXPECT_EQ(Alive(), 6u);
}

TEST_F(MarkupTree, AssignOfALinkedTagCopiesItsParentChain) {
  auto root = TCountedTag::Create("div");
  TKXHTMLTag* row = root->Contents()->AddTag("p", true);
  root->Contents()->AddTag("hr", false);
  row->Contents()->AddText("r", false);

  auto copy = TCountedTag::Create("");
  copy->Assign(row);
  ASSERT_NE(copy->ParentElement(), nullptr);
  EXPECT_NE(copy->ParentElement(), root.get());
  // The copy of the row goes to the end of its copied parent.
  EXPECT_EQ(Rendered(*copy), "<div><hr><p>r</p></div>");
  EXPECT_EQ(Rendered(*root), "<div><p>r</p><hr></div>");
  copy.reset();
  EXPECT_EQ(Alive(), 3u);
}

TEST_F(MarkupTree, AssignFromInsideItselfDoesNothing) {
  auto root = TCountedTag::Create("div");
  TKXHTMLTag* child = root->Contents()->AddTag("p", true);
  child->AddStringParam("id", "c");
  root->Assign(child);
  EXPECT_EQ(Rendered(*root), "<div><p id=\"c\"></p></div>");
  EXPECT_THROW(root->Assign(TKXTextElement::Create().get()), EConvertError);
}

TEST_F(MarkupTree, CollectionCopiesLinkToTheirNewOwner) {
  auto source = TCountedTag::Create("tr");
  source->Contents()->AddTag("td", true);
  source->Contents()->AddTag("td", false);
  auto target = TCountedTag::Create("tr");
  target->Contents()->AddTag("th", false);
  target->Contents()->Assign(*source->Contents());
  ASSERT_EQ(target->Contents()->Count(), 2);
  EXPECT_EQ(target->Contents()->GetHTMLElement(0)->ParentElement(), target.get());
  EXPECT_EQ(target->Contents()->GetHTMLElement(1)->ParentElement(), nullptr);

  auto other = std::make_unique<TKXMarkupLanguageTagCollection>(nullptr, target->TagClass());
  other->AddTag("td", false);
  target->Contents()->AddTagCollection(std::move(other), true);
  ASSERT_EQ(target->Contents()->Count(), 3);
  EXPECT_EQ(target->Contents()->GetHTMLElement(2)->ParentElement(), target.get());
  source.reset();
  target.reset();
  EXPECT_EQ(Alive(), 0u);
}

// ---------------------------------------------------------------------------
// Text and binary elements, hidden fields

TEST(TKXMarkupLanguageTagCollection, BufferIsCopiedWholeAndRenderedByteForByte) {
  TKXRenderStream source(true, true);
  const std::string bytes = std::string("<i>\xFF\x00x", 6);
  source.Write(bytes);
  auto tag = TKXHTMLTag::Create("div");
  TKXBinaryElement* block = tag->Contents()->AddBuffer(source, false);
  EXPECT_EQ(source.Stream()->Position(), 6);
  tag->Contents()->AddText("é", false);
  TKXRenderStream out(true, true);
  tag->Render(out);
  std::string written(std::size_t(out.Stream()->Size()), '\0');
  out.Stream()->SetPosition(0);
  out.Stream()->ReadBuffer(written.data(), std::int64_t(written.size()));
  EXPECT_EQ(written, "<div>" + bytes + "é</div>");

  auto copy = TKXBinaryElement::Create();
  copy->Assign(block);
  EXPECT_EQ(copy->Buffer()->Stream()->Size(), 6);
}

TEST(TKXHTMLTagCollection, AddHiddenField) {
  auto form = TKXHTMLTag::Create("form");
  form->Contents()->AddHiddenField("n", "");
  form->Contents()->AddHiddenField("i", "m", "v");
  EXPECT_EQ(Rendered(*form),
            "<form>\r\n<input type=\"hidden\" name=\"n\">"
            "\r\n<input type=\"hidden\" name=\"m\" value=\"v\" id=\"i\"></form>");
}

}  // namespace
}  // namespace kx
