#include "kx/forms/BaseControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/foundation/KXMessages.h"
#include "kx/platform/Utf8.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::TFormFixture;
using test::TTestEdit;
using test::TTestLabel;
using test::TTestPanel;

// Reads a script string literal body back as a script engine would.
std::string DecodeScriptLiteral(const std::string& literal) {
  std::string out;
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (literal[i] != '\\') {
      out += literal[i];
      continue;
    }
    const char kind = literal.at(++i);
    if (kind == 'n') {
      out += '\n';
    } else if (kind == 'x') {
      out += char(std::stoi(literal.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else if (kind == 'u') {
      AppendUtf8(out, char32_t(std::stoi(literal.substr(i + 1, 4), nullptr, 16)));
      i += 4;
    } else {
      out += kind;
    }
  }
  return out;
}

TEST(TKXBaseHTMLControl, TextToHTMLEscapesMarkupCharacters) {
  struct Case {
    const char* text;
    bool lineBreaks;
    bool spaces;
    bool callBack;
    const char* expected;
  };
  const Case cases[] = {
      {"<a href=\"x\">Tom & 'Jerry'</a>", false, false, false,
       "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;"},
      {"a\r\nb\nc", true, false, false, "a<br>b<br>c"},
      {"a\r\nb", false, false, false, "a\r\nb"},
      {"a b", false, true, false, "a&nbsp;b"},
      {"a b", false, true, true, "a&amp;nbsp;b"},
      {"a b", false, false, true, "a b"},
      {"\xC3\xA9\xF0\x9F\x98\x80", true, true, false, "\xC3\xA9\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TKXBaseHTMLControl::TextToHTML(c.text, c.lineBreaks, c.spaces, c.callBack), c.expected);
  }
  // Without a current session a space is never written for a callback.
  EXPECT_EQ(TKXBaseHTMLControl::TextToHTML("a b", false, true), "a&nbsp;b");
}

TEST(TKXBaseHTMLControl, TextToJSStringLiteralIsRightInsideAScriptAndInsideAnAttribute) {
  const std::string hostile[] = {
      "line one\nline two\r\n",
      "\"double\" and 'single' quotes",
      "</script><script>alert(1)</script>",
      "Tom & Jerry &amp; <b>",
      "back\\slash\\",
      std::string("nul\x01tab\tdel\x7F", 13),
      "sep\xE2\x80\xA8para\xE2\x80\xA9",
      "\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80",
  };
  for (const std::string& text : hostile) {
    SCOPED_TRACE(text);
    const std::string literal = TKXBaseHTMLControl::TextToJSStringLiteral(text);
    // Nothing that could end the literal, the attribute or the script block, or be read as a reference.
    EXPECT_EQ(literal.find_first_of("\"'<>&\r\n"), std::string::npos) << literal;
    std::string expected;
    for (char c : text) {
      if (c != '\r') expected += c;
    }
    EXPECT_EQ(DecodeScriptLiteral(literal), expected) << literal;
  }
  EXPECT_EQ(TKXBaseHTMLControl::TextToJSStringLiteral("a\nb"), "a\\nb");
  EXPECT_EQ(TKXBaseHTMLControl::TextToJSStringLiteral("\"'&<>\\"), "\\x22\\x27\\x26\\x3C\\x3E\\\\");
  EXPECT_EQ(TKXBaseHTMLControl::TextToJSStringLiteral("\xFF"), "\xEF\xBF\xBD");  // invalid UTF-8 becomes U+FFFD
}

TEST(TKXBaseHTMLControl, HTMLNameCarriesTheContainerPrefixOrTheOwnerFrame) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* onFrame = f.Add<TTestEdit>("Edit2", frame, frame);
  auto* loose = f.Add<TTestEdit>("edit3", nullptr);
  EXPECT_EQ(edit->HTMLName(), "EDIT1");
  EXPECT_EQ(edit->ComponentName(), "EDIT1");
  EXPECT_EQ(onFrame->HTMLName(), "FRAME1EDIT2");
  EXPECT_EQ(loose->HTMLName(), "EDIT3");
}

TEST(TKXBaseControl, RunTimeControlWithoutNameTakesTheFirstFreeClassName) {
  TFormFixture f;
  f.Add<TTestLabel>("TTestLabel1", f.Form);
  f.Add<TTestLabel>("TTestLabel3", f.Form);
  auto* label = TComponent::Create<TTestLabel>(f.Form);
  EXPECT_EQ(label->Name(), "TTestLabel2");
  auto* second = TComponent::Create<TTestLabel>(f.Form);
  EXPECT_EQ(second->Name(), "TTestLabel4");
  TOwnedComponent<TTestLabel> ownerless(TComponent::Create<TTestLabel>(nullptr));
  EXPECT_EQ(ownerless->Name(), "");
}

TEST(TKXBaseHTMLControl, SetTabOrderBeyondTheListAppendsButStoresTheValue) {
  TFormFixture f;
  auto* a = f.Add<TTestEdit>("A", f.Form);
  auto* b = f.Add<TTestEdit>("B", f.Form);
  auto* c = f.Add<TTestEdit>("C", f.Form);
  auto* d = f.Add<TTestEdit>("D", nullptr);
  EXPECT_EQ(a->TabOrder(), 0);
  EXPECT_EQ(c->TabOrder(), 2);

  d->SetParent(f.Form);  // appended at the end
  d->SetTabOrder(5);
  EXPECT_EQ(d->TabOrder(), 3);
  EXPECT_EQ(d->StoredTabOrder(), 5);

  d->SetTabOrder(0);
  EXPECT_EQ(d->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  EXPECT_EQ(b->TabOrder(), 2);

  d->SetTabOrder(-7);  // a negative value appends
  EXPECT_EQ(d->TabOrder(), 3);
}

TEST(TKXBaseHTMLControl, TabOrderWithoutOwnerFormIsTheStoredValue) {
  TFormFixture f;
  auto* loose = f.Add<TTestEdit>("Loose", nullptr);
  EXPECT_EQ(loose->TabOrder(), -1);
  loose->SetTabOrder(4);
  EXPECT_EQ(loose->TabOrder(), 4);
  loose->SetTabOrder(-1);
  EXPECT_EQ(loose->TabOrder(), 4);
}

TEST(TKXBaseHTMLControl, ControlsInAFrameRegionUseTheRegionsTabList) {
  TFormFixture f;
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* region = f.Add<TTestPanel>("KXFrameRegion", frame, frame);
  auto* first = f.Add<TTestEdit>("First", region, frame);
  auto* second = f.Add<TTestEdit>("Second", region, frame);
  EXPECT_EQ(first->OwnerFrame(), region);
  EXPECT_EQ(first->OwnerForm(), f.Form);
  EXPECT_EQ(second->TabOrder(), 1);
  ASSERT_EQ(region->TabOrderList().size(), 2u);
  second->Free();
  EXPECT_EQ(region->TabOrderList().size(), 1u);
}

TEST(TKXBaseHTMLControl, MovingToAnotherFormTakesTheTabOrderThere) {
  TFormFixture f;
  auto* other = TComponent::Create<test::TTestForm>(f.Root.get());
  other->SetName("Form2");
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  ASSERT_EQ(f.Form->TabOrderList().size(), 1u);
  edit->SetParent(other);
  EXPECT_TRUE(f.Form->TabOrderList().empty());
  EXPECT_EQ(f.Form->KXFindComponent(edit), -1);
  ASSERT_EQ(other->TabOrderList().size(), 1u);
  EXPECT_EQ(other->KXFindComponent(edit), 0);
}

TEST(TKXBaseHTMLControl, MakeHTMLTagWritesTheTabIndexAndTheExtraAttributes) {
  TFormFixture f;
  auto* a = f.Add<TTestEdit>("A", f.Form);
  auto* b = f.Add<TTestEdit>("B", f.Form);
  f.Form->RealTabOrderList = {a, b};
  TStringList extra;
  extra.Add("data-x=1");
  b->SetExtraTagParams(extra);
  EXPECT_TRUE(b->DoRefreshControl());  // a change of the extra attributes invalidates

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("INPUT");
  EXPECT_EQ(b->MakeHTMLTag(tag.get()), "\r\n<input tabindex=\"2\" data-x=\"1\">");
  EXPECT_EQ(b->MakeHTMLTag(nullptr), "");
}

TEST(ControlInterfaces, EveryBaseAnswersTheQueriesOfItsRoles) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* label = f.Add<TTestLabel>("Label1", f.Form);
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* component = TComponent::Create<TKXBaseHTML40Component>(f.Form);

  // The custom control reaches IKXBaseHTMLComponent through two interface paths.
  IKXHTML40Component* asComponent = HTML40ComponentInterface(edit);
  IKXHTML40Control* asControl = HTML40ControlInterface(edit);
  ASSERT_NE(asComponent, nullptr);
  ASSERT_NE(asControl, nullptr);
  EXPECT_EQ(Supports<IKXBaseHTMLComponent>(asComponent), Supports<IKXBaseHTMLComponent>(asControl));
  EXPECT_NE(BaseHTMLComponentInterface(edit), nullptr);
  EXPECT_EQ(BaseHTMLComponentInterface(edit)->HTMLName(), "EDIT1");
  EXPECT_EQ(GetInterfaceInstance(asControl), edit);

  EXPECT_TRUE(isInputControl(edit));
  EXPECT_TRUE(isSubmitControl(edit));
  EXPECT_NE(InputControl40Interface(edit), nullptr);
  EXPECT_TRUE(edit->SupportsInput());
  EXPECT_TRUE(edit->SupportsSubmit());
  EXPECT_FALSE(isInputControl(label));
  EXPECT_FALSE(label->SupportsInput());
  EXPECT_TRUE(isBaseControl(label));
  EXPECT_NE(TabOrderInterface(label), nullptr);

  EXPECT_TRUE(isBaseContainer(panel));
  EXPECT_TRUE(isBaseComponent(panel));
  EXPECT_TRUE(isBaseControl(panel));
  EXPECT_NE(HTML40ContainerInterface(f.Form), nullptr);
  EXPECT_NE(HTML40FormInterface(f.Form), nullptr);
  EXPECT_EQ(HTML40FormInterface(panel), nullptr);

  EXPECT_TRUE(isBaseComponent(component));
  EXPECT_FALSE(isBaseControl(component));
  EXPECT_NE(HTML40ComponentInterface(component), nullptr);

  EXPECT_FALSE(isBaseComponent(nullptr));
  EXPECT_EQ(SubmitInterface(nullptr), nullptr);
  EXPECT_EQ(GetInterfaceInstance(nullptr), nullptr);
}

TEST(TKXBaseComponent, ANonVisualComponentJoinsItsFormAndLeavesItWhenFreed) {
  TFormFixture f;
  auto* component = TComponent::Create<TKXBaseHTML40Component>(f.Form);
  component->SetName("Timer1");
  EXPECT_EQ(f.Form->KXFindComponent(component), 0);
  EXPECT_EQ(f.Form->FindComponentByName("timer1"), component);
  component->Free();
  EXPECT_EQ(f.Form->KXComponentsCount(), 0);
}

// A non-component notifier and a component notifier that is freed first.
class TNotified : public TObject, public IKXFreeNotification {
 public:
  std::vector<TObject*> Seen;
  void Freeing(TObject* object) override { Seen.push_back(object); }
};

class TNotifiedComponent : public TComponent, public IKXFreeNotification {
 public:
  int Count = 0;
  void Freeing(TObject* object) override {
    (void)object;
    ++Count;
  }
};

TEST(TKXBaseComponent, FreeNotifiersAreToldOnceAndAFreedNotifierIsForgotten) {
  TFormFixture f;
  auto* component = TComponent::Create<TKXBaseHTMLComponent>(f.Form);
  TNotified notified;
  component->AddFreeNotifier(&notified);
  component->AddFreeNotifier(&notified);
  auto* gone = TComponent::Create<TNotifiedComponent>(f.Root.get());
  component->AddFreeNotifier(gone);
  gone->Free();  // freed before the component it listens to

  auto* removed = TComponent::Create<TNotifiedComponent>(f.Root.get());
  component->AddFreeNotifier(removed);
  component->RemoveFreeNotifier(removed);

  component->Free();
  EXPECT_EQ(notified.Seen, std::vector<TObject*>{component});
  EXPECT_EQ(removed->Count, 0);
}

TEST(SetActiveControl, OnlyAnHTML40ContainerOrAFrameInOneCanTakeTheFocus) {
  TFormFixture f;
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);

  SetActiveControl(frame, edit);
  EXPECT_EQ(f.Form->ActiveControl, edit);

  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  f.Form->ActiveControl = nullptr;
  SetActiveControl(panel, edit);  // a plain container passes it on to its form
  EXPECT_EQ(f.Form->ActiveControl, edit);

  auto* lone = TComponent::Create<TFrame>(f.Root.get());
  try {
    SetActiveControl(lone, edit);
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Control cannot receive focus");
  }
  EXPECT_THROW(SetActiveControl(nullptr, edit), Exception);
}

TEST(SetDoRefreshControl, ReachesEveryComponentInsideContainersAndFrames) {
  TFormFixture f;
  auto* panel = f.Add<TTestPanel>("Panel1", f.Form);
  auto* inner = f.Add<TTestEdit>("Inner", panel);
  auto* frame = f.Add<TFrame>("Frame1", f.Form);
  auto* onFrame = f.Add<TTestEdit>("OnFrame", frame, frame);
  auto* edit = f.Add<TTestEdit>("Edit1", f.Form);

  SetDoRefreshControl(f.Form, true);
  for (TKXCustomControl* control : {static_cast<TKXCustomControl*>(inner), static_cast<TKXCustomControl*>(onFrame),
                                    static_cast<TKXCustomControl*>(edit)}) {
    EXPECT_TRUE(control->DoRefreshControl()) << control->Name();
  }
  EXPECT_TRUE(panel->DoRefreshControl());
  SetDoRefreshControl(f.Form, false);
  EXPECT_FALSE(inner->DoRefreshControl());
  EXPECT_FALSE(onFrame->DoRefreshControl());
  EXPECT_FALSE(panel->DoRefreshControl());
}

}  // namespace
}  // namespace kx
