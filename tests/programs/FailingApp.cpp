// A program whose handlers fail: BUTTON1's click and BUTTON2's callback raise (faults of the application), BUTTON3's
// click stores the edit DUE into a date field (a user's mistake when it is no date).
// tests/integration/ErrorLog.test.mjs runs it as an operator would and reads its standard error.
#include "kx/controls/appform/AppForm.h"
#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/edits/Edits.h"
#include "kx/data/MemDataSet.h"
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
    submit->OnClick = [](TObject*) { throw Exception("The click handler failed on purpose."); };
    auto* callback = Create<TKXButton>(this);
    callback->SetName("BUTTON2");
    callback->SetParent(this);
    callback->OnAsyncClick = [](TObject*, TStrings&) { throw EKXException("The callback failed\non purpose."); };
    auto* due = Create<TKXEdit>(this);
    due->SetName("DUE");
    due->SetParent(this);
    auto* dates = Create<TMemDataSet>(this);
    dates->AddField("due", ftDate);
    dates->Open();
    auto* store = Create<TKXButton>(this);
    store->SetName("BUTTON3");
    store->SetParent(this);
    store->OnClick = [due, dates](TObject*) {
      dates->Append();
      dates->FieldByName("due").SetText(due->Text());
      dates->Post();
    };
  }
};

int main(int argc, char** argv) { return RunStandAlone<TFailingController, TFailingForm>(argc, argv); }
