#include "kx/forms/LayoutManagers.h"

#include <memory>

#include "kx/appserver/Application.h"
#include "kx/appserver/KXGlobal.h"
#include "kx/appserver/ServerController.h"
#include "kx/forms/Containers.h"
#include "kx/foundation/Browsers.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

TKXMarkupLanguageTag* TagOf(TKXBaseComponentContext* context) { return context ? context->MLTag() : nullptr; }

bool HasParam(TKXMarkupLanguageTag* tag, const std::string& name) { return tag->Params()->IndexOfName(name) >= 0; }

// A fresh wrapper for the controls that post: a FORM that submits through the
// page's default action, or a DIV when a template provides the FORM.
TKXElementPtr<TKXHTMLTag> NewWrapper(bool noFormTag) {
  if (noFormTag) return TKXHTMLTag::Create("DIV");
  TKXElementPtr<TKXHTMLTag> wrapper = TKXHTMLTag::Create("FORM");
  wrapper->AddStringParam("onSubmit", "return FormDefaultSubmit();");
  return wrapper;
}

}  // namespace

void WriteTag(IKXBaseHTMLComponent* component, TKXMarkupLanguageTag* tag, TKXRenderStream& stream) {
  if (auto* html = Supports<TKXHTMLTag>(tag); html != nullptr && component != nullptr) {
    component->MakeHTMLTag(html, stream);
  } else {
    stream.Write(CRLF);
    tag->Render(stream);
  }
}

TKXCompContext* ComponentContextOf(TKXContainerContext* containerContext, const TComponent* component) {
  if (containerContext == nullptr || component == nullptr) return nullptr;
  for (int i = 0; i < containerContext->GetControlsCount(); ++i) {
    if (containerContext->GetControlInstanceFromIndex(i) == component) {
      return Supports<TKXCompContext>(containerContext->GetComponentContextFromIndex(i));
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKXBaseLayoutComponent

void TKXBaseLayoutComponent::InitControl() {
  TKXVCLComponent::InitControl();
  FEnabled = true;
}

void TKXBaseLayoutComponent::Initialize(TBrowser* browser) {
  FBrowser = browser;
  Reset();
}

// ---------------------------------------------------------------------------
// TKXBaseContainerLayout

void TKXBaseContainerLayout::InitControl() {
  TKXBaseLayoutComponent::InitControl();
  FPreHeadContent.clear();
  FHeadContent.clear();
}

void TKXBaseContainerLayout::SetContainer(IKXBaseContainer* container) {
  FContainer = container ? container->InterfaceInstance() : nullptr;
}

bool TKXBaseContainerLayout::GetNoFormTag() const {
  TComponent* current = FContainer.Get();
  if (current == nullptr) return false;
  for (IKXBaseContainer* parent = GetKXParentContainer(current); parent != nullptr;
       parent = GetKXParentContainer(parent->InterfaceInstance())) {
    IKXHTML40Container* html = Supports<IKXHTML40Container>(parent->InterfaceInstance());
    auto* layout = Supports<TKXBaseContainerLayout>(html ? html->LayoutMgr() : nullptr);
    if (layout != nullptr && layout->LayoutKind() == lkTemplate && layout->Able()) return true;
  }
  return false;
}

void TKXBaseContainerLayout::RenderStyle(IKXBaseHTMLControl* control, std::string& style) { (void)control, (void)style; }

// ---------------------------------------------------------------------------
// TKXContainerLayout

void TKXContainerLayout::Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
                                 TKXPageContext40* pageContext) {
  (void)stream, (void)containerContext, (void)pageContext;
  throw Exception(ClassName() + ": Method Process is not implemented in this class");
}

// The framework's scripts: uncompressed, jQuery and its masked-input plug-in,
// the page's pre-scripts, then the five framework files; compressed, the
// bundled library, the pre-scripts and the bundled framework file. Then the
// browser's own file.
std::string TKXContainerLayout::ScriptSection(TKXPageContext40* pageContext) {
  const TKXJavaScriptOptions* options = gSC != nullptr ? gSC->JavaScriptOptions() : nullptr;
  const bool uncompressed = options != nullptr && options->UseUncompressedFiles();
  const bool jQuery = options == nullptr || options->RenderjQuery();
  std::string result = pageContext->RenderLinkFiles();
  if (uncompressed) {
    if (jQuery) result += pageContext->ScriptFile("/js/jquery.js") + pageContext->ScriptFile("/js/jquerymaskedinput.js");
    result += pageContext->RenderPreScriptFiles();
    for (const char* file : {"/js/KXPreScript.js", "/js/KXBrowser.js", "/js/KXCommon.js", "/js/KXCL.js", "/js/KXAjax.js"})
      result += pageContext->ScriptFile(file);
  } else {
    if (jQuery) result += pageContext->ScriptFile("/js/KXLib.js");
    result += pageContext->RenderPreScriptFiles();
    result += pageContext->ScriptFile("/js/KXBase.js");
  }
  const TBrowser* browser = pageContext->Browser() != nullptr ? pageContext->Browser() : Browser();
  const bool explorer = Supports<const TInternetExplorer>(browser) != nullptr;
  result += pageContext->ScriptFile(explorer ? "/js/KXExplorer.js" : "/js/KXGecko.js");

  result += std::string("<script type=\"text/javascript\">") + CRLF;
  if (options != nullptr && options->Debug()) result += std::string("KXDEBUG = true;") + CRLF;
  const TKXAjaxErrorMode errorMode = options != nullptr ? options->AjaxErrorMode() : emAlert;
  if (errorMode != emAlert) result += "KXAjaxErrorMode = " + IntToStr(int(errorMode)) + ";" + CRLF;
  if (!pageContext->JavaScript().empty()) result += pageContext->JavaScript() + CRLF;
  const std::string ready = pageContext->GetOnReadyProc();
  if (!ready.empty()) result += ready + CRLF;
  result += std::string("function InitKXCLObjects() {") + CRLF + pageContext->GetKXCLInitProc() + "}" + CRLF + CRLF +
            "function Initialize() {" + CRLF + pageContext->GetInitProc() + CRLF + "}" + CRLF + "</script>" + CRLF;
  return result;
}

void TKXContainerLayout::ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                                        IKXBaseHTMLComponent* component) {
  if (component == nullptr) return;
  TComponent* instance = component->InterfaceInstance();
  TKXCompContext* context = ComponentContextOf(containerContext, instance);
  bool renderInvisible = false;
  if (IKXBaseContainer* container = GetCurrentContainer()) {
    if (IKXInvisibleControlRenderer* renderer = Supports<IKXInvisibleControlRenderer>(container->InterfaceInstance()))
      renderInvisible = renderer->RenderInvisibleControls();
  }
  // A component without a tag gets no attributes (it renders nothing).
  if (TKXMarkupLanguageTag* tag = TagOf(context)) {
    if (!HasParam(tag, "id")) tag->AddStringParam("ID", component->HTMLName());
    if (component->SupportsInput() && component->HasName() && !HasParam(tag, "name"))
      tag->AddStringParam("NAME", component->HTMLName());
  }
  if (component->SupportsInput()) {
    IKXInputControl* input = Supports<IKXInputControl>(instance);
    if (input != nullptr && Supports<IMpfDataAttrib>(instance) == nullptr && pageContext != nullptr) {
      IKXBaseControl* control = Supports<IKXBaseControl>(instance);
      if (control == nullptr || control->Visible() || renderInvisible) {
        TStringList names;
        input->GetInputControlNames(names);
        for (int i = 0; i < names.Count(); ++i) pageContext->AppendHiddenInput(names.Strings(i));
      }
    }
  } else if (component->NeedsFormTag() && pageContext != nullptr) {
    pageContext->AppendHiddenInput(component->HTMLName());
  }
  if (pageContext != nullptr && context != nullptr) pageContext->AppendContext(context);
}

void TKXContainerLayout::ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  if (containerContext == nullptr) return;
  for (int i = 0; i < containerContext->GetControlsCount(); ++i) {
    IKXBaseHTMLComponent* component = Supports<IKXBaseHTMLComponent>(containerContext->GetControlInstanceFromIndex(i));
    if (component == nullptr) continue;
    ProcessControl(containerContext, pageContext, component);
    if (TKXMarkupLanguageTag* tag = TagOf(containerContext->GetComponentContextFromIndex(i))) component->DoHTMLTag(tag);
  }
}

// ---------------------------------------------------------------------------
// TKXLayoutMgrForm

void TKXLayoutMgrForm::InitControl() {
  TKXContainerLayout::InitControl();
  SetAllowFrames(true);
  SetLayoutType(ltGrid);
}

void TKXLayoutMgrForm::InsertClassID(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                                     bool checkCss, IKXBaseHTMLComponent* component) {
  if (component == nullptr) return;
  IKXHTML40Component* html = Supports<IKXHTML40Component>(component->InterfaceInstance());
  TKXCompContext* context = ComponentContextOf(containerContext, component->InterfaceInstance());
  TKXMarkupLanguageTag* tag = TagOf(context);
  if (html == nullptr || tag == nullptr) return;
  if (!HasParam(tag, "class")) tag->AddStringParam("CLASS", html->RenderCSSClass(context));
  if (!checkCss) return;
  const std::string token = html->HTMLName() + "CSS";
  const std::string classes = " " + tag->Params()->Values("class") + " ";
  const std::string style = html->RenderStyle(context);
  if (classes.find(" " + token + " ") == std::string::npos) {
    tag->AddStringParam("STYLE", style + tag->Params()->Values("style"));
  } else if (pageContext != nullptr) {
    pageContext->AddStyle("." + token + " {" + style + "}" + CRLF);
  }
}

void TKXLayoutMgrForm::ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                                      IKXBaseHTMLComponent* component) {
  InsertClassID(containerContext, pageContext, true, component);
  TKXContainerLayout::ProcessControl(containerContext, pageContext, component);
}

void TKXLayoutMgrForm::ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  TKXContainerLayout::ProcessControls(containerContext, pageContext);
  IKXBaseContainer* container = GetCurrentContainer();
  if (pageContext == nullptr || container == nullptr || !Supports<IKXHTML40Form>(container->InterfaceInstance())) return;
  pageContext->AddToInitProc("Body_OnResize();");
  pageContext->AddToInitProc("window.onresize = Body_OnResize;");
  pageContext->AddToInitProc("document.body.onblur = Body_OnBlur;");
}

void TKXLayoutMgrForm::RenderStyle(IKXBaseHTMLControl* control, std::string& style) {
  // Asked of the component rather than the interface, so the answers come from the cache.
  TComponent* instance = control ? control->InterfaceInstance() : nullptr;
  IKXBaseControl* base = Supports<IKXBaseControl>(instance);
  IKXHTML40Control* html = Supports<IKXHTML40Control>(instance);
  if (base == nullptr || html == nullptr) return;
  IKXBaseContainer* parent = base->ParentContainer();
  if (parent == nullptr || Supports<IKXHTML40Container>(parent->InterfaceInstance()) == nullptr) return;
  const TKXStyleRenderOptions& options = html->StyleRenderOptions();
  if (!options.RenderPosition()) return;
  style += options.RenderAbsolute() ? "position: absolute;" : "position: relative;";
  style += " left: " + IntToStr(html->HTMLLeft()) + "px;" + " top: " + IntToStr(html->HTMLTop()) + "px;";
}

void TKXLayoutMgrForm::Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
                               TKXPageContext40* pageContext) {
  const bool noFormTag = GetNoFormTag();
  TKXRenderStream body(true, true);
  TKXElementPtr<TKXHTMLTag> wrapper = NewWrapper(noFormTag);
  auto flush = [&]() {
    if (wrapper->Contents()->Count() == 0) return;
    wrapper->Render(body);
    wrapper = NewWrapper(noFormTag);
  };

  const int count = containerContext != nullptr ? containerContext->GetControlsCount() : 0;
  for (int i = 0; i < count; ++i) {
    TComponent* instance = containerContext->GetControlInstanceFromIndex(i);
    IKXBaseComponent* component = Supports<IKXBaseComponent>(instance);
    auto* context = Supports<TKXCompContext>(containerContext->GetComponentContextFromIndex(i));
    if (component == nullptr || context == nullptr) continue;
    IKXBaseHTMLComponent* html = Supports<IKXBaseHTMLComponent>(instance);
    if (!containerContext->CacheControls()) {
      context->SetMLTag(nullptr);
      context->SetMLTag(component->RenderMarkupLanguageTag(context));
      InsertClassID(containerContext, pageContext, false, html);
    }
    TKXMarkupLanguageTag* tag = context->MLTag();
    if (tag == nullptr) continue;
    const bool posts = component->SupportsInput() || component->SupportsSubmit();
    if (Supports<IKXBaseContainer>(instance)) {
      flush();
      if (posts && Supports<TKXHTMLContainer>(instance) == nullptr) {
        TKXRenderStream part(true, true);
        WriteTag(html, tag, part);
        wrapper->Contents()->AddBuffer(part, false);
      } else {
        WriteTag(html, tag, body);
      }
    } else if (!posts) {
      flush();
      WriteTag(html, tag, body);
    } else {
      TKXRenderStream part(true, true);
      WriteTag(html, tag, part);
      wrapper->Contents()->AddBuffer(part, false);
    }
  }
  flush();

  IKXBaseContainer* container = GetCurrentContainer();
  if (container == nullptr || !Supports<IKXHTML40Form>(container->InterfaceInstance()) || pageContext == nullptr) {
    stream.CopyFrom(body.Stream(), 0);
    return;
  }

  std::string head;
  if (!pageContext->DocType().empty()) head += pageContext->DocType() + CRLF;
  head += std::string("<html>") + CRLF + "<head>" + CRLF + "<meta charset=\"utf-8\">" + CRLF;
  if (!IsHtml5(pageContext->DocType())) {
    head += std::string("<meta http-equiv=\"cache-control\" content=\"no-cache\">") + CRLF +
            "<meta http-equiv=\"pragma\" content=\"no-cache\">" + CRLF;
  }
  head += "<title>" + pageContext->Title() + "</title>" + CRLF;
  if (gSC != nullptr && gSC->PageTransitions())
    head += std::string("<meta http-equiv=\"Page-Enter\" content=\"blendTrans(Duration=0.25)\">") + CRLF;
  head += PreHeadContent() + CRLF + ScriptSection(pageContext) + HeadContent() + CRLF;
  stream.Write(head);
  // The style tag starts with a line break; it is written once a rule was added.
  if (pageContext->StyleTag()->Contents()->Count() > 1) pageContext->StyleTag()->Render(stream);
  stream.Write(std::string("</head>") + CRLF);

  TKXApplication* application = pageContext->WebApplication();
  if (application == nullptr || !application->Terminated()) pageContext->FormTag()->Render(body);
  TKXHTMLTag* bodyTag = pageContext->BodyTag();
  bodyTag->Contents()->AddBuffer(body, false);
  bodyTag->Render(stream);
  stream.Write(std::string(CRLF) + "</html>");
}

// ---------------------------------------------------------------------------
// A container's children rendered with its layout manager

namespace {

TKXBaseContainerLayout* ContextLayout(const TKXContainerContext* containerContext) {
  return Supports<TKXBaseContainerLayout>(containerContext ? containerContext->Layout() : nullptr);
}

}  // namespace

std::unique_ptr<TKXContainerContext> InitLayoutContext(TKXContainer* container, TKXApplication* application) {
  auto context = std::make_unique<TKXContainerContext>(application, container->CacheControls());
  auto* layout = Supports<TKXBaseContainerLayout>(container->LayoutMgr());
  if (layout != nullptr && layout->Able()) {
    layout->SetContainer(container);
  } else {
    // A layout that cannot lay out the container is replaced for good.
    layout = TComponent::Create<TKXLayoutMgrForm>(container);
    container->SetLayoutMgr(layout);
  }
  context->SetLayout(layout);
  return context;
}

void ProcessLayoutControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  if (auto* layout = Supports<TKXContainerLayout>(ContextLayout(containerContext))) {
    layout->ProcessControls(containerContext, pageContext);
  }
}

bool ProcessLayout(TKXRenderStream& stream, TKXContainerContext* containerContext, TKXPageContext40* pageContext) {
  TKXBaseContainerLayout* layout = ContextLayout(containerContext);
  if (layout == nullptr) return false;
  layout->Process(stream, containerContext, pageContext);
  layout->SetContainer(nullptr);
  return true;
}

void RenderLayoutAsync(IKXHTML40Container* container, TKXContainerContext* containerContext,
                       TKXPageContext40* pageContext, TKXRenderStream& updates) {
  struct TDetach {
    TKXContainerContext* Context;
    ~TDetach() {
      if (TKXBaseContainerLayout* layout = ContextLayout(Context)) layout->SetContainer(nullptr);
    }
  } detach{containerContext};
  container->RenderAsyncComponents(containerContext, pageContext);
  for (int i = 0; i < containerContext->GetControlsCount(); ++i) {
    if (TKXMarkupLanguageTag* tag = containerContext->GetMarkupLanguageTagList(i)) tag->Render(updates);
  }
}

}  // namespace kx
