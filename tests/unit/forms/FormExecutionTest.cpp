#include "kx/forms/FormExecution.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "kx/forms/Forms.h"
#include "kx/foundation/KXExceptions.h"
#include "support/FormTestControls.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowButton;
using test::TFlowEdit;
using test::TFlowLabel;
using test::TFlowPanel;

std::vector<std::string> gEvents;

// An edit whose SetValue raises for the value "bad" (a fault) and "typo" (a user's mistake).
class TPickyEdit : public TFlowEdit {
  KX_COMPONENT_CLASS(TPickyEdit, TFlowEdit)

 public:
  void SetValue(const std::string& value) override {
    if (value == "bad") throw Exception("bad value");
    if (value == "typo") throw EConvertError("'typo' is not a valid integer value");
    TFlowEdit::SetValue(value);
  }
};

// A check box in spirit: it reports whether the posted value changed it and fires its change event afterwards.
class TToggle : public TFlowEdit, public virtual IKXExInputControl {
  KX_COMPONENT_CLASS(TToggle, TFlowEdit)

 public:
  using TFlowEdit::SetValue;
  void SetValue(const std::string& value, bool& changed) override {
    gEvents.push_back("set " + Name());
    changed = value != Text();
    TFlowEdit::SetValue(value);
  }
  void ValueChanged() override { gEvents.push_back("changed " + Name()); }
};

// A control posting under its name and its name + "_X", each taken apart.
class TMultiEdit : public TFlowEdit, public virtual IKXMultiInputControl, public virtual IKXUploadControl {
  KX_COMPONENT_CLASS(TMultiEdit, TFlowEdit)

 public:
  using TFlowEdit::SetValue;
  std::vector<std::string> Taken;
  int Uploads = 0;

  void GetInputControlNames(TStrings& list) override {
    list.Clear();
    list.Add(HTMLName());
    list.Add(HTMLName() + "_X");
  }
  void SetValue(const std::string& name, const std::string& value) override { Taken.push_back(name + "=" + value); }
  void NotifyUploadCompleted() override { ++Uploads; }
};

class TExecForm : public TKXForm {
  KX_COMPONENT_CLASS(TExecForm, TKXForm)

 public:
  TFlowEdit* Edit1 = nullptr;
  TFlowButton* Button1 = nullptr;
  TFlowLabel* Label1 = nullptr;
  int Clicks = 0;
  int Defaults = 0;

 protected:
  void BuildComponents() override {
    Edit1 = AddControl<TFlowEdit>(this, this, "Edit1", 0, 0);
    Button1 = AddControl<TFlowButton>(this, this, "Button1", 0, 30);
    Label1 = AddControl<TFlowLabel>(this, this, "Label1", 0, 60);
    Button1->OnClick = [this](TObject*) {
      ++Clicks;
      gEvents.push_back("submit");
    };
    OnDefaultAction = [this](TObject*) { ++Defaults; };
    HiddenFields().Add("Secret=old");
  }
};

class TKXFormExecutionTest : public ::testing::Test {
 protected:
  void SetUp() override { gEvents.clear(); }

  void Post(std::initializer_list<std::string> lines) {
    TStringList params;
    for (const std::string& line : lines) params.Add(line);
    mForm->ExecuteForm(params);
  }
  std::string Error(std::initializer_list<std::string> lines) {
    try {
      Post(lines);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "none";
  }

  TOwnedComponent<TExecForm> mForm{TComponent::Create<TExecForm>(nullptr)};
};

TEST_F(TKXFormExecutionTest, WithoutActionNothingIsApplied) {
  Post({"EDIT1=x", "Secret=new"});
  EXPECT_EQ(mForm->Edit1->Text(), "");
  EXPECT_EQ(mForm->HiddenFields().Values("Secret"), "old");
  EXPECT_EQ(mForm->Clicks, 0);
}

TEST_F(TKXFormExecutionTest, OnlyAnActionParamAppliesValuesButSubmitsNothing) {
  Post({"EDIT1=x", "KX_ActionParam=p"});
  EXPECT_EQ(mForm->Edit1->Text(), "x");
  EXPECT_EQ(mForm->Clicks, 0);
  EXPECT_EQ(mForm->Defaults, 0);
}

TEST_F(TKXFormExecutionTest, SubmitRunsTheActionAndTakesTheFieldsOut) {
  Post({"EDIT1=x", "KX_Action=button1", "KX_ActionParam=p", "Secret=new", "Other=1"});
  EXPECT_EQ(mForm->Clicks, 1);
  EXPECT_EQ(mForm->Button1->GetSubmitParam(), "p");
  EXPECT_EQ(mForm->HiddenFields().Values("Secret"), "new");
  EXPECT_EQ(mForm->Params().Text(), "EDIT1=x\r\nOther=1\r\n");
}

TEST_F(TKXFormExecutionTest, DefaultParamInAnyCaseRunsTheDefaultActionAfterTheSubmit) {
  Post({"KX_Action=BUTTON1", "KX_ActionParam=Default"});
  EXPECT_EQ(mForm->Clicks, 1);
  EXPECT_EQ(mForm->Defaults, 1);
}

// The page's FormDefaultSubmit posts an empty action with "default" when the
// wrapper holds no submit element: that is the default action.
TEST_F(TKXFormExecutionTest, DefaultParamWithoutActionRunsTheDefaultAction) {
  Post({"EDIT1=typed", "KX_Action=", "KX_ActionParam=default"});
  EXPECT_EQ(mForm->Edit1->Text(), "typed");
  EXPECT_EQ(mForm->Clicks, 0);
  EXPECT_EQ(mForm->Defaults, 1);
}

TEST_F(TKXFormExecutionTest, CallbackAppliesValuesAndNeverTheDefaultAction) {
  Post({"EDIT1=x", "callback=EDIT1.DoOnAsyncChange", "KX_ActionParam=default"});
  EXPECT_EQ(mForm->Edit1->Text(), "x");
  EXPECT_EQ(mForm->Defaults, 0);
  EXPECT_EQ(mForm->Params().Values("callback"), "EDIT1.DoOnAsyncChange");
}

TEST_F(TKXFormExecutionTest, DisabledButtonDoesNotSubmitButTheDefaultActionFires) {
  mForm->Button1->SetEnabled(false);
  Post({"KX_Action=BUTTON1", "KX_ActionParam=default"});
  EXPECT_EQ(mForm->Clicks, 0);
  EXPECT_EQ(mForm->Defaults, 1);
}

TEST_F(TKXFormExecutionTest, AbortEndsTheHandlerSilently) {
  mForm->Button1->OnClick = [](TObject*) { Abort(); };
  EXPECT_EQ(Error({"KX_Action=BUTTON1", "KX_ActionParam=default"}), "none");
  EXPECT_EQ(mForm->Defaults, 1);
  mForm->Button1->OnClick = [](TObject*) { throw Exception("handler failed"); };
  EXPECT_EQ(Error({"KX_Action=BUTTON1", "KX_ActionParam=default"}), "handler failed");
  EXPECT_EQ(mForm->Defaults, 1);
}

TEST_F(TKXFormExecutionTest, UnknownOrNonSubmittingActionsRaiseAfterTheValues) {
  EXPECT_EQ(Error({"EDIT1=first", "KX_Action=NOSUCH"}), "Cannot find submit component.");
  EXPECT_EQ(mForm->Edit1->Text(), "first");
  EXPECT_EQ(Error({"KX_Action=LABEL1"}), "Submit control (LABEL1) does not have a handler.");
}

TEST_F(TKXFormExecutionTest, FailingControlsAreReportedTogether) {
  auto* bad1 = AddControl<TPickyEdit>(mForm.get(), mForm.get(), "Bad1", 0, 90);
  AddControl<TPickyEdit>(mForm.get(), mForm.get(), "Bad2", 0, 120);
  bad1->SetFriendlyName("First field");
  EXPECT_EQ(Error({"BAD1=bad", "EDIT1=kept", "BAD2=bad", "KX_ActionParam=x"}),
            "The following exceptions occured\r\n  First field: bad value\r\n  Bad2: bad value");
  EXPECT_EQ(mForm->Edit1->Text(), "kept");
  EXPECT_EQ(Error({"BAD2=bad", "KX_Action=BUTTON1"}), "The following exception occured\r\n  Bad2: bad value");
  EXPECT_EQ(mForm->Clicks, 0);
}

// The collected failures are the user's (a warning in the log) only when each one is.
TEST_F(TKXFormExecutionTest, FailuresAreClientCausedOnlyWhenEachOneIs) {
  AddControl<TPickyEdit>(mForm.get(), mForm.get(), "Bad1", 0, 90);
  AddControl<TPickyEdit>(mForm.get(), mForm.get(), "Bad2", 0, 120);
  const struct {
    std::initializer_list<std::string> Lines;
    bool ClientCaused;
  } cases[] = {
      {{"BAD1=typo", "KX_Action=BUTTON1"}, true},
      {{"BAD1=typo", "BAD2=typo", "KX_Action=BUTTON1"}, true},
      {{"BAD1=typo", "BAD2=bad", "KX_Action=BUTTON1"}, false},
      {{"BAD2=bad", "KX_Action=BUTTON1"}, false},
      // An action the page does not offer was posted by hand (it wrote a report with its stack each time).
      {{"KX_Action=NOSUCH"}, true},
      {{"KX_Action=LABEL1"}, true},
  };
  for (const auto& c : cases) {
    try {
      Post(c.Lines);
      ADD_FAILURE() << "no failure for " << *c.Lines.begin();
    } catch (const EKXException& e) {
      EXPECT_EQ(IsClientCaused(e), c.ClientCaused) << e.what();
    }
  }
}

// A browser posts no value for an invisible or disabled control, so a value
// posted for one is forged and ignored (the disabled case was taken).
TEST_F(TKXFormExecutionTest, InvisibleDisabledAndNonEditableControlsKeepTheirValue) {
  struct TCase {
    const char* Name;
    void (*Set)(TFlowEdit&);
  };
  const TCase cases[] = {
      {"invisible", [](TFlowEdit& edit) { edit.SetVisible(false); }},
      {"disabled", [](TFlowEdit& edit) { edit.SetEnabled(false); }},
      {"not editable", [](TFlowEdit& edit) { edit.SetEditable(false); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* edit = AddControl<TFlowEdit>(mForm.get(), mForm.get(), std::string("E") + std::to_string(&c - cases), 0, 90);
    c.Set(*edit);
    Post({edit->Name() + "=forged", "KX_Action=BUTTON1"});
    EXPECT_EQ(edit->Text(), "");
  }
  EXPECT_EQ(mForm->Clicks, 3);
}

// Issue 31, fault 11: only the control's own flags were read, so a control inside a hidden or disabled container
// took a forged value.
TEST_F(TKXFormExecutionTest, ControlsInAHiddenOrDisabledContainerKeepTheirValue) {
  struct TCase {
    const char* Name;
    void (*Set)(TFlowPanel& outer, TFlowPanel& inner);
    const char* Taken;
  };
  const TCase cases[] = {
      {"shown and enabled", [](TFlowPanel&, TFlowPanel&) {}, "posted"},
      {"container hidden", [](TFlowPanel&, TFlowPanel& inner) { inner.SetVisible(false); }, ""},
      {"container disabled", [](TFlowPanel&, TFlowPanel& inner) { inner.SetEnabled(false); }, ""},
      {"outer container hidden", [](TFlowPanel& outer, TFlowPanel&) { outer.SetVisible(false); }, ""},
      {"outer container disabled", [](TFlowPanel& outer, TFlowPanel&) { outer.SetEnabled(false); }, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string suffix = std::to_string(&c - cases);
    auto* outer = AddControl<TFlowPanel>(mForm.get(), mForm.get(), "Outer" + suffix, 0, 90, 300, 200);
    auto* inner = AddControl<TFlowPanel>(mForm.get(), outer, "Inner" + suffix, 0, 0, 200, 100);
    auto* edit = AddControl<TFlowEdit>(mForm.get(), inner, "Nested" + suffix, 0, 0);
    c.Set(*outer, *inner);
    Post({edit->Name() + "=posted", "KX_Action=BUTTON1"});
    EXPECT_EQ(edit->Text(), c.Taken);
  }
}

TEST_F(TKXFormExecutionTest, ChangeEventsFollowAllValuesAndPrecedeTheSubmit) {
  AddControl<TToggle>(mForm.get(), mForm.get(), "A", 0, 90);
  AddControl<TToggle>(mForm.get(), mForm.get(), "B", 0, 120);
  AddControl<TToggle>(mForm.get(), mForm.get(), "C", 0, 150);
  Post({"A=on", "B=on", "C=", "KX_Action=BUTTON1"});
  EXPECT_EQ(gEvents, (std::vector<std::string>{"set A", "set B", "set C", "changed A", "changed B", "submit"}));
}

TEST_F(TKXFormExecutionTest, FormNameAndClassNeverReachControls) {
  auto* named = AddControl<TFlowEdit>(mForm.get(), mForm.get(), "KX_FormName", 0, 90);
  Post({"KX_FormName=x", "KX_FormClass=y", "KX_ActionParam=p"});
  EXPECT_EQ(named->Text(), "");
}

TEST_F(TKXFormExecutionTest, MultiInputControlTakesEachNameAndUploadsAreTold) {
  auto* multi = AddControl<TMultiEdit>(mForm.get(), mForm.get(), "M", 0, 90);
  Post({"M=1", "M_X=2", "M=3", "KX_ActionParam=p"});
  EXPECT_EQ(multi->Taken, (std::vector<std::string>{"M=1,3", "M_X=2"}));
  EXPECT_EQ(multi->Uploads, 2);
  // A control that is not editable takes no input at all.
  multi->SetEditable(false);
  Post({"M=4", "KX_ActionParam=p"});
  EXPECT_EQ(multi->Taken.size(), 2u);
  EXPECT_EQ(multi->Uploads, 2);
  // Any other control takes only its first line.
  auto* plain = AddControl<TFlowEdit>(mForm.get(), mForm.get(), "P", 0, 120);
  Post({"P=first", "P=second", "KX_ActionParam=p"});
  EXPECT_EQ(plain->Text(), "first,second");
}

// A side that is no number from 0 to 100,000 keeps the form's current side
// (an unbounded side was taken).
TEST_F(TKXFormExecutionTest, WindowSizeNeedsBothSidesAndKeepsWhatIsNoSize) {
  struct TCase {
    std::vector<std::string> Posted;
    int Width, Height;
  };
  const TCase cases[] = {
      {{"KX_width=640"}, 300, 200},
      {{"KX_width=640", "KX_height=480"}, 640, 480},
      {{"KX_width=wide", "KX_height=500"}, 300, 500},
      {{"KX_width=99999999", "KX_height=480"}, 300, 480},
      {{"KX_width=100000", "KX_height=100001"}, 100000, 200},
      {{"KX_width=0", "KX_height=-1"}, 0, 200},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Posted.back());
    mForm->SetBounds(0, 0, 300, 200);
    TStringList params;
    for (const std::string& line : c.Posted) params.Add(line);
    mForm->ExecuteForm(params);
    EXPECT_EQ(mForm->Width(), c.Width);
    EXPECT_EQ(mForm->Height(), c.Height);
    EXPECT_EQ(mForm->Params().Count(), c.Posted.size() == 2 ? 0 : 1);
  }
}

TEST(TKXFormExecution, RepeatedFieldsAreJoined) {
  struct TCase {
    std::vector<std::string> In;
    std::string Out;
    bool CaseSensitive = false;
  };
  // Issue 44: many fields, each name posted twice (the second time in capitals, once with an empty first value).
  TCase many;
  for (int i = 0; i < 3000; ++i) many.In.push_back("f" + std::to_string(i) + "=" + (i % 3 ? std::to_string(i) : ""));
  for (int i = 0; i < 3000; ++i) many.In.push_back("F" + std::to_string(i) + "=x");
  for (int i = 0; i < 3000; ++i)
    many.Out += "f" + std::to_string(i) + "=" + (i % 3 ? std::to_string(i) + ",x" : "") + "\r\n";
  for (int i = 0; i < 3000; i += 3) many.Out += "F" + std::to_string(i) + "=x\r\n";
  const TCase cases[] = {
      {{"a=1", "a=2"}, "a=1,2\r\n"},
      {{"a=1", "b=x", "A=2", "a=3"}, "a=1,2,3\r\nb=x\r\n"},
      {{"a=", "a=2"}, "a=\r\na=2\r\n"},
      {{"a=1", "a="}, "a=1,\r\n"},
      {{"plain", "plain"}, "plain\r\nplain\r\n"},
      {{"=1", "=2", "a=1=2", "a=3"}, "=1\r\n=2\r\na=1=2,3\r\n"},
      {{"a=1", "A=2", "a=3", "A=", "b=", "B=4"}, "a=1,3\r\nA=2,\r\nb=\r\nB=4\r\n", true},
      many,
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.In.front());
    TStringList params;
    params.SetCaseSensitive(c.CaseSensitive);
    for (const std::string& line : c.In) params.Add(line);
    TKXFormExecution::JoinRepeatedFields(params);
    EXPECT_EQ(params.Text(), c.Out);
  }
}

}  // namespace
}  // namespace kx
