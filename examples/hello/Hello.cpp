// Hello world: a form with an edit, a button and a label; the button greets the name typed in the edit.
//   hello [--port N] [--bind ADDR] [--session-timeout MINUTES]   then open the address it prints.
#include "kx/kx.h"

using namespace kx;

class THelloController : public TKXServerControllerBase {
  KX_COMPONENT_CLASS(THelloController, TKXServerControllerBase)

 protected:
  void InitDesignTime() override {
    TKXServerControllerBase::InitDesignTime();
    SetAppName("Hello");
    SetPort(8080);  // --port replaces it
  }
};

class THelloForm : public TKXAppForm {
  KX_COMPONENT_CLASS(THelloForm, TKXAppForm)

 protected:
  void BuildComponents() override {
    SetTitle("Hello");
    auto place = [this](auto* control, int left, int top, int width) {
      control->SetParent(this);
      control->SetBounds(left, top, width, 25);
      return control;
    };
    TKXEdit* name = place(Create<TKXEdit>(this), 16, 16, 200);
    TKXButton* greet = place(Create<TKXButton>(this), 224, 16, 80);
    TKXLabel* greeting = place(Create<TKXLabel>(this), 16, 52, 288);
    greet->SetCaption("Greet");
    greet->OnClick = [=](TObject*) { greeting->SetCaption("Hello, " + name->Text()); };
  }
};

int main(int argc, char** argv) { return RunStandAlone<THelloController, THelloForm>(argc, argv); }
