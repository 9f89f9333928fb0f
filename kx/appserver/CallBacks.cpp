#include "kx/appserver/CallBacks.h"

#include <memory>
#include <utility>

#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/Markup.h"
#include "kx/platform/Utf8.h"

namespace kx {

namespace {

constexpr char kXMLDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// text as one CDATA section.
std::string CDATASection(std::string_view text) {
  return "<![CDATA[" + EscapeCDATAContent(XMLCharacters(text)) + "]]>";
}

TKXXMLTag* AddChild(TKXXMLTag& parent, const std::string& name) {
  return static_cast<TKXXMLTag*>(parent.Contents()->AddTagAsObject(TKXXMLTag::Create(name), false));
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXCallBackResponse

TKXCallBackResponse::TDocument::TDocument() : Response(TKXXMLTag::Create("response")) {
  Update = AddChild(*Response, "update");
  Execute = AddChild(*Response, "execute");
  Rewrite = AddChild(*Response, "rewrite");
  Submit = AddChild(*Response, "submit");
  Track = AddChild(*Response, "trackid");
}

TKXCallBackResponse::TKXCallBackResponse(TKXApplication* owner) : FOwner(owner) {}

TKXCallBackResponse::~TKXCallBackResponse() = default;

TKXCallBackResponse::TDocument& TKXCallBackResponse::Document() {
  if (FDocument == nullptr) FDocument = std::make_unique<TDocument>();
  return *FDocument;
}

void TKXCallBackResponse::Initialize() { FDocument.reset(); }

void TKXCallBackResponse::AddJavaScriptToExecute(const std::string& script) {
  TKXXMLTag* literal = AddChild(*Document().Execute, "literal");
  literal->Contents()->AddText(EscapeXMLText(script), false);
}

void TKXCallBackResponse::AddJavaScriptToExecuteAsCDATA(const std::string& script) {
  if (script.empty()) return;
  TKXXMLTag* literal = AddChild(*Document().Execute, "literal");
  literal->Contents()->AddText(CDATASection(script), false);
}

void TKXCallBackResponse::AddTagToExecute(TKXElementPtr<TKXMarkupLanguageTag> tag) {
  Document().Execute->Contents()->AddTagAsObject(std::move(tag), false);
}

void TKXCallBackResponse::AddTagToUpdate(TKXRenderStream& stream) {
  Document().Update->Contents()->AddText(XMLCharacters(stream.GetAsString()), false);
}

void TKXCallBackResponse::AddTagToUpdate(const std::string& text) {
  Document().Update->Contents()->AddText(XMLCharacters(text), false);
}

void TKXCallBackResponse::AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag> tag) {
  Document().Update->Contents()->AddTagAsObject(std::move(tag), false);
}

void TKXCallBackResponse::AddTagToRewrite(const std::string& page) {
  Document().Rewrite->Contents()->AddText(CDATASection(page), false);
}

void TKXCallBackResponse::SetSubmitURL(const std::string& url) {
  Document().Submit->Contents()->AddText(EscapeXMLText(url), false);
}

void TKXCallBackResponse::SetTrackNumber(const std::string& track) {
  Document().Track->Contents()->AddText(EscapeXMLText(track), false);
}

void TKXCallBackResponse::StreamResponse(TKXRenderStream& stream) {
  stream.Write(kXMLDeclaration);
  Document().Response->Render(stream);
}

void TKXCallBackResponse::DoFullSubmit() { throw Exception("Operation not implemented"); }

// ---------------------------------------------------------------------------
// TKXCallback

TKXCallback::TKXCallback(TKXApplication* session, TKXCallBackMethod method, std::string name)
    : FName(std::move(name)), FSession(session), FCallBackFunction(std::move(method)) {}

void TKXCallback::PerformCallBack() {
  // The method may unregister or replace this very callback: work on copies
  // and leave this object alone once the method runs.
  TKXApplication* session = FSession;
  const TKXCallBackMethod method = FCallBackFunction;
  TStringList params;
  if (session != nullptr) {
    if (IKXForm* form = Supports<IKXForm>(session->GetActiveForm())) params.Assign(&form->Params());
  }
  if (method) method(params);
  if (session == nullptr) return;
  // Read again: the method may have shown another form.
  IKXForm* form = Supports<IKXForm>(session->GetActiveForm());
  IKXCallBackResponse* response = session->CallBackResponse();
  if (form != nullptr && response != nullptr && form->SendAJAXNotification())
    response->AddJavaScriptToExecute(form->GetKXAJAXNotificationJSCode());
}

// ---------------------------------------------------------------------------
// TKXCallBacks

TKXCallBacks::TKXCallBacks(TKXApplication* session) : TKXStringList(true), FSession(session) {
  SetDuplicates(dupIgnore);
  SetCaseSensitive(false);
  SetSorted(true);
}

std::string TKXCallBacks::QualifiedName(const TComponent* component, const std::string& name) {
  const IKXForm* form = Supports<const IKXForm>(component);
  if (form == nullptr) return name;
  const TKXFormState state = form->FormState();
  if (state != fsRendering && state != fsExecuting && state != fsCreating) return name;
  const std::string prefix = component->Name() + ".";
  if (StartsText(prefix, name)) return name;
  return prefix + name;
}

TComponent* TKXCallBacks::GetOwnerForm() const {
  if (FSession == nullptr) return nullptr;
  TComponent* last = FSession->LastForm();
  if (const IKXForm* form = Supports<IKXForm>(last); form != nullptr && form->FormState() == fsCreating) return last;
  return FSession->GetActiveForm();
}

void TKXCallBacks::RegisterCallBack(const std::string& name, TKXCallBackMethod method) {
  TComponent* ownerForm = GetOwnerForm();
  const std::string key = QualifiedName(ownerForm, name);
  int index;
  if (Find(key, index)) {
    // A std::function cannot be compared; storing the same method again changes nothing.
    static_cast<TKXCallback*>(Objects(index))->SetCallBackFunction(std::move(method));
    return;
  }
  auto callback = std::make_unique<TKXCallback>(FSession, std::move(method), name);
  if (ownerForm != nullptr && StartsText(ownerForm->Name() + ".", key)) callback->SetFormName(ownerForm->Name());
  AddObject(key, callback.get());
  callback.release();
}

void TKXCallBacks::UnregisterCallBack(const std::string& name) {
  const std::string key = FSession != nullptr ? QualifiedName(FSession->GetActiveForm(), name) : name;
  int index;
  if (Find(key, index)) Delete(index);
}

int TKXCallBacks::FindCallback(const std::string& qualified, const std::string& name) const {
  int index;
  if (Find(qualified, index)) return index;
  if (!SameText(qualified, name) && Find(name, index)) return index;
  return -1;
}

bool TKXCallBacks::MayRun(const TKXCallback& callback) const {
  if (callback.FormName().empty()) return true;
  const TComponent* active = FSession != nullptr ? FSession->GetActiveForm() : nullptr;
  return active != nullptr && SameText(active->Name(), callback.FormName());
}

void TKXCallBacks::PerformCallBack(TComponent* component, const std::string& name) {
  const std::string qualified = QualifiedName(component, name);
  const int index = FindCallback(qualified, name);
  if (index >= 0 && MayRun(*static_cast<TKXCallback*>(Objects(index)))) {
    static_cast<TKXCallback*>(Objects(index))->PerformCallBack();
    return;
  }
  std::string message = "Callback method not found";
  int position;
  if (ParamIsValid(qualified, position)) message += ": " + qualified;
  IKXCallBackResponse* response = FSession != nullptr ? FSession->CallBackResponse() : nullptr;
  if (response != nullptr)
    response->AddJavaScriptToExecuteAsCDATA("logMessage(\"" + ScriptStringLiteral(message) + "\")");
}

// ---------------------------------------------------------------------------

void InstallCallBacks() {
  gCreateCallBacks = [](TKXApplication& session) -> std::unique_ptr<IKXCallBacks> {
    return std::make_unique<TKXCallBacks>(&session);
  };
  gCreateCallBackResponse = [](TKXApplication& session) -> std::unique_ptr<IKXCallBackResponse> {
    return std::make_unique<TKXCallBackResponse>(&session);
  };
}

}  // namespace kx
