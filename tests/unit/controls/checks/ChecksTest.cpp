// What the contract rows cannot say about check boxes, radio buttons and radio groups: the markup the client
// scripts rely on, the change and click events, and the radio button's value following its name.
#include "kx/controls/checks/Checks.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;

std::string Page(TFormFixture& f, const char* htmlName) {
  TKXMarkupLanguageTag* tag = f.Form->Render()->GetMarkupLanguageTag(htmlName);
  return tag ? tag->Render() : std::string();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TKXCheckBox, RendersTheBoxAndItsCaption) {
  TFormFixture f;
  auto* box = f.Add<TKXCheckBox>("Check1", f.Form);
  box->SetCaption("Tom & Jerry");
  box->SetChecked(true);
  const std::string page = Page(f, "CHECK1");
  EXPECT_TRUE(Has(page, "<input type=\"CHECKBOX\" name=\"CHECK1_CHECKBOX\" id=\"CHECK1_CHECKBOX\" "
                        "onclick=\"checkBoxClick(event, 'CHECK1');\" checked>"))
      << page;
  EXPECT_TRUE(Has(page, "<span id=\"CHECK1_CHKBCAPTION\" onclick=\"checkBoxClick(event, 'CHECK1');\">Tom &amp; Jerry"))
      << page;
  box->SetEditable(false);
  EXPECT_TRUE(Has(Page(f, "CHECK1"), " disabled"));
  EXPECT_TRUE(box->IsForThisControl("check1_checkbox"));
}

// The image check box keeps its state in a hidden field that a start-up script sets; not editable, only its image.
TEST(TKXCheckBox, CoolStyleNotEditableShowsOnlyItsImage) {
  TFormFixture f;
  auto* box = f.Add<TKXCheckBox>("Check1", f.Form);
  box->SetStyle(TKXCustomCheckBoxStyle::stCool);
  std::string page = Page(f, "CHECK1");
  EXPECT_TRUE(Has(page, "onclick=\"CoolCheckBoxToggle('CHECK1', false)\"")) << page;
  EXPECT_TRUE(Has(page, "src=\"/$/gfx/CoolCheckBox_False.gif\""));
  EXPECT_TRUE(Has(page, "type=\"hidden\" name=\"CHECK1_CHECKBOX\""));
  box->SetEditable(false);
  page = Page(f, "CHECK1");
  EXPECT_FALSE(Has(page, "<a ")) << page;
  EXPECT_FALSE(Has(page, "hidden"));
  EXPECT_FALSE(Has(page, "CoolCheckBoxToggle"));
  EXPECT_TRUE(Has(page, "id=\"CHECK1_Image\""));
}

// A posted state reaches OnChange through ValueChanged (after all values are in); a state set in code at once.
TEST(TKXCheckBox, ChangeEventsFromPostsAndCode) {
  TFormFixture f;
  auto* box = f.Add<TKXCheckBox>("Check1", f.Form);
  int changes = 0, clicks = 0;
  box->OnChange = [&](TObject*) { ++changes; };
  box->OnClick = [&](TObject*) { ++clicks; };
  bool changed = false;
  box->SetValue("On", changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(changes, 0);
  box->SetValue("on", changed);
  EXPECT_FALSE(changed);
  box->SetChecked(false);
  box->SetChecked(false);
  EXPECT_EQ(changes, 1);
  box->Submit("");
  EXPECT_EQ(clicks, 1);
}

TEST(TKXRadioButton, ButtonsOfOneGroupShareTheNameAndTheirPost) {
  TFormFixture f;
  auto* first = f.Add<TKXRadioButton>("Radio1", f.Form);
  auto* second = f.Add<TKXRadioButton>("Radio2", f.Form);
  first->SetGroup("colour's");
  second->SetGroup("colour's");
  first->SetChecked(true);
  const std::string page = Page(f, "RADIO1");
  EXPECT_TRUE(Has(page, "<input type=\"RADIO\" name=\"colour&#39;s\" value=\"Radio1\" id=\"RADIO1_INPUT\"")) << page;
  EXPECT_TRUE(Has(page, "onclick=\"radioButtonClick(event, 'colour\\x27s','RADIO1_INPUT');\"")) << page;
  EXPECT_TRUE(Has(page, "<input type=\"hidden\" name=\"RADIO1_INPUT\" value=\"Radio1\">")) << page;
  EXPECT_TRUE(Has(Page(f, "RADIO2"), "<input type=\"hidden\" name=\"RADIO2_INPUT\">"));
  // The client posts the group's value under each button's own field.
  for (TKXRadioButton* button : {first, second}) button->SetValue("radio2");
  EXPECT_FALSE(first->Checked());
  EXPECT_TRUE(second->Checked());
}

TEST(TKXRadioButton, ValueFollowsTheNameUntilEdited) {
  TFormFixture f;
  auto* button = f.Add<TKXRadioButton>("Radio1", f.Form);
  EXPECT_EQ(button->Value(), "Radio1");
  button->SetName("Yes");
  EXPECT_EQ(button->Value(), "Yes");
  button->SetButtonValue("y");
  button->SetName("YesPlease");
  EXPECT_EQ(button->Value(), "y");
  button->SetTabOrder(3);
  EXPECT_EQ(button->TabOrder(), 0);
}

TEST(TKXRadioGroup, RendersItsItems) {
  struct {
    const char* Case;
    int ItemIndex;
    bool Enabled;
    TKXRadioGroupLayout Layout;
    int Checked, Disabled, Breaks;
  } const cases[] = {
      {"vertical", 1, true, glVertical, 1, 0, 2},
      {"beyond the list", 5, true, glVertical, 0, 0, 2},
      {"disabled", 0, false, glVertical, 1, 2, 2},
      {"horizontal", 0, true, glHorizontal, 1, 0, 0},
  };
  auto count = [](const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    TFormFixture f;
    auto* group = f.Add<TKXRadioGroup>("Group1", f.Form);
    group->Items().Add("A");
    group->Items().Add("B");
    group->SetItemIndex(c.ItemIndex);
    group->SetEnabled(c.Enabled);
    group->SetLayout(c.Layout);
    const std::string page = Page(f, "GROUP1");
    EXPECT_EQ(count(page, " checked"), c.Checked) << page;
    EXPECT_EQ(count(page, " disabled"), c.Disabled);
    EXPECT_EQ(count(page, "<BR>"), c.Breaks);
    EXPECT_EQ(count(page, "onclick=\"radioGroupClick(event, 'GROUP1_INPUT_1');\""), 2) << "input and text";
    TKXCompContext context(group, nullptr, nullptr);
    EXPECT_EQ(Has(group->RenderStyle(&context), "white-space:nowrap;"), c.Layout == glHorizontal);
  }
}

// The posted index fires the click once all values are in, and only when it changed.
TEST(TKXRadioGroup, ClickFollowsAChangedIndex) {
  TFormFixture f;
  auto* group = f.Add<TKXRadioGroup>("Group1", f.Form);
  group->Items().Add("A");
  group->Items().Add("B");
  int clicks = 0;
  group->OnClick = [&](TObject*) { ++clicks; };
  bool changed = false;
  group->SetValue("1", changed);
  EXPECT_TRUE(changed);
  if (changed) group->ValueChanged();
  group->SetValue("1", changed);
  EXPECT_FALSE(changed);
  group->Submit("x");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(group->GetSubmitParam(), "x");
}

}  // namespace
}  // namespace kx
