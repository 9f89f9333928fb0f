// A program whose handlers fail: BUTTON1's click and BUTTON2's callback raise. tests/integration/ErrorLog.test.mjs
// runs it as an operator would and reads its standard error.
#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/hosts/RunStandAlone.h"

using namespace kx;

class TFailingController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(TFailingController, TKXServerControllerBase)

 protected:
  void InitDesignTime() override {
    TKXServerControllerBase::InitDesignTime();
    SetAppName("Failing");
  }
};

class TFailingForm : public TKXAppForm {
  KX_COMPONENT_CLASS(TFailingForm, TKXAppForm)

 protected:
  void BuildComponents() override {
    auto* submit = Create<TKXButton>(this);
    submit->SetName("BUTTON1");
    submit->SetParent(this);
    submit->OnClick = [](TObject*) { throw EConvertError("The click handler failed on purpose."); };
    auto* callback = Create<TKXButton>(this);
    callback->SetName("BUTTON2");
    callback->SetParent(this);
    callback->OnAsyncClick = [](TObject*, TStrings&) { throw EConvertError("The callback failed\non purpose."); };
  }
};

int main(int argc, char** argv) { return RunStandAlone<TFailingController, TFailingForm>(argc, argv); }
