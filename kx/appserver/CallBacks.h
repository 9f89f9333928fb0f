// The two halves of an asynchronous callback: TKXCallBacks, a session's
// registry of callback methods by name, and TKXCallBackResponse, the XML
// document the session answers a callback with (updates, scripts to execute, a
// page rewrite, the next submit URL, the track number). Both implement the
// seams of appserver/Application.h; InstallCallBacks() plugs them in.
// Builds on foundation/Markup.h.
#pragma once

#include <memory>
#include <string>

#include "kx/appserver/Application.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/TextUtils.h"

namespace kx {

// The callback document, as the client scripts read it:
//   <?xml version="1.0" encoding="UTF-8" standalone="yes"?>
//   <response> <update/> <execute/> <rewrite/> <submit/> <trackid/> </response>
// with all five children always present and in that order.
//
// The document is well-formed XML whatever text it is given: texts (scripts,
// URLs, the track number) are written as XML character data, CDATA sections
// have each "]]>" split, and characters XML cannot carry (C0 controls other
// than TAB, CR and LF; U+FFFE, U+FFFF) are dropped, invalid UTF-8 becoming
// U+FFFD. Markup given to "update" (a render stream or a text) is written as it
// is, less those characters: keeping it well-formed is its renderer's part.
class TKXCallBackResponse : public TObject, public IKXCallBackResponse {
 public:
  explicit TKXCallBackResponse(TKXApplication* owner);
  ~TKXCallBackResponse() override;
  TKXCallBackResponse(const TKXCallBackResponse&) = delete;
  TKXCallBackResponse& operator=(const TKXCallBackResponse&) = delete;

  // The session; may be null.
  TKXApplication* Owner() const { return FOwner; }
  // The HTML name of the control the browser focuses after this callback; the
  // form's asynchronous rendering reads and clears it. Empty for none.
  const std::string& FocusedControlHTMLName() const override { return FFocusedControlHTMLName; }
  void SetFocusedControlHTMLName(const std::string& name) override { FFocusedControlHTMLName = name; }

  // Whether the document is held: it is made by the first part added (or by StreamResponse) and let go by
  // Initialize, which the session calls at every request and once the answer is sent.
  bool HasDocument() const { return FDocument != nullptr; }

  // Empties the five parts: lets the document go; the next part added, or the
  // next StreamResponse, makes it again.
  void Initialize() override;

  // Adds a "literal" to "execute" holding script as character data ("<" and "&"
  // escaped, so a DOM reader gets the script back byte for byte).
  void AddJavaScriptToExecute(const std::string& script) override;
  // The same as one CDATA section; nothing for the empty script.
  void AddJavaScriptToExecuteAsCDATA(const std::string& script) override;
  // The tag (with what hangs below it) becomes the last child of "execute".
  void AddTagToExecute(TKXElementPtr<TKXMarkupLanguageTag> tag);

  // Appends rendered markup to "update": the whole content of stream (its
  // position is kept), a text, or a tag as a child.
  void AddTagToUpdate(TKXRenderStream& stream) override;
  void AddTagToUpdate(const std::string& text);
  void AddTagToUpdate(TKXElementPtr<TKXMarkupLanguageTag> tag) override;

  // Appends page to "rewrite" as one CDATA section.
  void AddTagToRewrite(const std::string& page) override;
  // Append character data to "submit" and to "trackid".
  void SetSubmitURL(const std::string& url) override;
  void SetTrackNumber(const std::string& track) override;

  // Writes the XML declaration, then the document.
  void StreamResponse(TKXRenderStream& stream) override;
  // Raises Exception "Operation not implemented".
  [[noreturn]] void DoFullSubmit();

 private:
  // The document with its five parts: made on first use, as most sessions never answer a callback.
  struct TDocument {
    TDocument();
    TKXElementPtr<TKXXMLTag> Response;
    // Children of Response, owned through it.
    TKXXMLTag* Update;
    TKXXMLTag* Execute;
    TKXXMLTag* Rewrite;
    TKXXMLTag* Submit;
    TKXXMLTag* Track;
  };
  TDocument& Document();

  std::unique_ptr<TDocument> FDocument;
  TKXApplication* FOwner;
  std::string FFocusedControlHTMLName;
};

// One registered callback: the method and the name it was registered under.
class TKXCallback : public TObject {
 public:
  TKXCallback(TKXApplication* session, TKXCallBackMethod method, std::string name);

  // The name as given to RegisterCallBack (not qualified).
  const std::string& Name() const { return FName; }
  TKXApplication* Session() const { return FSession; }
  const TKXCallBackMethod& CallBackFunction() const { return FCallBackFunction; }
  void SetCallBackFunction(TKXCallBackMethod method) { FCallBackFunction = std::move(method); }
  // The name of the form whose callback this is (its key begins with it); empty for one of the whole session.
  const std::string& FormName() const { return FFormName; }
  void SetFormName(std::string formName) { FFormName = std::move(formName); }

  // Calls the method with a copy of the active form's parameters (an empty
  // list without a session or active form); afterwards, when the session's
  // active form asks for the AJAX notification, adds the form's notification
  // script to the callback response's "execute". The method may unregister or
  // replace this callback meanwhile (it runs from a copy).
  void PerformCallBack();

 private:
  std::string FName;
  TKXApplication* FSession;
  TKXCallBackMethod FCallBackFunction;
  std::string FFormName;
};

// A session's callbacks: lines are qualified callback names (sorted, compared
// ignoring case, duplicates ignored), each owning its TKXCallback.
class TKXCallBacks : public TKXStringList, public IKXCallBacks {
 public:
  // session may be null: then names are never qualified and unknown callbacks
  // are reported nowhere.
  explicit TKXCallBacks(TKXApplication* session);

  TKXApplication* Session() const { return FSession; }

  // Stores method under QualifiedName(GetOwnerForm(), name); a name registered
  // already gets the new method.
  void RegisterCallBack(const std::string& name, TKXCallBackMethod method) override;
  // Deletes the entry QualifiedName(the active form, name) when present.
  void UnregisterCallBack(const std::string& name) override;
  // Runs the callback that component's name refers to. A form's callback runs
  // only while that form is the session's active one: a form behind a login or
  // confirmation form cannot be driven. An unknown or refused name never
  // raises: the callback response gets the script
  // logMessage("Callback method not found: <name>"), the name left out unless
  // it passes ParamIsValid and escaped by ScriptStringLiteral. What the method
  // raises propagates.
  void PerformCallBack(TComponent* component, const std::string& name) override;

  // The index of qualified; when absent and the names differ (ignoring case),
  // the index of name; -1 when neither is registered.
  int FindCallback(const std::string& qualified, const std::string& name) const;
  // form name + "." + name when component is a form being rendered, executed or
  // created and name does not begin with form name + "." (ignoring case);
  // otherwise name.
  static std::string QualifiedName(const TComponent* component, const std::string& name);
  // The session's last created form while it is being created, else its
  // active form; null without a session.
  TComponent* GetOwnerForm() const;

 private:
  // A form's callback only while that form is active; one of the session always.
  bool MayRun(const TKXCallback& callback) const;

  TKXApplication* FSession;
};

// Sets gCreateCallBacks and gCreateCallBackResponse, so that every session
// created afterwards gets a TKXCallBacks and a TKXCallBackResponse. Part of the
// start-up sequence.
void InstallCallBacks();

}  // namespace kx
