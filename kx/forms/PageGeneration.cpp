#include "kx/forms/PageGeneration.h"

#include <memory>
#include <utility>

#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/appserver/ServerSession.h"
#include "kx/forms/ControlSession.h"
#include "kx/forms/Forms.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/Colors.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/foundation/KXMessages.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

const char* BoolText(bool value) { return value ? "true" : "false"; }

// Text inside a double-quoted script string of the page (F3: right in a
// script element and in an attribute alike).
std::string JS(const std::string& text) { return TKXBaseHTMLControl::TextToJSStringLiteral(text); }

constexpr const char* kDefaultSubmit = "function FormDefaultSubmit()\r\n{return false;}";
constexpr const char* kViewport = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";

// Whether the browser is told to render in standards mode: always with a
// controller (the page always has a doctype by now), never without one.
bool GetIsStrictMode(const TKXForm& form, const TKXPageContext40& page) {
  if (gSC == nullptr) return false;
  if (!gSC->DocType().empty() || !form.DocType().empty() || !page.DocType().empty()) return true;
  TKXApplication* application = page.WebApplication();
  return !gSC->IECompatibilityMode().empty() && application != nullptr &&
         Supports<TInternetExplorer>(application->Browser()) != nullptr;
}

// The session of the form's application, else the calling thread's.
TKXControlSession SessionOf(TKXApplication* application) {
  return application != nullptr ? TKXControlSession(application) : TKXControlSession::Current();
}

}  // namespace

std::string TKXPageGenerator::KeepAliveInterval(bool keepAlive) {
  if (!keepAlive || gSC == nullptr) return "0";
  return IntToStr(std::int64_t(gSC->SessionTimeout()) * 60000 / 4);
}

void TKXPageGenerator::Start(bool callBack) {
  if (!mForm.FPageContext) {
    mForm.CreatePageContext();
    if (!callBack) mForm.FJavaScriptOnce.clear();
  }
  TKXPageContext40& page = *mForm.FPageContext;
  std::string docType = mForm.DocType();
  if (docType.empty() && gSC != nullptr) docType = gSC->DocType();
  if (docType.empty()) docType = "<!DOCTYPE HTML>";
  page.SetDocType(docType);
  TKXApplication* application = mForm.WebApplication();
  if (application != nullptr && application->Browser() != nullptr)
    application->Browser()->SetStrictMode(GetIsStrictMode(mForm, page));
}

// ---------------------------------------------------------------------------
// The full page

void TKXPageGenerator::GeneratePage(TKXRenderStream& stream) {
  Start(false);
  try {
    TKXPageContext40& page = *mForm.FPageContext;
    TKXApplication* application = mForm.WebApplication();
    mForm.FillRealTabOrders();
    mForm.DoRender();
    page.SetTitle(TKXBaseHTMLControl::TextToHTML(mForm.Title(), false, false, false));
    page.SetURLBase(application != nullptr ? application->AppUrlBase() : std::string());
    AddStartupCode(page);
    AddBackButtonCode(page);

    std::unique_ptr<TKXContainerContext> owned = mForm.InitContainerContext(application);
    TKXContainerContext* context = owned.get();
    mForm.SetContainerContext(std::move(owned));
    mForm.RenderComponents(context, &page);

    if (gSC != nullptr) {
      for (int i = 0; i < gSC->ContentFiles()->Count(); ++i) mForm.ProcessContentFile(gSC->ContentFiles()->Strings(i));
    }
    for (int i = 0; i < mForm.ContentFiles().Count(); ++i) mForm.ProcessContentFile(mForm.ContentFiles().Strings(i));
    mForm.RenderWidgets(&mForm, &page);

    FillFormTag(page, context->FormEncoding() == feMultiPart);
    const std::string head = HeadText(page);
    FillBodyTag(page);
    AddPageScripts(page);

    auto* layout = Supports<TKXContainerLayout>(context->Layout());
    if (layout != nullptr) {
      layout->SetPreHeadContent(head + CRLF + mForm.PreHeader().Text() + CRLF + page.PreHeader().Text());
      layout->SetHeadContent(page.RenderScriptFiles() + CRLF + mForm.ExtraHeader().Text() + CRLF +
                             page.ExtraHeader().Text() + CRLF);
    }
    page.AddToInitProc(mForm.FInitProc);
    page.FinalizeContext();
    ProcessLayout(stream, context, &page);
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
}

void TKXPageGenerator::Finish() noexcept {
  mForm.FInitProc.clear();
  try {
    mForm.ComponentHash().Populate(&mForm);
  } catch (...) {
    // The index is rebuilt again before the next execution.
    mForm.ComponentHash().SetNeedsRefresh(true);
  }
  try {
    mForm.DoAfterRender();
  } catch (...) {
    // An OnAfterRender that raises must not leave the page context behind.
  }
  // The page is written: its tags and scripts are not read again, only the names of what it showed.
  if (TKXContainerContext* context = mForm.ContainerContext()) context->ReleaseRendering();
  mForm.FPageContext.reset();
  mForm.ClearRealTabOrders();
}

void TKXPageGenerator::AddStartupCode(TKXPageContext40& page) {
  if (mForm.LockUntilLoaded()) page.AddToInitProcPageUnlockCode("ReleaseLock();");
  page.AddToInitProc(std::string("GActivateLock = ") + BoolText(mForm.LockOnSubmit()) + ";");
  page.AddToInitProc(Format("InitRects(%d, %d);", mForm.Width(), mForm.Height()));
  page.AddToInitProc("InitKXCLObjects();");
  if (mForm.KeepAlive()) page.AddToInitProc("KX.Session.initKeepAlive(" + KeepAliveInterval(true) + ");");
  page.AddToInitProc("AttachBeforeUnload();");
}

// F13: the message and the URL go into script strings escaped.
void TKXPageGenerator::AddBackButtonCode(TKXPageContext40& page) {
  if (gSC == nullptr) return;
  const TKXBackButtonOptions& options = *gSC->BackButtonOptions();
  const bool intercept = options.Mode() == bmInterceptGlobal ||
                         (options.Mode() == bmInterceptForm && mForm.PreventBackButton());
  if (intercept) {
    const std::string message = options.WarningMessage().empty() ? RSBackButtonMessage : options.WarningMessage();
    TKXApplication* application = mForm.WebApplication();
    page.AddPreScriptFile("/js/KXBackIntercept.js");
    page.AddToJavaScriptOnce(std::string("KXBackIntercept.Init(false,") + BoolText(options.ShowMessage()) + ", \"" +
                             JS(message) + "\", \"" + JS(application ? application->InternalUrlBase() : "") +
                             "\");");
  } else if (options.Mode() == bmDisableCompat) {
    page.AddToInitProc("history.go(1);");
  }
}

void TKXPageGenerator::FillFormTag(TKXPageContext40& page, bool multipart) {
  TKXHTMLTag* form = page.FormTag();
  form->AddStringParam("method", "POST");
  form->AddStringParam("name", "SubmitForm");
  form->AddStringParam("action", mForm.FormAction());
  if (multipart) form->AddStringParam("enctype", "multipart/form-data");
  TStringList& fields = mForm.HiddenFields();
  for (int i = 0; i < fields.Count(); ++i) {
    const std::string name = fields.Names(i);
    TKXHTMLTag* field =
        form->Contents()->AddHiddenField("HIDDEN_" + name, name, TextToHTMLStringLiteral(fields.ValueFromIndex(i)));
    field->AddIntegerParam("size", -1);
  }
  form->Contents()->AddHiddenField("KX_FormName", mForm.Name());
  form->Contents()->AddHiddenField("KX_FormClass", std::string(mForm.ClassType().Name));
  if (!mForm.FormId().empty()) form->Contents()->AddHiddenField("KX_FormID_", mForm.FormId());
}

std::string TKXPageGenerator::HeadText(TKXPageContext40& page) {
  std::string head = "<meta Name=\"GENERATOR\" content=\"Kestrix v" + std::string(kKXVersion) + "\">" + CRLF;
  TKXApplication* application = mForm.WebApplication();
  if (application != nullptr && application->Browser() != nullptr && application->Browser()->IsMobile()) {
    const std::string viewport = gSC != nullptr ? gSC->MobileOptions()->ViewportTag() : std::string();
    head += CRLF + (viewport.empty() ? std::string(kViewport) : viewport);
  }
  if (gSC != nullptr && gSC->HTMLHeaders()->Count() > 0) head += gSC->HTMLHeaders()->Text();
  if (!IsHtml5(page.DocType())) {
    head += std::string("<meta http-equiv=\"MSThemeCompatible\" Content=\"") + (mForm.XPTheme() ? "yes" : "no") +
            "\">" + CRLF;
    if (gSC == nullptr || !gSC->EnableImageToolbar()) head += CRLF + std::string("<meta http-equiv=\"imagetoolbar\" content=\"no\">");
    head += CRLF + std::string("<meta http-equiv=\"Expires\" content=\"-1\">");
  }
  const std::string location = SessionOf(application).FileLocation(mForm.StyleSheet());
  if (!location.empty()) {
    head += CRLF + std::string("<link rel=\"stylesheet\" type=\"text/css\" href=\"") + EscapeAttributeQuotes(location) +
            "\">" + CRLF;
  }
  return head;
}

void TKXPageGenerator::FillBodyTag(TKXPageContext40& page) {
  TKXHTMLTag* body = page.BodyTag();
  TKXApplication* application = mForm.WebApplication();
  if (mForm.LockUntilLoaded() || mForm.LockOnSubmit()) {
    TKXHTMLTag* script = body->Contents()->AddTag("script", false);
    script->AddStringParam("type", "text/javascript");
    std::string image;
    if (gSC != nullptr && gSC->ShowLoadingAnimation() && application != nullptr)
      image = application->InternalUrlBase() + "gfx/loading.gif";
    script->Contents()->AddText("createKXLocker(\"" + JS(image) + "\");", false);
    if (mForm.LockUntilLoaded()) script->Contents()->AddText("ActivateLock();", false);
  }
  if (!mForm.LeftToRight()) body->AddStringParam("DIR", "RTL");
  body->AddStringParam("BACKGROUND", SessionOf(application).FileLocation(mForm.Background()));
  body->AddStringParam("BGPROPERTIES", mForm.Background().Fixed() ? "fixed" : "");
  body->AddColor("Text", mForm.TextColor());
  body->AddColor("Link", mForm.LinkColor());
  body->AddColor("VLink", mForm.VLinkColor());
  std::string style = "margin: 0;";
  if (mForm.BGColor() != clNone) style += "background-color: " + ColorToRGBString(mForm.BGColor()) + ";";
  body->AddStringParam("style", style);
  body->AddStringParam("OnLoad", "Initialize()");
  body->AddStringParam("OnUnload", "ReleaseKXCL()");
  if (mForm.FDoResizePrediction && mForm.OnResize) {
    TKXHTMLTag* frame = body->Contents()->AddTag("IFRAME", false);
    frame->AddStringParam("ID", "onresize");
    frame->AddStringParam("style", "position: absolute; left: -1000px; top: -1000px;");
    if (application != nullptr && Supports<TInternetExplorer>(application->Browser()) != nullptr)
      frame->AddStringParam("src", "javascript:false;");
  }
  TKXHTMLTagCollection* contents = body->Contents();
  if (IKXProgressIndicator* indicator = Supports<IKXProgressIndicator>(mForm.ProgressIndicator())) {
    contents->AddText(indicator->Render(), false);
    contents->AddText("<script type=\"text/javascript\">", false);
    auto piece = [&](const TStrings& list, const std::string& variable, const std::string& function,
                     const std::string& prefix) {
      const std::string text = list.Text();
      contents->AddText(text.empty() ? "var " + variable + "=false;"
                                     : "var " + variable + "=true; function " + function + "() {" + prefix + text + "}",
                        false);
    };
    piece(indicator->PreScript(), "PreScript", "PreProgressScript", "ReleaseLock();\r\n");
    piece(indicator->PostScript(), "PostScript", "PostProgressScript", "");
    piece(indicator->PreAsyncScript(), "PreAsyncScript", "PreAsyncProgressScript", "");
    piece(indicator->PostAsyncScript(), "PostAsyncScript", "PostAsyncProgressScript", "");
    contents->AddText("</script>", false);
  } else {
    contents->AddText("<script type=\"text/javascript\">", false);
    contents->AddText("var PreScript=false; PostScript=false;", false);
    contents->AddText("var PreAsyncScript=false; PostAsyncScript=false;", false);
    contents->AddText("</script>", false);
  }
}

// The page globals and the page's own functions. F12: GTrackID stays decimal
// (the client posts it in base 36); GResizeURL carries it in base 36, as the
// server reads it.
void TKXPageGenerator::AddPageScripts(TKXPageContext40& page) {
  TKXApplication* application = mForm.WebApplication();
  page.AddToInitProc("KX.Utils.fixIEMargins();");
  page.AddToJavaScriptOnce("function Body_OnBlur(){GSubmitting = false;}");
  page.AddToJavaScriptOnce(mForm.OnDefaultAction ? FillPageTemplate("KX_TPL_DEFAULTSUBMIT") : kDefaultSubmit);
  const std::int32_t timeout = gSC != nullptr ? gSC->ServerResizeTimeout() : 0;
  page.AddToJavaScriptOnce("var GOnResizetimeout=" + (timeout > 0 ? IntToStr(timeout) : std::string("1000")) + ";");
  const std::string sessionBase = application ? application->SessionInternalUrlBase() : std::string();
  page.AddToJavaScriptOnce(
      FillPageTemplate("KX_TPL_PAGEGLOBALS",
                       {{"IMPLICITSUBMIT", BoolText(bool(mForm.OnDefaultAction))},
                        {"URLBASE", JS(sessionBase)},
                        {"APPID", JS(application ? application->AppID() : std::string())},
                        {"TRACKID", IntToStr(application ? application->TrackID() : 0)}}) +
      CRLF);
  page.AddToJavaScriptOnce("function KXTop(){return window;}");
  if (IKXHTML40Control* active = mForm.ActiveControl())
    page.AddToInitProcFocusCode("KX.Utils.setActiveControl(\"" + JS(active->HTMLName()) + "\");");
  if (mForm.FDoResizePrediction && mForm.OnResize) {
    page.AddToJavaScriptOnce("var GResizeURL=\"" +
                             JS(sessionBase + "RESIZE" + "?KX_TrackID_=" +
                                (application ? application->TrackID36() : std::string("0"))) +
                             "\";");
  }
  std::string once;
  if (mForm.JavaScript().Count() > 0) once += CRLF + mForm.JavaScript().Text();
  if (!mForm.FJavaScriptOnce.empty()) once += CRLF + mForm.FJavaScriptOnce;
  page.AddToJavaScriptOnce(once);
}

// ---------------------------------------------------------------------------
// The hidden submit frame

void TKXPageGenerator::AddSubmitIFrame() {
  TKXPageContext40* page = mForm.FPageContext.get();
  if (page == nullptr) throw EKXException("AddSubmitIFrame needs the page being generated.");
  std::unique_ptr<TCacheStream> file;
  std::string href;
  TKXAppCache::NewCacheStream(&mForm, "text/html; charset=UTF-8", ctOneTime, file, href);
  file->Write(SubmitFramePage(*page));
  file.reset();  // seals it
  TKXHTMLTag* frame = page->BodyTag()->Contents()->AddTag("IFRAME", false);
  frame->AddStringParam("SRC", href);
  frame->AddStringParam("id", "SubmitFrame");
  frame->AddStringParam("style", "position:absolute;left:-1000px;top:-1000px");
}

std::string TKXPageGenerator::SubmitFramePage(TKXPageContext40& page) {
  const std::string& update = page.GetUpdateControlsProc();
  std::string text = "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<script>\r\nfunction updateControls() {\r\n" +
                     update + "}" + CRLF + "function init() { " + CRLF + "updateControls();" + CRLF;
  if (!update.empty()) {
    text += Format("KXTop().InitRects(%d, %d);", mForm.Width(), mForm.Height()) + CRLF +
            "KXTop().InitKXCLObjects();" + CRLF;
  }
  text += page.GetUpdateInitProc() + CRLF;
  auto* layout = Supports<IKXContainerLayout>(mForm.LayoutMgr());
  const bool templateLayout = layout != nullptr && layout->LayoutKind() == lkTemplate;
  if (!update.empty() && !templateLayout) text += "KXTop().Body_OnResize();\r\n";
  text += std::string("KXTop().GSubmitting=false;") + CRLF + "KXTop().ValidClick=true;" + CRLF + "}" + CRLF +
          "</script>" + CRLF + "</HEAD><body onload=\"init()\">";
  return text + page.FormTag()->Render() + "\r\n</body>\r\n</html>";
}

// ---------------------------------------------------------------------------
// The callback update

void TKXPageGenerator::GenerateCallBack(IKXCallBackResponse& response) {
  Start(true);
  TKXPageContext40& page = *mForm.FPageContext;
  TKXApplication* application = mForm.WebApplication();
  std::unique_ptr<TKXContainerContext> context = mForm.InitContainerContext(application);
  try {
    TKXRenderStream updates(true, true);
    RenderLayoutAsync(&mForm, context.get(), &page, updates);
    if (updates.Stream()->Size() > 0) response.AddTagToUpdate(updates);
    response.AddJavaScriptToExecuteAsCDATA(page.GetKXCLInitProc());
    if (mForm.FRenderKeepAlive) {
      response.AddJavaScriptToExecuteAsCDATA("KX.Session.initKeepAlive(" + KeepAliveInterval(mForm.KeepAlive()) + ");");
      mForm.FRenderKeepAlive = false;
    }
    response.AddJavaScriptToExecuteAsCDATA(mForm.FInitProc);
    if (application != nullptr) response.SetTrackNumber(IntToStr(application->TrackID()));
  } catch (...) {
    mForm.FInitProc.clear();
    throw;
  }
  mForm.FInitProc.clear();
}

// ---------------------------------------------------------------------------
// TKXForm's page steps

void TKXForm::DoGenerateForm(TKXRenderStream& stream) { TKXPageGenerator(*this).GeneratePage(stream); }

void TKXForm::AddSubmitIFrame() { TKXPageGenerator(*this).AddSubmitIFrame(); }

void TKXForm::DoGenerateCallBack(IKXCallBackResponse& response) { TKXPageGenerator(*this).GenerateCallBack(response); }

}  // namespace kx
