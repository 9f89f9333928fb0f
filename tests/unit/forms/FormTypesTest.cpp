#include "kx/forms/FormTypes.h"

#include <gtest/gtest.h>

#include <string>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/Startup.h"

namespace kx {
namespace {

class TRegisteredForm : public TKXForm {
  KX_COMPONENT_CLASS(TRegisteredForm, TKXForm)
};

class TMainTestForm : public TKXForm {
  KX_COMPONENT_CLASS(TMainTestForm, TKXForm)
};

// Forgot its class record: it would be created as a TKXForm.
class TForgetfulForm : public TKXForm {};

class TNotAForm : public TComponent {
  KX_COMPONENT_CLASS(TNotAForm, TComponent)
};

KX_REGISTER_FORM(TRegisteredForm)

// A runtime of its own, with the application server but not the forms installed: the tests install them.
class FormTypesTest : public ::testing::Test {
 protected:
  void SetUp() override { Startup(); }

  TKXRuntime mRuntime;
  TKXRuntimeSlots::TScope mScope{mRuntime};
};

TEST_F(FormTypesTest, TheOneLineRegistrationFindsTheClassByName) {
  EXPECT_EQ(FindClass("tregisteredform"), &TRegisteredForm::ClassRecord());
  EXPECT_EQ(FindClass("RegisteredForm"), nullptr);
}

TEST_F(FormTypesTest, SetAsMainFormRegistersAndSelects) {
  SetAsMainForm<TMainTestForm>();
  EXPECT_EQ(gMainFormClass, &TMainTestForm::ClassRecord());
  EXPECT_EQ(FindClass("TMainTestForm"), &TMainTestForm::ClassRecord());
  TOwnedComponent<TComponent> form(gMainFormClass->Create(nullptr));
  EXPECT_NE(dynamic_cast<TMainTestForm*>(form.get()), nullptr);
}

TEST_F(FormTypesTest, AClassWithoutItsOwnRecordIsRefused) {
  try {
    RegisterClass<TForgetfulForm>();
    FAIL();
  } catch (const EKXException& e) {
    EXPECT_STREQ(e.what(), "TForgetfulForm must declare its class record with KX_COMPONENT_CLASS.");
  }
  EXPECT_EQ(FindClass("TKXForm"), nullptr);
}

TEST_F(FormTypesTest, AppFormClassesAreRegisteredDescendantsOfAFormType) {
  RegisterClass<TNotAForm>();
  EXPECT_EQ(FindAppFormClass("TRegisteredForm"), nullptr);
  InstallForms();
  EXPECT_EQ(gFindAppFormClass("TRegisteredForm"), &TRegisteredForm::ClassRecord());
  EXPECT_EQ(gFindAppFormClass("TNotAForm"), nullptr);
  EXPECT_EQ(gFindAppFormClass("TUnknown"), nullptr);
  EXPECT_EQ(GKXFormTypes().Count(), 1);
  RegisterKXFormType(TKXForm::ClassRecord());
  EXPECT_EQ(GKXFormTypes().Count(), 1);
}

TEST_F(FormTypesTest, SupportedFormTypesAreInstancesOfARegisteredType) {
  TOwnedComponent<TRegisteredForm> form(TComponent::Create<TRegisteredForm>(nullptr));
  EXPECT_FALSE(IsSupportedFormType(form.get()));
  RegisterKXFormType(TRegisteredForm::ClassRecord());
  EXPECT_TRUE(IsSupportedFormType(form.get()));
  TOwnedComponent<TMainTestForm> other(TComponent::Create<TMainTestForm>(nullptr));
  EXPECT_FALSE(IsSupportedFormType(other.get()));
  EXPECT_FALSE(IsSupportedFormType(nullptr));
}

}  // namespace
}  // namespace kx
