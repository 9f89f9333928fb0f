// Page generation of a form: TKXPageGenerator turns a TKXForm into the whole
// HTML page of a full request (hidden fields, script files, start-up code, page
// globals, BODY attributes, written by the form's layout) or into the update of
// a callback document (the changed controls, the form's hidden fields, scripts
// and the track number). The page's scripts are the contract with the client
// scripts of resources/js: Initialize, InitKXCLObjects, FormDefaultSubmit,
// Body_OnBlur, KXTop and the globals GURLBase, GAppID, GTrackID (decimal),
// GOnResizetimeout, GResizeURL and KX.implicitSubmit. The longer script blocks
// (the page globals, the full FormDefaultSubmit) are page templates under
// resources/templates, filled by FillPageTemplate (appserver/ServerSession.h).
// Builds on forms/Forms.h and appserver/CallBacks.h.
#pragma once

#include <string>

#include "kx/appserver/Application.h"
#include "kx/foundation/Streams.h"

namespace kx {

class TKXForm;
class TKXPageContext40;

class TKXPageGenerator {
 public:
  explicit TKXPageGenerator(TKXForm& form) : mForm(form) {}

  // The whole page into stream. Whatever happens, the form's start-up code is
  // emptied, its name index rebuilt, OnAfterRender called and its page context
  // and tab-order list freed afterwards.
  void GeneratePage(TKXRenderStream& stream);
  // The update of a callback into response: the controls marked for refresh
  // (as one block of "control" elements after the form's own), the client
  // objects' start-up code, the keep-alive interval when it changed, the
  // form's start-up code, and the session's track number in decimal. The page
  // context lives on for the next callback.
  void GenerateCallBack(IKXCallBackResponse& response);

  // The hidden submit frame of the page being generated (TKXForm::AddSubmitIFrame).
  void AddSubmitIFrame();

  // "0" without keep-alive, else a quarter of the controller's session timeout in milliseconds.
  static std::string KeepAliveInterval(bool keepAlive);

 private:
  // The steps both outputs begin with: the page context, its doctype and the browser's strict mode.
  void Start(bool callBack);
  void AddStartupCode(TKXPageContext40& page);
  void AddBackButtonCode(TKXPageContext40& page);
  void FillFormTag(TKXPageContext40& page, bool multipart);
  std::string HeadText(TKXPageContext40& page);
  void FillBodyTag(TKXPageContext40& page);
  void AddPageScripts(TKXPageContext40& page);
  // The page the submit frame loads: the update and start-up code of the page context around its FORM.
  std::string SubmitFramePage(TKXPageContext40& page);
  // Step 15: runs after the page, also after an exception; raises nothing.
  void Finish() noexcept;

  TKXForm& mForm;
};

}  // namespace kx
