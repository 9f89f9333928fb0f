#include "kx/appserver/ContentHandlers.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "kx/appserver/ServerController.h"
#include "kx/foundation/Paths.h"
#include "kx/foundation/RuntimeSlots.h"

namespace kx {

namespace {

// THandlers' state. Made on first use and freed at process exit, after the
// last request.
struct THandlerRegistry {
  THandlerRegistry() : mList(true) {
    mList.SetCaseSensitive(true);  // keys are lower-cased already
    mList.SetSorted(true);
  }

  TKXStringList mList;
  TContentBase* mStartHandler = nullptr;
  TGetStartHandlerProc mGetStartHandlerProc;
};

THandlerRegistry& Registry() { return TKXRuntimeSlots::Required().Slot<THandlerRegistry>(); }

TContentBase* Lookup(const std::string& key) {
  if (key.empty()) return nullptr;
  const TKXStringList& list = Registry().mList;
  int index;
  if (!list.Find(key, index)) return nullptr;
  return static_cast<TContentBase*>(list.Objects(index));
}

}  // namespace

// ---------------------------------------------------------------------------
// TContentBase

bool TContentBase::RequestAuth(const THttpRequest&, std::string&) { return true; }

bool TContentBase::DoExecute(THttpRequest& request, THttpReply& reply, const std::string& fileName,
                             TKXApplication* session, TStrings& params) {
  if (mFileMustExist) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) {
      if (EndsText("/index.kxp", fileName)) return false;
      reply.SetCode(404);
      reply.SetContentType("text/html");
      return true;
    }
  }
  return Execute(request, reply, fileName, session, params);
}

// ---------------------------------------------------------------------------
// THandlers

void THandlers::Add(const std::string& path, const std::string& document, std::unique_ptr<TContentBase> handler) {
  TKXServerControllerBase::CheckLockGlobal("Handlers.Add");
  if (path.empty() && document.empty()) throw Exception("Path and Document cannot both be empty.");
  if (!path.empty()) {
    if (path.front() != '/') throw Exception("Path must start with /");
    if (path.size() > 1 && path.back() != '/') throw Exception("Path must end with /");
  }
  if (handler == nullptr) return;
  const std::string given = path + document;
  handler->mPath = given;
  const std::string key = LowerCase(given);

  THandlerRegistry& registry = Registry();
  int index;
  if (registry.mList.Find(key, index)) {
    auto* old = static_cast<TContentBase*>(registry.mList.Objects(index));
    // The start handler must not outlive its object.
    if (registry.mStartHandler == old) registry.mStartHandler = nullptr;
    registry.mList.SetObjects(index, handler.release());
    delete old;
  } else {
    registry.mList.AddObject(key, handler.get());
    handler.release();
  }
}

void THandlers::Add(const std::string& document, std::unique_ptr<TContentBase> handler) {
  Add("", document, std::move(handler));
}

void THandlers::AddStartHandler(const std::string& path, const std::string& document,
                                std::unique_ptr<TContentBase> handler) {
  TContentBase* added = handler.get();
  Add(path, document, std::move(handler));
  if (added == nullptr) return;
  added->mCanStartSession = true;
  Registry().mStartHandler = added;
}

void THandlers::AddForExtension(const std::string& extension, std::unique_ptr<TContentBase> handler) {
  Add("", "*" + extension, std::move(handler));
}

TContentBase* THandlers::FindMatch(const std::string& path) {
  if (Registry().mList.Count() == 0 || path.empty() || path == "/" || StartsText("/$/", path)) return nullptr;
  const std::string lower = LowerCase(path);

  std::string document;
  std::string extension;
  std::string folder;
  if (lower.back() != '/') {
    const std::size_t slash = lower.rfind('/');
    document = slash == std::string::npos ? lower : lower.substr(slash + 1);
    folder = slash == std::string::npos ? std::string() : lower.substr(0, slash + 1);
    const std::size_t dot = document.rfind('.');
    if (dot != std::string::npos) extension = document.substr(dot);
  }

  if (TContentBase* found = Lookup(lower)) return found;
  if (!extension.empty()) {
    if (TContentBase* found = Lookup(folder + "*" + extension)) return found;
  }
  if (TContentBase* found = Lookup(folder)) return found;
  if (TContentBase* found = Lookup(document)) return found;
  if (!extension.empty()) {
    if (TContentBase* found = Lookup("*" + extension)) return found;
  }

  // Parent folders: cut after the second "/" from the end while three remain.
  std::string shortened = lower;
  while (std::count(shortened.begin(), shortened.end(), '/') >= 3) {
    const std::size_t last = shortened.rfind('/');
    const std::size_t second = shortened.rfind('/', last - 1);
    shortened.resize(second + 1);
    if (TContentBase* found = Lookup(shortened)) return found;
  }
  return nullptr;
}

TContentBase* THandlers::GetStartHandler(TKXApplication* session) {
  THandlerRegistry& registry = Registry();
  TContentBase* handler = registry.mStartHandler;
  if (registry.mGetStartHandlerProc) registry.mGetStartHandlerProc(session, handler);
  return handler;
}

void THandlers::RegisterGetStartHandlerProc(TGetStartHandlerProc proc) {
  Registry().mGetStartHandlerProc = std::move(proc);
}

void THandlers::Clear() {
  THandlerRegistry& registry = Registry();
  registry.mStartHandler = nullptr;
  registry.mGetStartHandlerProc = nullptr;
  registry.mList.Clear();
}

// ---------------------------------------------------------------------------
// TContentForm

TContentForm::TContentForm(const TComponentClass* formClass, TBeforeExecuteHandlerProc onBeforeExecute)
    : mFormClass(formClass), mFormClassName(formClass != nullptr ? std::string(formClass->Name) : std::string()) {
  OnBeforeExecute = std::move(onBeforeExecute);
  Init();
  CheckFormClass();
}

TContentForm::TContentForm(const std::string& formClassName, TBeforeExecuteHandlerProc onBeforeExecute)
    : mFormClassName(formClassName) {
  OnBeforeExecute = std::move(onBeforeExecute);
  Init();
  CheckFormClass();
}

void TContentForm::Init() {
  mUseExistingInstance = true;
  SetFileMustExist(false);
}

void TContentForm::CheckFormClass() {
  if (mFormClass == nullptr) {
    if (mFormClassName.empty()) throw EKXContentFormException(ClassName() + ": KXAppForm class name is not defined.");
    if (gFindAppFormClass != nullptr) mFormClass = gFindAppFormClass(mFormClassName);
    if (mFormClass == nullptr)
      throw EKXContentFormException(
          ClassName() + ": KXAppForm class \"" + mFormClassName + "\" is not registered. " + "\r\n" +
          "You must use RegisterClass() to register your KXAppForm class before executing it.");
  }
  // An abstract class has no creator: say so now rather than fail on the first request.
  if (mFormClass->Create == nullptr)
    throw EKXContentFormException(ClassName() + ": KXAppForm class \"" + mFormClassName + "\" cannot be created.");
}

bool TContentForm::Execute(THttpRequest& request, THttpReply& reply, const std::string&, TKXApplication* session,
                           TStrings& params) {
  bool aContinue = true;
  if (OnBeforeExecute) OnBeforeExecute(this, aContinue);
  if (!aContinue || session == nullptr) return false;

  TComponent* component = nullptr;
  if (mUseExistingInstance && !mFormClassName.empty()) component = session->FindFormByClassName(mFormClassName);
  IKXForm* form = Supports<IKXForm>(component);
  if (form == nullptr) {
    component = mFormClass->Create(session);
    form = Supports<IKXForm>(component);
    if (form == nullptr && component != nullptr) component->Free();
  }
  if (session->Terminated() && session->SendRenderOverride(reply)) return true;
  if (form == nullptr) {
    throw EKXContentFormException(ClassName() + ": class \"" + mFormClassName + "\" is not a KXAppForm class.");
  }
  if (IKXAppForm* appForm = Supports<IKXAppForm>(component)) appForm->DoURLRequest(request);
  form->Show();
  session->SetMappedURL(TURL::Concat(session->SessionUrlBase(), Path()));
  session->ProcessForm(reply, params);
  return true;
}

bool TContentForm::RequestAuth(const THttpRequest& request, std::string& realm) {
  if (mFormClass != nullptr && gAppFormClassRequestAuth != nullptr)
    return gAppFormClassRequestAuth(*mFormClass, request, realm);
  return true;
}

// ---------------------------------------------------------------------------
// Handlers without behaviour of their own

bool TContentPas::Execute(THttpRequest&, THttpReply& reply, const std::string&, TKXApplication*, TStrings&) {
  reply.WriteString("Hello");
  return true;
}

bool TContentRSS::Execute(THttpRequest&, THttpReply&, const std::string&, TKXApplication*, TStrings&) {
  return false;
}

// ---------------------------------------------------------------------------

void InstallContentHandlers() {
  gFindContentHandler = [](const std::string& urlPath) -> IKXContentHandler* { return THandlers::FindMatch(urlPath); };
  gGetStartHandler = [](TKXApplication* session) -> IKXContentHandler* { return THandlers::GetStartHandler(session); };
}

}  // namespace kx
