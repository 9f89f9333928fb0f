// The checks behind every row of a control contract (support/ControlContract.h).
#include "support/ControlContract.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "kx/foundation/TextUtils.h"
#include "support/ParsedDocument.h"
#include "support/Raised.h"

namespace kx::test {

std::string ContractRowName(const ::testing::TestParamInfo<TControlContract>& info) { return info.param.Name; }

void PrintTo(const TControlContract& row, std::ostream* out) { *out << row.Name; }

std::vector<TControlContract> RowsTakingPosts(std::span<const TControlContract> rows) {
  std::vector<TControlContract> taking;
  std::ranges::copy_if(rows, std::back_inserter(taking),
                       [](const TControlContract& row) { return !row.Posts.empty(); });
  return taking;
}

std::vector<TControlContract> RowsShowingText(std::span<const TControlContract> rows) {
  std::vector<TControlContract> showing;
  std::ranges::copy_if(rows, std::back_inserter(showing),
                       [](const TControlContract& row) { return bool(row.HostileText); });
  return showing;
}

namespace {

// What a user could type that breaks markup, a script literal or a CDATA section when it is not escaped.
const char* const kHostileTexts[] = {
    "\"><script>alert(1)</script>",
    "a & b < c > 'd' \"e\"",
    "]]><x>&amp;</x>",
    "</textarea><img src=x onerror=alert(2)>",
};

// What the contract renders of a row's component.
IKXHTML40Component& HTML40(TComponent& control) {
  IKXHTML40Component* component = Supports<IKXHTML40Component>(&control);
  if (component == nullptr) throw std::logic_error(control.Name() + " is no HTML 4.0 component");
  return *component;
}

std::string HTMLNameOf(TComponent& control) { return HTML40(control).HTMLName(); }

// The component of the form the control lies in: the control itself, or the region on the form holding it.
TComponent& OnTheForm(TFormFixture& f, TComponent& control) {
  TControl* child = Supports<TControl>(&control);
  if (child == nullptr) return control;
  while (child->Parent() != nullptr && child->Parent() != f.Form) child = child->Parent();
  return *child;
}

// The markup of the component on the form holding the control, wrapped so that the HTML parser keeps it in BODY.
std::string RenderedElement(TFormFixture& f, TComponent& control) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(HTMLNameOf(OnTheForm(f, control)));
  return tag ? "<html><body>" + tag->Render() + "</body></html>" : std::string();
}

// The control's element in that markup: the outer one, or inside a region the one of its id (the region's layout
// writes it).
std::string ElementPath(TFormFixture& f, TComponent& control) {
  if (&OnTheForm(f, control) == &control) return "/html/body/*[1]";
  return "//*[@id='" + HTMLNameOf(control) + "']";
}

std::string RenderedUpdate(TComponent& control) {
  TKXCompContext context(&control, nullptr, nullptr);
  TKXElementPtr<TKXXMLTag> tag = HTML40(control).RenderAsyncComponent(&context);
  return tag ? tag->Render() : std::string();
}

// The declarations of a style attribute or rule body, "a: 1; b:2" -> {{"a","1"},{"b","2"}}.
std::vector<std::pair<std::string, std::string>> Declarations(std::string_view style) {
  std::vector<std::pair<std::string, std::string>> result;
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
  };
  while (!style.empty()) {
    const std::size_t end = style.find(';');
    const std::string_view declaration = style.substr(0, end);
    const std::size_t colon = declaration.find(':');
    if (colon != std::string_view::npos)
      result.emplace_back(trim(declaration.substr(0, colon)), trim(declaration.substr(colon + 1)));
    if (end == std::string_view::npos) break;
    style.remove_prefix(end + 1);
  }
  return result;
}

// Every text node and attribute value of the document, joined: what a reader of the page sees of it. A
// non-breaking space (a caption whose spaces are converted) is read as the blank it shows.
std::string AllText(const TParsedDocument& document) {
  std::string text = document.Value("/");
  const int attributes = document.Count("//@*");
  for (int i = 1; i <= attributes; ++i) text += "\n" + document.Value("(//@*)[" + std::to_string(i) + "]");
  return KXStringReplace(text, "\u00A0", " ");
}

// The same for a callback update. The client reads every value of an update as HTML (a property's text is
// escaped for HTML, then for XML), so each element's text is read as HTML too.
std::string AllUpdateText(const TParsedDocument& answer) {
  std::string text = AllText(answer);
  const int leaves = answer.Count("//*[not(*)]");
  for (int i = 1; i <= leaves; ++i) {
    const std::string html = answer.Value("(//*[not(*)])[" + std::to_string(i) + "]");
    text += "\n" + AllText(TParsedDocument("<html><body>" + html + "</body></html>", true));
  }
  return text;
}

}  // namespace

TEST_P(TControlContractTest, RendersItsElement) {
  const TControlContract& row = GetParam();
  TFormFixture f;
  TComponent* control = row.Make(f);
  ASSERT_NE(control, nullptr);
  if (!row.RenderError.empty()) {
    EXPECT_EQ(MessageOf([&] { f.Form->Render(); }), row.RenderError);
    return;
  }
  if (row.Tag.empty()) {
    TKXContainerContext* rendered = f.Form->Render();
    ASSERT_NE(rendered->GetComponentContext(HTMLNameOf(*control)), nullptr) << "the form renders it";
    EXPECT_EQ(rendered->GetMarkupLanguageTag(HTMLNameOf(*control)), nullptr) << "the page holds no element of it";
    return;
  }
  const std::string element = RenderedElement(f, *control);
  const TParsedDocument page(element, true);
  ASSERT_TRUE(page.Parsed());
  const std::string path = ElementPath(f, *control);
  ASSERT_EQ(page.Count(path), 1) << element;
  EXPECT_EQ(page.Value("name(" + path + ")"), row.Tag);
  for (const auto& [name, value] : row.Attributes) {
    SCOPED_TRACE("attribute " + name);
    const std::string attribute = path + "/@" + name;
    if (value == kAbsent) {
      EXPECT_EQ(page.Count(attribute), 0);
    } else {
      EXPECT_EQ(page.Count(attribute), 1);
      EXPECT_EQ(page.Value(attribute), value);
    }
  }
  TKXCompContext context(control, nullptr, nullptr);
  const std::string style = HTML40(*control).RenderStyle(&context);
  const auto declarations = Declarations(style);
  for (const auto& declaration : row.Styles) {
    EXPECT_NE(std::find(declarations.begin(), declarations.end(), declaration), declarations.end())
        << declaration.first << ": " << declaration.second << " in " << style;
  }
}

TEST_P(TPostedValueContractTest, TakesPostedValues) {
  const TControlContract& row = GetParam();
  TFormFixture f;
  TComponent* control = row.Make(f);
  IKXInputControl* input = Supports<IKXInputControl>(control);
  ASSERT_NE(input, nullptr) << "a control that takes posted values is an input control";
  for (const TPostedValue& post : row.Posts) {
    SCOPED_TRACE("posted \"" + post.Posted + "\"");
    input->SetValue(post.Posted);
    EXPECT_EQ(post.Read(*control), post.Expected);
  }
}

TEST_P(TControlContractTest, SendsItsUpdate) {
  const TControlContract& row = GetParam();
  TFormFixture f;
  TComponent* control = row.Make(f);
  const std::string update = RenderedUpdate(*control);
  if (row.AsyncType.empty()) {
    EXPECT_EQ(update, "");
    return;
  }
  const TParsedDocument answer(update, false);
  ASSERT_TRUE(answer.Parsed()) << update;
  EXPECT_EQ(answer.Value("/*/@id"), HTMLNameOf(*control));
  EXPECT_EQ(answer.Value("/*/@type"), row.AsyncType);
  for (const auto& [path, value] : row.AsyncFacts) EXPECT_EQ(answer.Value("/*/" + path), value) << path;
}

TEST_P(THostileTextContractTest, ShowsHostileTextAsText) {
  const TControlContract& row = GetParam();
  TFormFixture f;
  TComponent* control = row.Make(f);
  row.HostileText(*control, "plain");
  const int plainElements = TParsedDocument(RenderedElement(f, *control), true).Count("//*");
  for (const char* text : kHostileTexts) {
    SCOPED_TRACE(text);
    row.HostileText(*control, text);
    const TParsedDocument page(RenderedElement(f, *control), true);
    ASSERT_TRUE(page.Parsed());
    EXPECT_EQ(page.Count("//*"), plainElements) << "the text made elements of its own";
    EXPECT_NE(AllText(page).find(text), std::string::npos) << "the page does not show the text as it was";
    if (row.AsyncType.empty()) continue;
    const std::string update = RenderedUpdate(*control);
    const TParsedDocument answer(update, false);
    ASSERT_TRUE(answer.Parsed() && answer.Errors().empty()) << update;
    if (row.UpdateShowsText) {
      EXPECT_NE(AllUpdateText(answer).find(text), std::string::npos) << update;
    }
  }
}

}  // namespace kx::test
