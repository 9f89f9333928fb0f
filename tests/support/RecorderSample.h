// The sample application whose sessions the recorder tests record and replay: a main form with an edit, a button
// that greets with the edit's text, and a label; and the set-up of a runtime that serves it in test mode.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "kx/appserver/Runtime.h"
#include "kx/controls/ControlFamily.h"
#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/TestRecorder.h"
#include "support/FormTestControls.h"

namespace kx::test {

// What the recording types into the edit: a quote, a backslash, a tab, a character the octal escape must not
// swallow the next digit of, and non-ASCII letters.
inline constexpr char kRecordedValue[] = "it's \"quoted\" \\ back\tslash \x01" "7 caf\xC3\xA9 ?\?/";

// The greeting the sample's button wrote last, in any session of the process.
inline std::string gLastGreeting;
inline std::string& LastGreeting() { return gLastGreeting; }
inline std::string ExpectedGreeting() { return std::string("Hello ") + kRecordedValue; }

class TRecorderSampleForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TRecorderSampleForm, TKXAppForm)

 public:
  TKXEdit* Edit1 = nullptr;
  TKXButton* Button1 = nullptr;
  TKXLabel* Label1 = nullptr;

 protected:
  void BuildComponents() override {
    Edit1 = AddControl<TKXEdit>(this, this, "Edit1", 10, 10, 200, 21);
    Button1 = AddControl<TKXButton>(this, this, "Button1", 10, 40, 75, 25);
    Label1 = AddControl<TKXLabel>(this, this, "Label1", 10, 70, 300, 21);
    Button1->OnClick = [this](TObject*) { Label1->SetCaption(LastGreeting() = "Hello " + Edit1->Text()); };
  }
};

// A runtime made current on the calling thread with every layer, a controller over a temporary folder, the sample
// as main form and test mode on.
class TRecorderSampleApp {
 public:
  TRecorderSampleApp() : mRuntime(std::make_unique<TKXRuntime>()) {
    mScope.emplace(*mRuntime);
    InstallLayers();
    SetAsMainForm<TRecorderSampleForm>();
    mController.emplace();
    StartTestMode();
  }
  ~TRecorderSampleApp() {
    mController.reset();
    mScope.reset();
  }
  TRecorderSampleApp(const TRecorderSampleApp&) = delete;
  TRecorderSampleApp& operator=(const TRecorderSampleApp&) = delete;

 private:
  std::unique_ptr<TKXRuntime> mRuntime;
  std::optional<TKXRuntimeSlots::TScope> mScope;
  std::optional<TTempController> mController;
};

}  // namespace kx::test
