#include "kx/forms/ControlSession.h"

#include "kx/appserver/Application.h"
#include "kx/appserver/Authenticators.h"
#include "kx/appserver/FileReference.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/platform/SysUtils.h"

namespace kx {

TKXControlSession TKXControlSession::Current() { return TKXControlSession(GetWebApplication()); }

TKXControlSession TKXControlSession::Of(const IKXRenderSession* context) {
  TKXApplication* application = context != nullptr ? context->WebApplication() : nullptr;
  return application != nullptr ? TKXControlSession(application) : Current();
}

const TBrowser* TKXControlSession::Browser() const { return mApplication ? mApplication->Browser() : nullptr; }

bool TKXControlSession::IsCallBack() const { return mApplication != nullptr && mApplication->IsCallBack(); }

IKXCallBackResponse* TKXControlSession::CallBackResponse() const {
  return mApplication ? mApplication->CallBackResponse() : nullptr;
}

void TKXControlSession::AddScriptToAnswer(const std::string& script) const {
  if (IKXCallBackResponse* response = CallBackResponse()) response->AddJavaScriptToExecuteAsCDATA(script);
}

std::string TKXControlSession::LibraryFileURL(const std::string& file) const {
  return mApplication ? mApplication->GetInternalFileURL(file) : "/$/" + file;
}

std::string TKXControlSession::LibraryURLBase(const std::string& withoutSession) const {
  return mApplication ? mApplication->InternalUrlBase() : withoutSession;
}

std::string TKXControlSession::AppURLBase() const { return mApplication ? mApplication->AppUrlBase() : std::string(); }

std::string TKXControlSession::FileLocation(const TKXFileReference& file, const std::string& base) const {
  const std::string urlBase = Trim(base).empty() ? AppURLBase() : base;
  if (gSC == nullptr) return file.Location(urlBase, nullptr);
  const std::string contentPath = gSC->ContentPath();
  return file.Location(urlBase, &contentPath);
}

std::string TKXControlSession::ControllerURLBase() { return gSC != nullptr ? gSC->URLBase() : std::string(); }

std::string TKXControlSession::ContentPath() { return gSC != nullptr ? gSC->ContentPath() : std::string(); }

std::string TKXControlSession::TemplatePath(const std::string& templateName) {
  return gSC != nullptr ? gSC->TemplateDir() + templateName : std::string();
}

void TKXControlSession::LogConfigurationMistake(const std::string& message) { kx::LogConfigurationMistake(message); }

bool TKXControlSession::RestrictsAll() {
  return gSC != nullptr && gSC->AuthActive() && gSC->Auther()->AutherPolicy() == apRestrictAll;
}

}  // namespace kx
