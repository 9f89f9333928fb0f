// Application forms: TKXAppForm is the form authors derive from. It can be the
// session's main form, be published at a URL as a content handler, asks for
// HTTP authentication when the controller restricts every request, and posts
// to the action the session gives it. TKXShowMessage is the framework's own
// message form, built in code: a text and an "Ok" button that goes back to the
// form it covered (or to a new main form).
//   class TMainForm : public TKXAppForm {
//     KX_COMPONENT_CLASS(TMainForm, TKXAppForm)
//    protected:
//     void BuildComponents() override { ... }
//   };
//   KX_REGISTER_MAIN_FORM(TMainForm)
// Builds on forms/Forms.h, forms/FormTypes.h, controls/Buttons.h and controls/Labels.h.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/appserver/ContentHandlers.h"
#include "kx/forms/FormTypes.h"
#include "kx/forms/Forms.h"
#include "kx/platform/CompactFunction.h"

namespace kx {

class TKXButton;
class TKXText;

// Called with the form and the request that reached it through its URL.
using TOnURLRequest = std::function<void(TObject* sender, THttpRequest& request)>;

class TKXAppForm : public TKXForm, public virtual IKXAppForm {
  KX_COMPONENT_CLASS(TKXAppForm, TKXForm)

 public:
  // Fired by DoURLRequest; one pointer while empty.
  TCompactFunction<void(TObject* sender, THttpRequest& request)> OnURLRequest;

  // Publishes the form class T at path + document: a request there shows a form
  // of T (the session's own one when it has it), no prior page needed.
  template <class T>
  static void SetURL(const std::string& path, const std::string& document) {
    static_assert(std::is_base_of_v<TKXAppForm, T>, "only application forms can be published at a URL");
    THandlers::Add(path, document, std::make_unique<TContentForm>(&RegisterClass<T>()));
  }
  // Whether a request must authenticate before an application form answers:
  // the controller has an authenticator whose policy is apRestrictAll.
  static bool ClassRequestAuth(const THttpRequest& request, std::string& realm);

  // ---- IKXForm
  bool IsAppForm() const override { return true; }
  bool RequestAuth(const THttpRequest& request, std::string& realm) override {
    return ClassRequestAuth(request, realm);
  }
  // TKXShowMessage.
  const TComponentClass* MessageForm() const override;

  // ---- IKXAppForm
  // Calls OnURLRequest.
  void DoURLRequest(THttpRequest& request) override;

 protected:
  // As a form; a release requested before (Released) is carried out again, now
  // that the form has its session; then 300 x 200 at the same place.
  void InitControl() override;
  // The form posts to the session's current form action, then the page is generated.
  void DoGenerateForm(TKXRenderStream& stream) override;
};

// The message form of ShowMessage's same-window kinds. The session creates it
// by its class and calls InitializeAndShow.
class TKXShowMessage : public TKXAppForm, public virtual IKXMessageForm {
  KX_COMPONENT_CLASS(TKXShowMessage, TKXAppForm)

 public:
  // Places the text "textMessage" (framed for smSameWindowFrame) and the button
  // "butnOk" on the form and shows it. When templateName names a file in the
  // controller's TemplateDir, a template processor with that default template
  // lays the form out; otherwise the default layout does.
  void InitializeAndShow(const std::string& message, const std::string& templateName,
                         TKXShowMessageType kind) override;
  // "Ok": releases the session's active form when it is a message form; when no
  // form is left, a new main form is shown. Raises Exception "No main form is
  // defined." when there is none to show.
  void ShowMessageOnClick(TObject* sender);

  // The message and the button once InitializeAndShow has placed them; null before.
  TKXText* TextMessage() const { return mText; }
  TKXButton* ButnOk() const { return mButton; }

 private:
  TKXText* mText = nullptr;
  TKXButton* mButton = nullptr;
};

// Registers TKXAppForm as a form type and plugs application forms into the
// session layer (the class-level authentication check of form handlers, the
// main form the controller's OnGetMainForm hands over). Part of the start-up
// sequence, after Startup() and InstallForms().
void InstallAppForms();

// The family's registration (the application form), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& AppFormFamily();

}  // namespace kx
