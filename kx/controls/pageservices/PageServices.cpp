#include "kx/controls/pageservices/PageServices.h"

#include "kx/appserver/Application.h"
#include "kx/controls/pageservices/FamilyFiles.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/SimpleJSON.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

std::string BoolText(bool value) { return value ? "true" : "false"; }

// Whether a source names an image file, by its extension.
bool IsImageSource(const std::string& src) {
  for (const char* extension : {".JPG", ".PNG", ".GIF", ".JPEG", ".JPE"}) {
    if (EndsText(extension, src)) return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXPageService

void TKXPageService::RegisterAsyncEvents(TKXApplication* application) { RegisterServiceCallBacks(application); }

TKXApplication* TKXPageService::ApplicationOf(TKXCompContext* context) {
  return TKXControlSession::Of(context).Application();
}

void TKXPageService::AddPageScript(TKXCompContext* context, const std::string& script) {
  if (context == nullptr || script.empty()) return;
  context->AddScriptFile(pageservices_files::kKXPageServicesJs);
  context->AddToInitProcDoLastCode(script);
}

void TKXPageService::AddCallBackScript(TKXCompContext* context, const std::string& script) {
  TKXControlSession::Of(context).AddScriptToAnswer(script);
}

// ---------------------------------------------------------------------------
// TKXTimer

void TKXTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  SetDoRefreshControl(true);
}

void TKXTimer::SetInterval(std::int32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  SetDoRefreshControl(true);
}

void TKXTimer::RegisterServiceCallBacks(TKXApplication* application) {
  if (OnAsyncTimer) RegisterCallBack(application, "DoOnAsyncTimer", &TKXTimer::DoOnAsyncTimer);
}

void TKXTimer::DoOnAsyncTimer(TStrings& params) {
  if (!FEnabled) return;
  SetDoRefreshControl(true);
  if (OnAsyncTimer) OnAsyncTimer(this, params);
}

std::string TKXTimer::TimerScript() {
  if (!Runs()) return "KX.setTimer(\"" + HTMLName() + "\", false);";
  return "KX.setTimer(\"" + HTMLName() + "\", true, " + std::to_string(FInterval) + ", " +
         BoolText(bool(OnAsyncTimer)) + ");";
}

void TKXTimer::Submit(const std::string& value) {
  FSubmitParam = value;
  if (OnTimer) OnTimer(this);
}

TSubmitProc TKXTimer::getSubmitProc() {
  TComponentRef<TKXTimer> timer(this);
  return [timer](const std::string& value) {
    if (timer) timer->Submit(value);
  };
}

void TKXTimer::RenderScripts(TKXCompContext* context) {
  if (DesignMode()) return;
  // Loaded also while stopped: a callback may start it.
  if (context != nullptr) context->AddScriptFile(pageservices_files::kKXPageServicesJs);
  if (!Runs()) return;
  RegisterServiceCallBacks(ApplicationOf(context));
  AddPageScript(context, TimerScript());
}

TKXElementPtr<TKXXMLTag> TKXTimer::RenderAsync(TKXCompContext* context) {
  if (Runs()) RegisterServiceCallBacks(ApplicationOf(context));
  AddCallBackScript(context, TimerScript());
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKXMonitor

void TKXMonitor::SetTargetValue(std::int32_t value) { Change(FTargetValue, value); }
void TKXMonitor::SetTimeout(std::int32_t value) { Change(FTimeout, value); }
void TKXMonitor::SetActive(bool value) { Change(FActive, value); }
void TKXMonitor::SetEnabled(bool value) { Change(FEnabled, value); }
void TKXMonitor::SetInterval(std::int32_t value) { Change(FInterval, value); }

void TKXMonitor::RegisterServiceCallBacks(TKXApplication* application) {
  if (OnAsyncEvent) RegisterCallBack(application, "DoOnAsyncEvent", &TKXMonitor::DoOnAsyncEvent);
}

void TKXMonitor::DoOnAsyncEvent(TStrings& params) {
  if (!FEnabled) return;
  SetEnabled(false);
  if (OnAsyncEvent) OnAsyncEvent(this, params);
}

void TKXMonitor::Submit(const std::string& value) {
  if (!FEnabled) return;
  SetEnabled(false);
  FSubmitParam = value;
  if (OnEvent) OnEvent(this);
}

TSubmitProc TKXMonitor::getSubmitProc() {
  TComponentRef<TKXMonitor> monitor(this);
  return [monitor](const std::string& value) {
    if (monitor) monitor->Submit(value);
  };
}

std::string TKXMonitor::MonitorScript() {
  if (!Runs()) return "KX.Session.deleteMonitor(\"" + HTMLName() + "\");";
  return "KX.Session.setMonitor(\"" + HTMLName() + "\", " + BoolText(FActive) + ", " + std::to_string(FInterval) +
         ", " + std::to_string(FTimeout) + ", " + std::to_string(FTargetValue) + ", " +
         BoolText(bool(OnAsyncEvent)) + ");";
}

void TKXMonitor::RenderScripts(TKXCompContext* context) {
  if (DesignMode()) return;
  // Loaded also while stopped: a callback may start it.
  if (context != nullptr) context->AddScriptFile(pageservices_files::kKXPageServicesJs);
  if (!Runs()) return;
  RegisterServiceCallBacks(ApplicationOf(context));
  AddPageScript(context, MonitorScript());
}

TKXElementPtr<TKXXMLTag> TKXMonitor::RenderAsync(TKXCompContext* context) {
  if (Runs()) RegisterServiceCallBacks(ApplicationOf(context));
  AddCallBackScript(context, MonitorScript());
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKXAJAXNotifier

void TKXAJAXNotifier::RegisterServiceCallBacks(TKXApplication* application) {
  RegisterCallBack(application, "DoOnNotify", &TKXAJAXNotifier::DoOnNotify);
}

void TKXAJAXNotifier::Notify() {
  TKXApplication* application = TKXControlSession::Current().Application();
  if (application == nullptr || !application->CallBackProcessing())
    throw EKXException(Format("You only can use %s in Async calls.", ClassName()));
  TKXForm* form = TKXForm::FindParentForm(this);
  if (form == nullptr) form = Supports<TKXForm>(Owner());
  if (form != nullptr) form->SetKXAJAXNotifier(this);
  RegisterServiceCallBacks(application);
  FSendNotification = true;
}

void TKXAJAXNotifier::DoOnNotify(TStrings& params) {
  (void)params;
  if (!FSendNotification) return;
  // Cleared first: OnNotify may ask for another round.
  FSendNotification = false;
  if (OnNotify) OnNotify(this);
}

void TKXAJAXNotifier::RenderScripts(TKXCompContext* context) {
  if (DesignMode()) return;
  RegisterServiceCallBacks(ApplicationOf(context));
}

// ---------------------------------------------------------------------------
// TKXModalWindow

void TKXModalWindow::AfterConstruction() {
  TKXPageService::AfterConstruction();
  Reset();
}

void TKXModalWindow::Reset() {
  FEnabled = true;
  FWindowWidth = 0;
  FWindowTop = -1;
  FWindowLeft = -1;
  FSizeUnit = suPercent;
  FWindowHeight = 0;
  FAutoSize = true;
  FDragConstraint = false;
  FDraggable = true;
  FContentElement = nullptr;
  FRenderStyles = true;
  FButtons.Clear();
  FVisible = false;
  FButtonIndex = -1;
}

void TKXModalWindow::SetContentElement(TComponent* value) {
  if (value != nullptr && Supports<IKXHTML40Control>(value) == nullptr)
    throw Exception("ContentElement must implement IKXHTML40Control interface");
  FContentElement = value;
  if (value != nullptr) FSrc.clear();
}

void TKXModalWindow::SetSrc(const std::string& value) {
  FSrc = value;
  if (!value.empty()) FContentElement = nullptr;
}

void TKXModalWindow::Show() {
  if (FVisible) return;
  FButtonIndex = -1;
  FVisible = true;
  SetDoRefreshControl(true);
}

void TKXModalWindow::RegisterServiceCallBacks(TKXApplication* application) {
  if (OnAsyncClose) RegisterCallBack(application, "DoOnAsyncClose", &TKXModalWindow::DoOnAsyncClose);
  if (OnAsyncClick) RegisterCallBack(application, "DoOnAsyncClick", &TKXModalWindow::DoOnAsyncClick);
}

void TKXModalWindow::DoOnAsyncClose(TStrings& params) {
  FVisible = false;
  if (FEnabled && OnAsyncClose) OnAsyncClose(this, params);
}

void TKXModalWindow::DoOnAsyncClick(TStrings& params) {
  FVisible = false;
  if (!FEnabled || !OnAsyncClick) return;
  FButtonIndex = StrToIntDef(params.Values("ButtonIndex"), -1);
  OnAsyncClick(this, params);
}

std::string TKXModalWindow::GetInitCode(TKXApplication* application) {
  if (!FEnabled || !FVisible) return std::string();
  const std::string unit = FSizeUnit == suPercent ? "%" : "";
  TKXSimpleJSON json;
  json.Add("title", FTitle);
  if (FWindowWidth > 0) json.Add("width", std::to_string(FWindowWidth) + unit);
  if (FWindowHeight > 0) json.Add("height", std::to_string(FWindowHeight) + unit);
  if (FWindowTop >= 0) json.Add("top", std::int64_t(FWindowTop));
  if (FWindowLeft >= 0) json.Add("left", std::int64_t(FWindowLeft));
  json.Add("renderStyle", FRenderStyles);
  json.Add("autosize", FAutoSize);
  if (IKXBaseHTMLComponent* content = Supports<IKXBaseHTMLComponent>(FContentElement.Get()))
    json.Add("contentElement", content->HTMLName());
  if (!FSrc.empty()) {
    const bool bare = FSrc.find('/') == std::string::npos;
    json.Add("src", bare && application != nullptr ? application->GetExternalFileURL(FSrc) : FSrc);
    json.Add("srcType", IsImageSource(FSrc) ? "image" : "html");
  }
  json.Add("buttons", FButtons);
  json.Add("draggable", FDraggable);
  json.Add("dragConstraint", FDragConstraint);
  if (OnAsyncClose) json.Add("closeCallback", HTMLName() + ".DoOnAsyncClose");
  if (OnAsyncClick) json.Add("btnClickCallback", HTMLName() + ".DoOnAsyncClick");
  return "var x = new KXModalWindow(" + json.GetData() + ");x.show();";
}

std::string TKXModalWindow::TakeShowScript(TKXCompContext* context) {
  TKXApplication* application = ApplicationOf(context);
  RegisterServiceCallBacks(application);
  std::string script = GetInitCode(application);
  FVisible = false;
  return script;
}

void TKXModalWindow::RenderScripts(TKXCompContext* context) {
  if (DesignMode()) return;
  if (context != nullptr) context->AddScriptFile(pageservices_files::kKXPageServicesJs);
  const std::string script = TakeShowScript(context);
  if (!script.empty()) AddPageScript(context, script);
}

TKXElementPtr<TKXXMLTag> TKXModalWindow::RenderAsync(TKXCompContext* context) {
  const std::string script = TakeShowScript(context);
  if (!script.empty()) AddCallBackScript(context, script);
  return nullptr;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& PageServicesFamily() {
  static const TKXControlFamily family{.Name = "pageservices"};
  return family;
}

}  // namespace kx
