#include "kx/controls/appform/AppForm.h"

#include <filesystem>
#include <system_error>

#include "kx/controls/buttons/Buttons.h"
#include "kx/controls/labels/Labels.h"
#include "kx/forms/TemplateProcessor.h"

namespace kx {

// ---------------------------------------------------------------------------
// TKXAppForm

bool TKXAppForm::ClassRequestAuth(const THttpRequest&, std::string&) {
  return TKXControlSession::RestrictsAll();
}

const TComponentClass* TKXAppForm::MessageForm() const { return &TKXShowMessage::ClassRecord(); }

void TKXAppForm::DoURLRequest(THttpRequest& request) {
  if (OnURLRequest) OnURLRequest(this, request);
}

void TKXAppForm::InitControl() {
  TKXForm::InitControl();
  // A release asked for before the form was set up (from a derived
  // constructor, before the form had its session) is carried out now.
  if (Released()) Release();
  SetBounds(Left(), Top(), 300, 200);
}

void TKXAppForm::DoGenerateForm(TKXRenderStream& stream) {
  if (TKXApplication* application = WebApplication()) SetFormAction(application->FormAction());
  TKXForm::DoGenerateForm(stream);
}

// ---------------------------------------------------------------------------
// TKXShowMessage

void TKXShowMessage::InitializeAndShow(const std::string& message, const std::string& templateName,
                                       TKXShowMessageType kind) {
  mText = TComponent::Create<TKXText>(this);
  mText->SetName("textMessage");
  mText->SetBounds(8, 8, 337, 121);
  mText->Lines().SetText(message);
  mText->SetUseFrame(kind == smSameWindowFrame);
  mText->SetParent(this);

  mButton = TComponent::Create<TKXButton>(this);
  mButton->SetBounds(136, 136, 75, 25);
  mButton->SetCaption("Ok");
  mButton->SetName("butnOk");
  mButton->OnClick = [this](TObject* sender) { ShowMessageOnClick(sender); };
  mButton->SetParent(this);

  const std::string templatePath = templateName.empty() ? std::string() : TKXControlSession::TemplatePath(templateName);
  if (!templatePath.empty()) {
    std::error_code error;
    if (std::filesystem::is_regular_file(templatePath, error)) {
      auto* processor = TComponent::Create<TKXTemplateProcessorHTML>(this);
      processor->Templates().SetDefault(templateName);
      SetLayoutMgr(processor);
    }
  }

  Show();
}

void TKXShowMessage::ShowMessageOnClick(TObject*) {
  TKXApplication* application = WebApplication();
  if (application == nullptr) return;
  // Any message form, the author's own kinds included, goes.
  if (auto* active = Supports<TKXBaseForm>(application->GetActiveForm());
      active != nullptr && active->InheritsFrom(TKXShowMessage::ClassRecord()))
    active->Release();
  if (application->GetActiveForm() != nullptr) return;
  if (gMainFormClass == nullptr || gMainFormClass->Create == nullptr) throw Exception("No main form is defined.");
  IKXForm* mainForm = Supports<IKXForm>(gMainFormClass->Create(application));
  if (mainForm == nullptr) throw Exception("No main form is defined.");
  mainForm->ForceAlign();
  mainForm->Show();
}

// ---------------------------------------------------------------------------
// Start-up

namespace {

bool AppFormClassRequestAuth(const TComponentClass& formClass, const THttpRequest& request, std::string& realm) {
  // Other forms keep the form base's answer: authenticate whenever authentication is active.
  if (!formClass.InheritsFrom(TKXAppForm::ClassRecord())) return true;
  return TKXAppForm::ClassRequestAuth(request, realm);
}

void InstallAppFormSeams() {
  gAppFormClassRequestAuth = &AppFormClassRequestAuth;
  gAppFormComponent = [](TKXAppForm* form) -> TComponent* { return form; };
}

constexpr TKXControlFamily::TClassRecord kAppFormTypes[] = {&TKXAppForm::ClassRecord};

}  // namespace

const TKXControlFamily& AppFormFamily() {
  static const TKXControlFamily family{.Name = "appform", .FormTypes = kAppFormTypes, .Install = &InstallAppFormSeams};
  return family;
}

void InstallAppForms() { InstallControlFamily(AppFormFamily()); }

}  // namespace kx
