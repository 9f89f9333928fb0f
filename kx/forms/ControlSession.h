// What a control asks of the session it serves and of the server controller's settings, in one place: the control
// families (kx/controls) reach neither the controller nor the application server's globals themselves. A control
// takes the session from its render context while it renders (TKXCompContext::Session()), else the calling
// thread's (TKXControlSession::Current()). Every question has an answer without a session or a controller (design
// time, tests): the one the controls gave before they asked here.
#pragma once

#include <string>

namespace kx {

class IKXCallBackResponse;
class TBrowser;
class TKXApplication;
class TKXFileReference;

// What a render context tells of the session it renders for; the render contexts (RenderContexts.h) implement it.
class IKXRenderSession {
 public:
  // The application the context renders for; null for none.
  virtual TKXApplication* WebApplication() const = 0;

 protected:
  ~IKXRenderSession() = default;
};

class TKXControlSession {
 public:
  // application may be null: no session.
  explicit TKXControlSession(TKXApplication* application) : mApplication(application) {}
  // The calling thread's session.
  static TKXControlSession Current();
  // The session context renders for, else the calling thread's; context may be null.
  static TKXControlSession Of(const IKXRenderSession* context);

  TKXApplication* Application() const { return mApplication; }
  const TBrowser* Browser() const;
  // Whether the request being answered is a callback.
  bool IsCallBack() const;
  // The answer of the callback being processed; null outside one.
  IKXCallBackResponse* CallBackResponse() const;
  // Appends script that the client runs when the callback answer arrives; nothing outside a callback.
  void AddScriptToAnswer(const std::string& script) const;
  // The URL of one of the library's files ("gfx/x.gif"); "/$/" + file without a session.
  std::string LibraryFileURL(const std::string& file) const;
  // The base of the library's file URLs (ends with "$/"); withoutSession without a session.
  std::string LibraryURLBase(const std::string& withoutSession) const;
  // The base of the application's URLs; empty without a session.
  std::string AppURLBase() const;
  // Where the page finds file: under base (AppURLBase when base is blank), looked up in the controller's content
  // path; empty for an empty reference.
  std::string FileLocation(const TKXFileReference& file, const std::string& base = std::string()) const;

  // ---- the server controller's settings; empty (false) without a controller
  static std::string ControllerURLBase();
  static std::string ContentPath();
  // The file name of a template of the controller's template folder.
  static std::string TemplatePath(const std::string& templateName);
  // Whether every request must name a user (an authenticator that restricts all).
  static bool RestrictsAll();
  // Writes a mistake in the program's own settings to the library's log (kx/appserver/KXGlobal.h).
  static void LogConfigurationMistake(const std::string& message);

 private:
  TKXApplication* mApplication;
};

}  // namespace kx
