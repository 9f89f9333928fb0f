#include "kx/forms/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx/appserver/CallBacks.h"
#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "support/FormTestControls.h"
#include "support/TestForms.h"

namespace kx {
namespace {

using test::AddControl;
using test::TFlowButton;
using test::TFlowEdit;
using test::TFlowLabel;
using test::TFlowPanel;

// Records the form's state at each step of its life.
class TStateForm : public TKXForm {
  KX_COMPONENT_CLASS(TStateForm, TKXForm)

 public:
  static inline std::vector<TKXFormState> Seen;
  TFlowButton* Button1 = nullptr;

 protected:
  void BuildComponents() override {
    Seen.push_back(FormState());
    Button1 = AddControl<TFlowButton>(this, this, "Button1", 0, 0);
    Button1->OnClick = [this](TObject*) { Seen.push_back(FormState()); };
  }
  void DoCreate() override {
    Seen.push_back(FormState());
    TKXForm::DoCreate();
  }
};

class TPlainForm : public TKXForm {
  KX_COMPONENT_CLASS(TPlainForm, TKXForm)
};

TEST(TKXBaseForm, StateFollowsCreationExecutionAndRendering) {
  TStateForm::Seen.clear();
  TOwnedComponent<TStateForm> form(TComponent::Create<TStateForm>(nullptr));
  EXPECT_EQ(form->FormState(), fsCreated);
  form->OnAfterRender = [&form](TObject*) { TStateForm::Seen.push_back(form->FormState()); };
  TStringList params;
  params.Add("KX_Action=BUTTON1");
  form->ExecuteForm(params);
  TKXRenderStream stream(true, true);
  form->GenerateForm(stream);
  EXPECT_EQ(TStateForm::Seen, (std::vector<TKXFormState>{fsCreating, fsCreating, fsExecuting, fsRendering}));
  EXPECT_EQ(form->FormState(), fsCreated);
}

TEST(TKXBaseForm, NameIsTheClassNameWithoutTNumberedWhenTaken) {
  TOwnedComponent<TComponent> owner(TComponent::Create<TComponent>(nullptr));
  TComponent* first = TComponent::Create<TPlainForm>(owner.get());
  TComponent* second = TComponent::Create<TPlainForm>(owner.get());
  TComponent* third = TComponent::Create<TPlainForm>(owner.get());
  EXPECT_EQ(first->Name(), "PlainForm");
  EXPECT_EQ(second->Name(), "PlainForm_1");
  EXPECT_EQ(third->Name(), "PlainForm_2");
}

TEST(TKXBaseForm, FormIdOnlyWhenTheControllerChecksThem) {
  {
    TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
    EXPECT_EQ(form->FormId(), "");
  }
  test::TTempController controller([](TKXServerControllerBase& sc) { sc.SecurityOptions()->SetCheckFormId(true); });
  TOwnedComponent<TPlainForm> a(TComponent::Create<TPlainForm>(nullptr));
  TOwnedComponent<TPlainForm> b(TComponent::Create<TPlainForm>(nullptr));
  EXPECT_EQ(a->FormId().size(), 22u);
  EXPECT_EQ(a->FormId().find_first_not_of(kEncode64Alphabet), std::string::npos);
  EXPECT_NE(a->FormId(), b->FormId());
}

class FormIdCheckTest : public ::testing::Test {
 protected:
  void Post(const std::string& formId) {
    TStringList params;
    params.Add("KX_FormID_=" + formId);
    mForm->ExecuteForm(params);
  }
  static std::string Refusal(const std::function<void()>& action) {
    try {
      action();
    } catch (const EKXSecurityException& e) {
      return e.what();
    }
    return "accepted";
  }

  test::TTempController mController{[](TKXServerControllerBase& sc) { sc.SecurityOptions()->SetCheckFormId(true); }};
  TOwnedComponent<TPlainForm> mForm{TComponent::Create<TPlainForm>(nullptr)};
};

TEST_F(FormIdCheckTest, FirstPostAfterShowIsNotChecked) {
  mForm->Show();
  EXPECT_EQ(Refusal([this] { Post("wrong"); }), "accepted");
  EXPECT_EQ(Refusal([this] { Post("wrong"); }), "Invalid form Id");
  EXPECT_EQ(Refusal([this] { Post(mForm->FormId()); }), "accepted");
  // The comparison is case-sensitive.
  EXPECT_EQ(Refusal([this] { Post(UpperCase(mForm->FormId())); }), "Invalid form Id");
  mForm->Show();
  EXPECT_EQ(mForm->ExecCount(), 0);
  EXPECT_EQ(Refusal([this] { Post("wrong"); }), "accepted");
}

// F7: a false verdict stops the execution with or without a handler; the handler may change it either way.
TEST_F(FormIdCheckTest, HandlerDecidesTheVerdict) {
  Post(mForm->FormId());
  std::vector<bool> verdicts;
  mForm->OnCheckFormId = [&verdicts](TObject*, bool& valid) {
    verdicts.push_back(valid);
    valid = !valid;
  };
  EXPECT_EQ(Refusal([this] { Post("wrong"); }), "accepted");
  EXPECT_EQ(Refusal([this] { Post(mForm->FormId()); }), "Invalid form Id");
  EXPECT_EQ(verdicts, (std::vector<bool>{false, true}));
}

TEST_F(FormIdCheckTest, NothingPostedOrNoIdIsNotChecked) {
  Post(mForm->FormId());
  TStringList empty;
  EXPECT_EQ(Refusal([this, &empty] { mForm->ExecuteForm(empty); }), "accepted");
  mController->SecurityOptions()->SetCheckFormId(false);
  EXPECT_EQ(Refusal([this] { Post("wrong"); }), "accepted");
  // A form made while ids were not checked has none, and is never checked.
  TOwnedComponent<TPlainForm> withoutId(TComponent::Create<TPlainForm>(nullptr));
  mController->SecurityOptions()->SetCheckFormId(true);
  TStringList params;
  params.Add("KX_FormID_=wrong");
  withoutId->ExecuteForm(params);
  EXPECT_EQ(Refusal([&] { withoutId->ExecuteForm(params); }), "accepted");
}

TEST(TKXBaseForm, ResetTabOrdersNumbersEachLevelByPosition) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* right = AddControl<TFlowEdit>(form.get(), form.get(), "Right", 200, 10);
  auto* left = AddControl<TFlowEdit>(form.get(), form.get(), "Left", 10, 50);
  auto* panel = AddControl<TFlowPanel>(form.get(), form.get(), "Panel1", 10, 100, 300, 100);
  auto* lower = AddControl<TFlowEdit>(form.get(), panel, "Lower", 5, 60);
  auto* upper = AddControl<TFlowEdit>(form.get(), panel, "Upper", 50, 5);

  form->ResetTabOrders(form.get(), stXY, 0);
  EXPECT_EQ(left->StoredTabOrder(), 0);
  EXPECT_EQ(right->StoredTabOrder(), 1);
  EXPECT_EQ(lower->StoredTabOrder(), 1000);
  EXPECT_EQ(upper->StoredTabOrder(), 1001);
  EXPECT_LT(left->TabOrder(), right->TabOrder());

  form->ResetTabOrders(form.get(), stYX, 0);
  EXPECT_EQ(right->StoredTabOrder(), 0);
  EXPECT_EQ(left->StoredTabOrder(), 1);
  EXPECT_EQ(upper->StoredTabOrder(), 1000);
  EXPECT_EQ(lower->StoredTabOrder(), 1001);
}

TEST(TKXBaseForm, LocateComponentFollowsTheFormsControls) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* edit = AddControl<TFlowEdit>(form.get(), form.get(), "Edit1", 0, 0);
  EXPECT_EQ(form->LocateComponent("edit1"), edit);
  edit->Free();
  EXPECT_EQ(form->LocateComponent("EDIT1"), nullptr);
  auto* again = AddControl<TFlowEdit>(form.get(), form.get(), "Edit1", 0, 0);
  EXPECT_EQ(form->LocateComponent("EDIT1"), again);
}

TEST(TKXBaseForm, ZOrderNeedsAParentForm) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* a = AddControl<TFlowLabel>(form.get(), form.get(), "A", 0, 0);
  auto* b = AddControl<TFlowLabel>(form.get(), form.get(), "B", 0, 0);
  form->SetChildOrder(b, -5);
  EXPECT_EQ(form->Controls(0), b);
  SetZOrderPosition(b, 99);
  EXPECT_EQ(form->Controls(1), b);
  EXPECT_EQ(GetKXControlParentForm(a), form.get());

  TOwnedComponent<TFlowLabel> loose(TComponent::Create<TFlowLabel>(nullptr));
  loose->SetName("Loose");
  try {
    SetZOrderPosition(loose.get(), 0);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Control 'Loose' has no parent window");
  }
}

TEST(TKXForm, SameSizeLeavesTheFormAloneAndFramesHearOfResizes) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* frame = TComponent::Create<TFrame>(form.get());
  int resized = 0;
  frame->OnResize = [&resized](TObject*) { ++resized; };
  form->SetBounds(0, 0, 640, 480);
  EXPECT_EQ(resized, 1);
  form->SetBounds(10, 10, 640, 480);
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(resized, 1);
  form->SetBrowserSize(800, 600);
  EXPECT_EQ(form->Width(), 800);
  EXPECT_EQ(resized, 2);
}

// F9: a hidden field's value cannot end the CDATA section of the callback document.
TEST(TKXForm, HiddenFieldsOfTheUpdateAreCdataThatCannotBreakOut) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  form->HiddenFields().Add("A=x]]><script>");
  form->HiddenFields().Add("B=");
  const std::string xml = form->RenderAsync()->Render();
  EXPECT_EQ(xml,
            "\r\n<control id=\"PlainForm\" type=\"KXFORM\">\r\n"
            "<hiddenfield id=\"A\"><![CDATA[x]]]]><![CDATA[><script>]]></hiddenfield>\r\n"
            "<hiddenfield id=\"B\"><![CDATA[]]></hiddenfield></control>");
}

TEST(TKXForm, GenerateControlPositionsListsTheRefreshingVisibleControls) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* moved = AddControl<TFlowLabel>(form.get(), form.get(), "Moved", 1, 2, 30, 40);
  auto* hidden = AddControl<TFlowLabel>(form.get(), form.get(), "Hidden", 0, 0);
  AddControl<TFlowLabel>(form.get(), form.get(), "Still", 0, 0);
  kx::SetDoRefreshControl(form.get(), false);
  moved->Invalidate();
  hidden->SetVisible(false);
  EXPECT_EQ(form->GenerateControlPositions(),
            "\r\nvar lRect = new parent.Rect(1, 2, 30, 40);\r\nKXTop().MOVEDKXCL.SetRect(lRect);\r\n"
            "KXTop().MOVEDKXCL.Rect = KXTop().CopyRect(lRect);\r\n");
}

TEST(TKXBaseForm, ShowHideAndReleaseWorkOnTheSession) {
  test::TSessionFixture fixture("Mozilla/5.0 (X11; Linux x86_64) Chrome/120.0 Safari/537.36");
  auto* main = TComponent::Create<TPlainForm>(fixture.Session);
  auto* other = TComponent::Create<TPlainForm>(fixture.Session);
  int shown = 0;
  other->OnShow = [&shown](TObject*) { ++shown; };
  EXPECT_EQ(main->WebApplication(), fixture.Session);
  main->Show();
  other->Show();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(fixture.Session->GetActiveForm(), other);
  other->Hide();
  EXPECT_EQ(fixture.Session->GetActiveForm(), main);
  main->Release();
  EXPECT_TRUE(main->Released());
  EXPECT_EQ(fixture.Session->GetActiveFormCount(), 0);
  EXPECT_EQ(fixture.Session->FindFormByName("PlainForm"), main);  // freed after the request
}

}  // namespace
}  // namespace kx
