// Content handlers: application code that answers URL paths, document names or
// file extensions instead of the session's active form. TContentBase is the
// base of every handler, THandlers the process-wide registry and its matcher,
// TContentForm the handler that shows a form class. InstallContentHandlers()
// plugs the registry into session dispatch (appserver/Application.h).
// Builds on appserver/Application.h and appserver/ServerController.h (the lock check).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kx/appserver/Application.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/TextUtils.h"

namespace kx {

KX_DECLARE_KX_EXCEPTION(EKXContentFormException, EKXException);

class TContentBase;

// Asked before a form handler runs; setting aContinue false makes the handler
// answer nothing (its Execute returns false).
using TBeforeExecuteHandlerProc = std::function<void(TContentBase* sender, bool& aContinue)>;
// May replace the start handler for a new session (handler arrives as the
// registered start handler, possibly null).
using TGetStartHandlerProc = std::function<void(TKXApplication* session, TContentBase*& handler)>;

class TContentBase : public TObject, public IKXContentHandler {
 public:
  TContentBase() = default;
  TContentBase(const TContentBase&) = delete;
  TContentBase& operator=(const TContentBase&) = delete;

  // The registered path + document, as given to THandlers::Add.
  const std::string& Path() const override { return mPath; }
  // Default true: DoExecute answers 404 when the mapped file is missing.
  bool FileMustExist() const { return mFileMustExist; }
  void SetFileMustExist(bool value) { mFileMustExist = value; }
  // Default false (true for start handlers).
  bool CanStartSession() const override { return mCanStartSession; }
  void SetCanStartSession(bool value) { mCanStartSession = value; }
  // Default true.
  bool RequiresSessionStart() const override { return mRequiresSessionStart; }
  void SetRequiresSessionStart(bool value) { mRequiresSessionStart = value; }

  TBeforeExecuteHandlerProc OnBeforeExecute;

  // Answers the request; false lets dispatch try the file itself.
  virtual bool Execute(THttpRequest& request, THttpReply& reply, const std::string& fileName,
                       TKXApplication* session, TStrings& params) = 0;
  // Default true.
  bool RequestAuth(const THttpRequest& request, std::string& realm) override;
  // With FileMustExist and no regular file at fileName: false for a file name
  // ending with "/index.kxp" (ignoring case), so dispatch can fall back to
  // index.html; otherwise status 404 with content type "text/html", and true.
  // Else Execute.
  bool DoExecute(THttpRequest& request, THttpReply& reply, const std::string& fileName, TKXApplication* session,
                 TStrings& params) override;

 private:
  friend class THandlers;  // sets mPath when registering

  std::string mPath;
  bool mFileMustExist = true;
  bool mCanStartSession = false;
  bool mRequiresSessionStart = true;
};

// The registry of handlers, keyed by lower-cased path + document. Written
// during start-up only (Add raises once the server controller is locked); the
// look-ups take no lock.
class THandlers {
 public:
  THandlers() = delete;

  // Registers handler under path + document. Raises, handler being freed:
  // - the controller's lock exception for "Handlers.Add" once it is locked;
  // - Exception "Path and Document cannot both be empty.";
  // - Exception "Path must start with /" or "Path must end with /" for a
  //   non-empty path ("/" alone is accepted).
  // A key registered before is replaced and its handler freed (and stops being
  // the start handler). A null handler registers nothing.
  static void Add(const std::string& path, const std::string& document, std::unique_ptr<TContentBase> handler);
  static void Add(const std::string& document, std::unique_ptr<TContentBase> handler);
  // Add, then the handler may start sessions and becomes the start handler
  // (replacing an earlier one).
  static void AddStartHandler(const std::string& path, const std::string& document,
                              std::unique_ptr<TContentBase> handler);
  // Add for the document "*" + extension (extension with its dot: ".kxp").
  static void AddForExtension(const std::string& extension, std::unique_ptr<TContentBase> handler);

  // The handler for a URL path, or null. Never for "", "/" or "/$/..."; case
  // does not matter. Tried in order, first hit wins: the whole path;
  // folder + "*" + extension; the folder; the document; "*" + extension; then
  // each parent folder up to the first level below "/" ("/a/b/c/d.txt":
  // "/a/b/", "/a/").
  static TContentBase* FindMatch(const std::string& path);
  // The start handler, or what the registered start-handler method makes of it.
  static TContentBase* GetStartHandler(TKXApplication* session);
  static void RegisterGetStartHandlerProc(TGetStartHandlerProc proc);

  // Frees every handler and forgets the start handler and the start-handler
  // method: the shut-down sequence calls it after the last request.
  static void Clear();
};

// The side of an application form that a form handler calls (TKXAppForm).
class IKXAppForm {
 public:
  // Fires the form's OnURLRequest.
  virtual void DoURLRequest(THttpRequest& request) = 0;

 protected:
  ~IKXAppForm() = default;
};

// Whether a request for a form of formClass must authenticate (the class-level
// RequestAuth of application forms); realm receives the realm. Set by the forms
// layer at start-up; without it a form handler asks for authentication.
inline constexpr TKXRuntimeRef<&TKXRuntime::AppFormClassRequestAuth> gAppFormClassRequestAuth{};

// Shows a form class at the handler's URL. The file need not exist.
class TContentForm : public TContentBase {
 public:
  // Raises EKXContentFormException (the handler's class name + ": KXAppForm
  // class name is not defined.") for a null class, and for a class that cannot
  // be instantiated (+ ": KXAppForm class \"NAME\" cannot be created.").
  explicit TContentForm(const TComponentClass* formClass, TBeforeExecuteHandlerProc onBeforeExecute = nullptr);
  // The class is looked up among the registered application forms
  // (gFindAppFormClass); raises EKXContentFormException with the handler's
  // class name + ": KXAppForm class \"NAME\" is not registered. " CR LF "You
  // must use RegisterClass() to register your KXAppForm class before executing
  // it." when it is not found, or ": KXAppForm class name is not defined." for
  // an empty name.
  explicit TContentForm(const std::string& formClassName, TBeforeExecuteHandlerProc onBeforeExecute = nullptr);

  const TComponentClass* FormClass() const { return mFormClass; }
  const std::string& FormClassName() const { return mFormClassName; }
  // Default true: a form of the class that the session has already is shown
  // again instead of a new one.
  bool UseExistingInstance() const { return mUseExistingInstance; }
  void SetUseExistingInstance(bool value) { mUseExistingInstance = value; }

  // OnBeforeExecute may stop it (false). Otherwise the session's form of the
  // class (or a new one) receives the request, is shown, and the session
  // processes it with reply and params, submits coming back to this handler's
  // URL; true. False without a session. Raises EKXContentFormException when the
  // class does not make a form.
  bool Execute(THttpRequest& request, THttpReply& reply, const std::string& fileName, TKXApplication* session,
               TStrings& params) override;
  // The form class's own RequestAuth (gAppFormClassRequestAuth); true without it.
  bool RequestAuth(const THttpRequest& request, std::string& realm) override;

 private:
  void Init();
  void CheckFormClass();

  const TComponentClass* mFormClass = nullptr;
  std::string mFormClassName;
  bool mUseExistingInstance = true;
};

// A handler that answers "Hello".
class TContentPas : public TContentBase {
 public:
  bool Execute(THttpRequest& request, THttpReply& reply, const std::string& fileName, TKXApplication* session,
               TStrings& params) override;
};

// A handler that answers nothing (false).
class TContentRSS : public TContentBase {
 public:
  bool Execute(THttpRequest& request, THttpReply& reply, const std::string& fileName, TKXApplication* session,
               TStrings& params) override;
};

// Sets gFindContentHandler and gGetStartHandler to THandlers::FindMatch and
// THandlers::GetStartHandler. Part of the start-up sequence.
void InstallContentHandlers();

}  // namespace kx
