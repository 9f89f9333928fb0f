#include "kx/forms/RenderContexts.h"

#include <algorithm>
#include <utility>

#include "kx/appserver/Application.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* CRLF = "\r\n";

// The once-only script rule: a text of at least 3 characters already ending with CR LF is taken as it is.
void AppendOnce(std::string& target, const std::string& text) {
  target += text;
  if (!(text.size() > 2 && EndsStr(CRLF, text))) target += CRLF;
}

void AppendLine(std::string& target, const std::string& text) {
  if (text.empty()) return;
  target += text;
  target += CRLF;
}

void AddUnique(TStringList& list, const std::string& file) {
  if (file.empty() || list.IndexOf(file) >= 0) return;
  list.Add(file);
}

// The text of a script string literal, as controls write it (TKXBaseHTMLControl::TextToJSStringLiteral).
std::string JSLiteral(std::string_view text) { return ScriptStringText(text, /*dropCR=*/true); }

// Whether component is an application form (TKXAppForm).
bool IsAppForm(const TComponent* component) {
  const IKXForm* form = Supports<IKXForm>(component);
  return form != nullptr && form->IsAppForm();
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXBaseComponentContext

TKXBaseComponentContext::TKXBaseComponentContext(TComponent* component, TKXContainerContext* containerContext,
                                                 TKXBasePageContext* pageContext)
    : mComponent(component),
      mContainerContext(containerContext),
      mWebApplication(containerContext ? containerContext->WebApplication() : nullptr) {
  if (pageContext) mPageContext = pageContext->mLifetime;
}

TKXBaseComponentContext::~TKXBaseComponentContext() = default;

void TKXBaseComponentContext::SetMLTag(TKXElementPtr<TKXMarkupLanguageTag> tag) { mMLTag = std::move(tag); }

TKXBasePageContext* TKXBaseComponentContext::BasePageContext() const {
  std::shared_ptr<TKXBasePageContext*> page = mPageContext.lock();
  return page ? *page : nullptr;
}

// ---------------------------------------------------------------------------
// TKXCompContext

TKXCompContext::TKXCompContext(TComponent* component, TKXContainerContext* containerContext,
                               TKXBasePageContext* pageContext)
    : TKXBaseComponentContext(component, containerContext, pageContext) {
  if (WebApplication()) mBrowser = WebApplication()->Browser();
}

TKXHTMLTag* TKXCompContext::HTMLTag() const { return Supports<TKXHTMLTag>(MLTag()); }

TKXPageContext40* TKXCompContext::PageContext() const { return Supports<TKXPageContext40>(BasePageContext()); }

void TKXCompContext::AddScriptFile(const std::string& file) {
  if (TKXPageContext40* page = PageContext()) page->AddScriptFile(file);
}

void TKXCompContext::AddStyle(const std::string& text) {
  if (TKXPageContext40* page = PageContext()) page->AddStyle(text);
}

void TKXCompContext::AddClassStyle(const std::string& cssClass, const std::string& style) {
  if (TKXPageContext40* page = PageContext()) page->AddClassStyle(cssClass, style);
}

void TKXCompContext::AddValidation(const std::string& expression, const std::string& message) {
  if (TKXPageContext40* page = PageContext()) page->AddValidation(expression, message);
}

void TKXCompContext::AddToInitProc(const std::string& text) { AppendLine(FInitProc, text); }

void TKXCompContext::AddToInitProcDoLastCode(const std::string& text) { AppendLine(FInitProcDoLastCode, text); }

void TKXCompContext::AddToKXCLInitProc(const std::string& text) { AppendLine(FKXCLInitProc, text); }

void TKXCompContext::AddToUpdateInitProc(const std::string& text) { FUpdateInitProc += text; }

void TKXCompContext::AddToJavaScriptOnce(const std::string& text) { AppendOnce(FJavaScript, text); }

void TKXCompContext::InitKXCLProperty(const std::string& objectName, const std::string& property,
                                      const std::string& value) {
  IKXContainerLayout* layout = ContainerContext() ? ContainerContext()->LayoutInterface() : nullptr;
  if (layout == nullptr || layout->LayoutKind() != lkForm) return;
  if (TKXPageContext40* page = PageContext()) {
    page->AddToKXCLInitProc("  " + objectName + "KXCL." + property + " = " + value + ";" + CRLF);
  }
}

void TKXCompContext::CacheImage(const std::string& name, const std::string& src) {
  AddToJavaScriptOnce("GImageCache_" + name + "=new Image();" + CRLF + "GImageCache_" + name + ".src=\"" +
                      JSLiteral(src) + "\";");
}

void TKXCompContext::Clear() {
  FInitProc.clear();
  FInitProcDoLastCode.clear();
  FJavaScript.clear();
  FKXCLInitProc.clear();
  FUpdateInitProc.clear();
}

// ---------------------------------------------------------------------------
// TKXContainerContext

TKXContainerContext::TKXContainerContext(TKXApplication* application, bool cacheControls)
    : mWebApplication(application), mCacheControls(cacheControls) {}

TKXContainerContext::~TKXContainerContext() { Clear(); }

std::string ComponentPath(const TComponent* component) {
  const TComponent* owner = component->Owner();
  if (owner != nullptr && !owner->Name().empty() && !IsAppForm(owner)) {
    std::string path = ComponentPath(owner);
    if (SameText(component->Name(), "KXFrameRegion")) return path;
    return path + "." + component->Name();
  }
  return component->Name();
}

bool TKXContainerContext::AddComponent(std::unique_ptr<TKXBaseComponentContext> context) {
  if (!context) return false;
  TComponent* component = context->Component();
  if (component == nullptr) return false;

  if (Supports<IMpfDataAttrib>(component)) mFormEncoding = feMultiPart;

  std::string name;
  if (IKXBaseComponent* base = Supports<IKXBaseComponent>(component)) {
    name = base->ComponentName();
    if (GetControlInstance(name) == component) return false;  // registered already: the context is freed
  } else {
    name = component->Name();
  }

  const std::string upperName = UpperCase(name);
  const std::size_t entry = mEntries.size();
  mEntries.push_back(TEntry{component, std::move(context)});
  mAliases.push_back(TAlias{upperName, entry});

  const std::string upperPath = UpperCase(ComponentPath(component));
  if (upperPath != upperName) {
    mAliases.push_back(TAlias{upperPath, entry});
    mAliases.push_back(TAlias{UpperCase(component->Name()), entry});
  }
  return true;
}

std::unique_ptr<TKXBaseComponentContext> TKXContainerContext::RemoveComponent(TKXBaseComponentContext* context) {
  std::unique_ptr<TKXBaseComponentContext> result;
  if (context == nullptr) return result;
  const auto it = std::find_if(mEntries.begin(), mEntries.end(),
                               [context](const TEntry& entry) { return entry.Context.get() == context; });
  if (it == mEntries.end()) return result;
  const std::size_t removed = std::size_t(it - mEntries.begin());
  result = std::move(it->Context);
  mEntries.erase(it);
  // No name may lead to a context the caller may now free; the names of later entries move down with them.
  std::erase_if(mAliases, [removed](const TAlias& alias) { return alias.Entry == removed; });
  for (TAlias& alias : mAliases)
    if (alias.Entry > removed) --alias.Entry;
  return result;
}

void TKXContainerContext::Clear() {
  mUpdateTree = false;
  mAliases.clear();
  // The contexts' tags may refer to each other's structures: free them one by one from the back.
  while (!mEntries.empty()) mEntries.pop_back();
  mMarkupTagList.Clear();
}

void TKXContainerContext::ReleaseRendering() {
  // From the back, as Clear frees them.
  for (auto it = mEntries.rbegin(); it != mEntries.rend(); ++it) {
    if (IKXBaseContainer* nested = Supports<IKXBaseContainer>(it->Component.Get())) {
      if (TKXContainerContext* own = nested->ContainerContext(); own != nullptr && own != this) own->ReleaseRendering();
    }
    it->Context.reset();
  }
  mMarkupTagList.Clear();
  mEntries.shrink_to_fit();
  mAliases.shrink_to_fit();
}

const TKXContainerContext::TAlias* TKXContainerContext::FindAlias(const std::string& upperName) const {
  for (const TAlias& alias : mAliases) {
    if (alias.Name == upperName && mEntries[alias.Entry].Component) return &alias;
  }
  return nullptr;
}

const TKXContainerContext* TKXContainerContext::Descend(const std::string& upperName, std::string& rest) const {
  const std::size_t dot = upperName.find('.');
  if (dot == std::string::npos) return nullptr;
  const std::string prefix = upperName.substr(0, dot);
  const TAlias* alias = FindAlias(prefix);
  TComponent* component = alias ? mEntries[alias->Entry].Component.Get() : nullptr;
  IKXBaseContainer* container = Supports<IKXBaseContainer>(component);
  if (container == nullptr) return nullptr;
  rest = upperName.substr(dot + 1);
  // A container that has not rendered has no context: the name is not valid.
  return container->ContainerContext();
}

bool TKXContainerContext::IsValidComponent(const std::string& name) const {
  const std::string upperName = UpperCase(name);
  if (FindAlias(upperName)) return true;
  std::string rest;
  const TKXContainerContext* nested = Descend(upperName, rest);
  return nested != nullptr && nested->IsValidComponent(rest);
}

TComponent* TKXContainerContext::GetControlInstance(const std::string& name) const {
  const std::string upperName = UpperCase(name);
  if (const TAlias* alias = FindAlias(upperName)) return mEntries[alias->Entry].Component.Get();
  std::string rest;
  const TKXContainerContext* nested = Descend(upperName, rest);
  return nested ? nested->GetControlInstance(rest) : nullptr;
}

TKXBaseComponentContext* TKXContainerContext::GetComponentContext(const std::string& name) const {
  const std::string upperName = UpperCase(name);
  if (const TAlias* alias = FindAlias(upperName)) return mEntries[alias->Entry].Context.get();
  std::string rest;
  const TKXContainerContext* nested = Descend(upperName, rest);
  return nested ? nested->GetComponentContext(rest) : nullptr;
}

TComponent* TKXContainerContext::GetControlInstanceFromIndex(int index) const {
  if (index < 0 || index >= GetControlsCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return mEntries[std::size_t(index)].Component.Get();
}

TKXBaseComponentContext* TKXContainerContext::GetComponentContextFromIndex(int index) const {
  if (index < 0 || index >= GetControlsCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return mEntries[std::size_t(index)].Context.get();
}

TKXMarkupLanguageTag* TKXContainerContext::GetMarkupLanguageTag(const std::string& name) const {
  TKXBaseComponentContext* context = GetComponentContext(name);
  return context ? context->MLTag() : nullptr;
}

TKXMarkupLanguageTag* TKXContainerContext::GetMarkupLanguageTagList(int index) const {
  return GetComponentContextFromIndex(index)->MLTag();
}

// ---------------------------------------------------------------------------
// Page contexts

TKXBasePageContext::TKXBasePageContext(TKXApplication* application)
    : mWebApplication(application), mLifetime(std::make_shared<TKXBasePageContext*>(this)) {}

TKXBaseHTMLPageContext::TKXBaseHTMLPageContext(TKXApplication* application)
    : TKXBasePageContext(application), mFormTag(TKXHTMLTag::Create("FORM")), mBodyTag(TKXHTMLTag::Create("BODY")) {
  if (application) mBrowser = application->Browser();
}

void TKXBaseHTMLPageContext::AppendHiddenInput(const std::string& name) {
  if (mFormHiddenInput.IndexOf(name) >= 0) return;
  mFormTag->Contents()->AddHiddenField(name, "");
  mFormHiddenInput.Add(name);
}

void TKXBaseHTMLPageContext::Clear(bool keepContent) {
  TKXBasePageContext::Clear(keepContent);
  mBodyTag->Params()->Clear();
  if (!keepContent) {
    mFormHiddenInput.Clear();
    mExtraHeader.Clear();
    mPreHeader.Clear();
    mFormTag->Contents()->Clear();
    mBodyTag->Contents()->Clear();
  }
}

TKXPageContext40::TKXPageContext40(TKXApplication* application)
    : TKXBaseHTMLPageContext(application), mStyleTag(TKXHTMLTag::Create("style")) {
  ResetStyleTag();
}

void TKXPageContext40::ResetStyleTag() {
  mStyleTag->Contents()->Clear();
  mStyleTag->Params()->Clear();
  mStyleTag->AddStringParam("type", "text/css");
  mStyleTag->Contents()->AddText(CRLF, false);
}

void TKXPageContext40::AddToInitProc(const std::string& text) { AppendLine(FInitProc, text); }
void TKXPageContext40::AddToInitProcFocusCode(const std::string& text) { AppendLine(FInitProcFocusCode, text); }
void TKXPageContext40::AddToInitProcNewWindowCode(const std::string& text) {
  AppendLine(FInitProcNewWindowCode, text);
}
void TKXPageContext40::AddToInitProcPageUnlockCode(const std::string& text) {
  AppendLine(FInitProcPageUnlockCode, text);
}
void TKXPageContext40::AddToInitProcDoLastCode(const std::string& text) { AppendLine(FInitProcDoLastCode, text); }
void TKXPageContext40::AddToUpdateInitProc(const std::string& text) { AppendLine(FUpdateInitProc, text); }
void TKXPageContext40::AddToUpdateInitProcNewWindowCode(const std::string& text) {
  AppendLine(FUpdateInitProcNewWindowCode, text);
}
void TKXPageContext40::AddToUpdateInitProcFocusCode(const std::string& text) {
  AppendLine(FUpdateInitProcFocusCode, text);
}
void TKXPageContext40::AddToUpdateInitProcPageUnlockCode(const std::string& text) {
  AppendLine(FUpdateInitProcPageUnlockCode, text);
}
void TKXPageContext40::AddToKXCLInitProc(const std::string& text) { AppendLine(FKXCLInitProc, text); }
void TKXPageContext40::AddToUpdateControlsProc(const std::string& text) { AppendLine(FUpdateControlsProc, text); }
void TKXPageContext40::AddToOnReady(const std::string& text) { FOnReadyProc += text; }
void TKXPageContext40::AddToJavaScriptOnce(const std::string& text) { AppendOnce(FJavaScript, text); }
void TKXPageContext40::AddScriptFile(const std::string& file) { AddUnique(FScriptFiles, file); }
void TKXPageContext40::AddPreScriptFile(const std::string& file) { AddUnique(FPreScriptFiles, file); }
void TKXPageContext40::AddLinkFile(const std::string& file) { AddUnique(FLinkFiles, file); }

void TKXPageContext40::AddValidation(const std::string& expression, const std::string& message) {
  FValidation.Add(expression);
  FValidationMsg.Add(message);
}

void TKXPageContext40::AddStyle(const std::string& text) {
  if (!text.empty()) mStyleTag->Contents()->AddText(text, false);
}

void TKXPageContext40::AddClassStyle(const std::string& cssClass, const std::string& style) {
  AddStyle(cssClass + " {" + style + "}" + CRLF);
}

std::string TKXPageContext40::GetInitProc() const {
  return FInitProc + FInitProcPageUnlockCode + FInitProcFocusCode + FInitProcNewWindowCode + FInitProcDoLastCode;
}

std::string TKXPageContext40::GetUpdateInitProc() const {
  return FUpdateInitProc + FUpdateInitProcPageUnlockCode + "setTimeout(\"" +
         JSLiteral(FUpdateInitProcFocusCode) +
         JSLiteral(FUpdateInitProcNewWindowCode) + "\");" + CRLF;
}

std::string TKXPageContext40::GetOnReadyProc() const {
  if (FOnReadyProc.empty()) return std::string();
  return "$(document).ready(function(){" + FOnReadyProc + "});";
}

std::string TKXPageContext40::RenderScriptFiles() const {
  std::string result;
  for (int i = 0; i < FScriptFiles.Count(); ++i) {
    if (!FScriptFiles.Strings(i).empty()) result += ScriptFile(FScriptFiles.Strings(i));
  }
  return result;
}

std::string TKXPageContext40::RenderPreScriptFiles() const {
  std::string result;
  for (int i = 0; i < FPreScriptFiles.Count(); ++i) {
    if (!FPreScriptFiles.Strings(i).empty()) result += ScriptFile(FPreScriptFiles.Strings(i));
  }
  return result;
}

std::string TKXPageContext40::RenderLinkFiles() const {
  std::string result;
  for (int i = 0; i < FLinkFiles.Count(); ++i) {
    if (!FLinkFiles.Strings(i).empty()) result += LinkFile(FLinkFiles.Strings(i));
  }
  return result;
}

std::string TKXPageContext40::ScriptFile(const std::string& file) const {
  const std::string url = StartsText("/js/", file) ? GetInternalFileURL(file) : GetExternalFileURL(file);
  return "<script type=\"text/javascript\" src=\"" + EscapeAttributeQuotes(url) + "\"></script>" + CRLF;
}

std::string TKXPageContext40::LinkFile(const std::string& file) const {
  return "<link href=\"" + EscapeAttributeQuotes(GetExternalFileURL(file)) +
         "\" rel=\"stylesheet\" type=\"text/css\"/>" + CRLF;
}

std::string TKXPageContext40::GetInternalFileURL(const std::string& file) const {
  return WebApplication() ? WebApplication()->GetInternalFileURL(file) : file;
}

std::string TKXPageContext40::GetExternalFileURL(const std::string& file) const {
  return WebApplication() ? WebApplication()->GetExternalFileURL(file) : file;
}

void TKXPageContext40::AppendContext(TKXBaseComponentContext* context) {
  auto* component = Supports<TKXCompContext>(context);
  if (component == nullptr) return;
  AddToInitProc(component->InitProc());
  if (!component->JavaScript().empty()) AddToJavaScriptOnce(component->JavaScript());
  AddToKXCLInitProc(component->KXCLInitProc());
  AddToUpdateInitProc(component->UpdateInitProc());
  AddToInitProcDoLastCode(component->InitProcDoLastCode());
}

void TKXPageContext40::FinalizeContext() {
  AddToJavaScriptOnce("function Validate() {");
  for (int i = 0; i < FValidation.Count(); ++i) {
    // The message goes into a script literal: escaped, so that a quote or a line break cannot end it.
    const std::string message =
        i < FValidationMsg.Count() ? JSLiteral(FValidationMsg.Strings(i)) : "";
    AddToJavaScriptOnce(std::string("  if(") + FValidation.Strings(i) + ") {" + CRLF + "    ReleaseLock();" + CRLF +
                        "    window.alert(\"" + message + "\");" + CRLF + "    return false;" + CRLF + "  }");
  }
  AddToJavaScriptOnce(std::string("  return true;") + CRLF + "}" + CRLF);
}

void TKXPageContext40::Clear(bool keepContent) {
  TKXBaseHTMLPageContext::Clear(keepContent);
  for (std::string* text : {&FOnReadyProc, &FInitProc, &FInitProcFocusCode, &FInitProcNewWindowCode,
                            &FInitProcPageUnlockCode, &FInitProcDoLastCode, &FUpdateInitProc,
                            &FUpdateInitProcNewWindowCode, &FUpdateInitProcFocusCode,
                            &FUpdateInitProcPageUnlockCode, &FKXCLInitProc, &FJavaScript, &FDocType,
                            &FUpdateControlsProc}) {
    text->clear();
  }
  FScriptFiles.Clear();
  FLinkFiles.Clear();
  FValidation.Clear();
  FValidationMsg.Clear();
  FPreScriptFiles.Clear();
  if (!keepContent) ResetStyleTag();
}

}  // namespace kx
