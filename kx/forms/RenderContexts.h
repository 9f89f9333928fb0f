// Render contexts: what containers, components and the page collect while a
// form renders (component tags, styles, script files, start-up code,
// validations, hidden fields), read back by the layout and the page generator.
// TKXContainerContext registers a container's components and their contexts by
// name and dotted path; TKXCompContext holds one component's tag and script;
// TKXPageContext40 holds the page's FORM, BODY and style tags and all its code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/ControlSession.h"
#include "kx/foundation/Markup.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/Components.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TBrowser;
class TKXApplication;
class TKXContainerContext;
class TKXBasePageContext;
class TKXBaseHTMLPageContext;
class TKXPageContext40;

// ---------------------------------------------------------------------------
// Component contexts

// One rendered component: its tag (owned) and where it was rendered.
class TKXBaseComponentContext : public TObject, public IKXRenderSession {
 public:
  TKXBaseComponentContext(TComponent* component, TKXContainerContext* containerContext,
                          TKXBasePageContext* pageContext);
  TKXBaseComponentContext(const TKXBaseComponentContext&) = delete;
  TKXBaseComponentContext& operator=(const TKXBaseComponentContext&) = delete;
  ~TKXBaseComponentContext() override;

  // The rendered tag; null before rendering or when the component renders none.
  TKXMarkupLanguageTag* MLTag() const { return mMLTag.get(); }
  // Frees the previous tag.
  void SetMLTag(TKXElementPtr<TKXMarkupLanguageTag> tag);
  // Hands the tag to the caller (for wrapping it); the context holds none afterwards.
  TKXElementPtr<TKXMarkupLanguageTag> TakeMLTag() { return std::move(mMLTag); }

  // Null once the component has been freed.
  TComponent* Component() const { return mComponent.Get(); }
  TKXContainerContext* ContainerContext() const { return mContainerContext; }
  TKXApplication* WebApplication() const override { return mWebApplication; }
  // Null once the page context has been freed (a kept container context outlives its page).
  TKXBasePageContext* BasePageContext() const;
  bool PostRender() const { return mPostRender; }
  void SetPostRender(bool value) { mPostRender = value; }

 private:
  TKXElementPtr<TKXMarkupLanguageTag> mMLTag;
  TComponentRef<TComponent> mComponent;
  TKXContainerContext* mContainerContext;
  TKXApplication* mWebApplication;
  std::weak_ptr<TKXBasePageContext*> mPageContext;
  bool mPostRender = false;
};

// The context a control renders into: its tag and the script it contributes.
class TKXCompContext : public TKXBaseComponentContext {
 public:
  TKXCompContext(TComponent* component, TKXContainerContext* containerContext, TKXBasePageContext* pageContext);

  // The tag as an HTML tag; null when there is none or it is another kind of tag.
  TKXHTMLTag* HTMLTag() const;
  void SetHTMLTag(TKXElementPtr<TKXHTMLTag> tag) { SetMLTag(std::move(tag)); }
  // The session's browser; null without a session.
  TBrowser* Browser() const { return mBrowser; }
  // What the control may ask of the session it renders for (the calling thread's when the context has none):
  // whether this is a callback, library file URLs, script for the callback answer, the controller's settings.
  TKXControlSession Session() const { return TKXControlSession::Of(this); }
  // The page context as a TKXPageContext40; null when it is none or has been freed.
  TKXPageContext40* PageContext() const;

  // Forwarded to the page context (nothing without one).
  void AddScriptFile(const std::string& file);
  void AddStyle(const std::string& text);
  void AddClassStyle(const std::string& cssClass, const std::string& style);
  void AddValidation(const std::string& expression, const std::string& message);

  // Append text + CR LF; nothing for an empty text.
  void AddToInitProc(const std::string& text);
  void AddToInitProcDoLastCode(const std::string& text);
  void AddToKXCLInitProc(const std::string& text);
  // Appends text as it is, without a line break.
  void AddToUpdateInitProc(const std::string& text);
  // A text longer than 2 characters that ends with CR LF as it is, any other + CR LF.
  void AddToJavaScriptOnce(const std::string& text);
  // Only under the form layout: "  " + object + "KXCL." + property + " = " + value + ";" + CR LF
  // into the page's client-object start-up code. value is script as it is.
  void InitKXCLProperty(const std::string& objectName, const std::string& property, const std::string& value);
  // Once-only script that preloads an image into "GImageCache_" + name; src is escaped as a script literal.
  void CacheImage(const std::string& name, const std::string& src);
  // Empties the five texts.
  virtual void Clear();

  const std::string& InitProc() const { return FInitProc; }
  const std::string& InitProcDoLastCode() const { return FInitProcDoLastCode; }
  const std::string& JavaScript() const { return FJavaScript; }
  const std::string& KXCLInitProc() const { return FKXCLInitProc; }
  const std::string& UpdateInitProc() const { return FUpdateInitProc; }

 private:
  TBrowser* mBrowser = nullptr;
  std::string FInitProc;
  std::string FInitProcDoLastCode;
  std::string FJavaScript;
  std::string FKXCLInitProc;
  std::string FUpdateInitProc;
};

// ---------------------------------------------------------------------------
// Container context

// The registry of a container's rendered components and of their contexts, by
// upper-cased name and by dotted path (FRAME1.EDIT1). It owns the contexts.
class TKXContainerContext : public TObject {
 public:
  TKXContainerContext(TKXApplication* application, bool cacheControls);
  TKXContainerContext(const TKXContainerContext&) = delete;
  TKXContainerContext& operator=(const TKXContainerContext&) = delete;
  ~TKXContainerContext() override;

  // Registers the context under the component's name and, when it differs, its
  // dotted path. Returns false, freeing the context, when this very component is
  // registered already (a context that is not kept is always freed). A component
  // implementing IMpfDataAttrib switches the encoding to feMultiPart.
  bool AddComponent(std::unique_ptr<TKXBaseComponentContext> context);
  // Takes the context out of every list and hands it back; null when it is not here.
  std::unique_ptr<TKXBaseComponentContext> RemoveComponent(TKXBaseComponentContext* context);
  // Frees every context and empties every list; UpdateTree becomes false.
  void Clear();
  // Frees the contexts (with their tags and scripts) and the kept tag list, here and in the own contexts of the
  // containers registered here, but keeps the registry: names and indexes still lead to the components, and
  // GetComponentContext answers null. For a context kept after its page was written, which only answers
  // look-ups until the next rendering replaces it.
  void ReleaseRendering();

  // Look-ups by name or dotted path, ignoring case. A dotted name descends into
  // the own context of the container its first part names; a part that is not a
  // container, or a container not rendered yet, makes the name invalid.
  TKXBaseComponentContext* GetComponentContext(const std::string& name) const;
  TComponent* GetControlInstance(const std::string& name) const;
  bool IsValidComponent(const std::string& name) const;

  // The registered components in registration order; a freed component reads as null.
  int GetControlsCount() const { return int(mEntries.size()); }
  TComponent* GetControlInstanceFromIndex(int index) const;
  TKXBaseComponentContext* GetComponentContextFromIndex(int index) const;
  // The tag of the named component's context; null when there is none.
  TKXMarkupLanguageTag* GetMarkupLanguageTag(const std::string& name) const;
  TKXMarkupLanguageTag* GetMarkupLanguageTagList(int index) const;

  // The layout component in use (implementing IKXContainerLayout); set by the container before rendering.
  TComponent* Layout() const { return mLayout.Get(); }
  void SetLayout(TComponent* layout) { mLayout = layout; }
  IKXContainerLayout* LayoutInterface() const { return Supports<IKXContainerLayout>(mLayout.Get()); }
  // feURL at creation.
  TKXFormEncoding FormEncoding() const { return mFormEncoding; }
  void SetFormEncoding(TKXFormEncoding value) { mFormEncoding = value; }
  bool UpdateTree() const { return mUpdateTree; }
  void SetUpdateTree(bool value) { mUpdateTree = value; }
  TKXApplication* WebApplication() const { return mWebApplication; }
  bool CacheControls() const { return mCacheControls; }
  // Tags kept for the rendering code of the container; owned, emptied by Clear.
  TKXMarkupLanguageTagCollection& MarkupTagList() { return mMarkupTagList; }

 private:
  // A registered component with its context (owned).
  struct TEntry {
    TComponentRef<TComponent> Component;
    std::unique_ptr<TKXBaseComponentContext> Context;
  };
  // One name by which a registered component may be looked up: it refers to the component's entry, whose reference
  // and context it reads (an idle form keeps its names, so each name costs no reference of its own).
  struct TAlias {
    std::string Name;  // upper case
    std::size_t Entry;  // index in mEntries
  };

  // The alias of that name whose component still exists; null when none.
  const TAlias* FindAlias(const std::string& upperName) const;
  // The container context of the container that the part before the first dot
  // names, with the rest after the dot; null when there is no such container.
  const TKXContainerContext* Descend(const std::string& upperName, std::string& rest) const;

  std::vector<TEntry> mEntries;
  std::vector<TAlias> mAliases;
  TKXMarkupLanguageTagCollection mMarkupTagList{nullptr};
  TComponentRef<TComponent> mLayout;
  TKXFormEncoding mFormEncoding = feURL;
  bool mUpdateTree = false;
  TKXApplication* mWebApplication;
  bool mCacheControls;
};

// The path by which a container context finds a component besides its name:
// owner path + "." + name up to an application form; "KXFrameRegion" adds nothing.
std::string ComponentPath(const TComponent* component);

// ---------------------------------------------------------------------------
// Page contexts

class TKXBasePageContext : public TObject {
 public:
  explicit TKXBasePageContext(TKXApplication* application);
  TKXBasePageContext(const TKXBasePageContext&) = delete;
  TKXBasePageContext& operator=(const TKXBasePageContext&) = delete;

  TKXApplication* WebApplication() const { return mWebApplication; }
  // Nothing in the base.
  virtual void Clear(bool keepContent) { (void)keepContent; }
  virtual void AppendContext(TKXBaseComponentContext* context) { (void)context; }

 private:
  friend class TKXBaseComponentContext;

  TKXApplication* mWebApplication;
  // Tells the component contexts whether this page context still exists.
  std::shared_ptr<TKXBasePageContext*> mLifetime;
};

class TKXBaseHTMLPageContext : public TKXBasePageContext {
 public:
  explicit TKXBaseHTMLPageContext(TKXApplication* application);

  TKXHTMLTag* FormTag() const { return mFormTag.get(); }
  TKXHTMLTag* BodyTag() const { return mBodyTag.get(); }
  const std::string& URLBase() const { return mURLBase; }
  void SetURLBase(const std::string& value) { mURLBase = value; }
  const std::string& Title() const { return mTitle; }
  void SetTitle(const std::string& value) { mTitle = value; }
  // The session's browser; null without a session.
  TBrowser* Browser() const { return mBrowser; }
  TStringList& FormHiddenInput() { return mFormHiddenInput; }
  TStringList& ExtraHeader() { return mExtraHeader; }
  TStringList& PreHeader() { return mPreHeader; }
  // The form being rendered; null once it has been freed.
  TComponent* ParentForm() const { return mParentForm.Get(); }
  void SetParentForm(TComponent* form) { mParentForm = form; }

  // Adds an empty hidden field of that name to the FORM tag, once per name.
  void AppendHiddenInput(const std::string& name);
  // Always empties the BODY tag's attributes; without keepContent also the
  // hidden-input names, the header lists and the contents of FORM and BODY.
  void Clear(bool keepContent) override;

 private:
  TKXElementPtr<TKXHTMLTag> mFormTag;
  TKXElementPtr<TKXHTMLTag> mBodyTag;
  std::string mURLBase;
  std::string mTitle;
  TBrowser* mBrowser = nullptr;
  TStringList mFormHiddenInput;
  TStringList mExtraHeader;
  TStringList mPreHeader;
  TComponentRef<TComponent> mParentForm;
};

// The page of an HTML 4.0 form: style tag, script and style-sheet files,
// validations and the start-up code. Every collector ignores an empty text
// unless said otherwise.
class TKXPageContext40 : public TKXBaseHTMLPageContext {
 public:
  explicit TKXPageContext40(TKXApplication* application);

  // Each appends text + CR LF.
  void AddToInitProc(const std::string& text);
  void AddToInitProcFocusCode(const std::string& text);
  void AddToInitProcNewWindowCode(const std::string& text);
  void AddToInitProcPageUnlockCode(const std::string& text);
  void AddToInitProcDoLastCode(const std::string& text);
  void AddToUpdateInitProc(const std::string& text);
  void AddToUpdateInitProcNewWindowCode(const std::string& text);
  void AddToUpdateInitProcFocusCode(const std::string& text);
  void AddToUpdateInitProcPageUnlockCode(const std::string& text);
  void AddToKXCLInitProc(const std::string& text);
  void AddToUpdateControlsProc(const std::string& text);
  // Appends text as it is.
  void AddToOnReady(const std::string& text);
  // A text of at least 3 characters ending with CR LF as it is; any other text
  // (also the empty one) + CR LF.
  void AddToJavaScriptOnce(const std::string& text);
  // Each adds the file unless the list holds it already (ignoring case).
  void AddScriptFile(const std::string& file);
  void AddPreScriptFile(const std::string& file);
  void AddLinkFile(const std::string& file);
  // Always adds both.
  void AddValidation(const std::string& expression, const std::string& message);
  // Adds text as a text child of the style tag.
  void AddStyle(const std::string& text);
  // AddStyle(cssClass + " {" + style + "}" + CR LF).
  void AddClassStyle(const std::string& cssClass, const std::string& style);

  // InitProc + PageUnlock + Focus + NewWindow + DoLast code.
  std::string GetInitProc() const;
  const std::string& GetKXCLInitProc() const { return FKXCLInitProc; }
  const std::string& GetUpdateControlsProc() const { return FUpdateControlsProc; }
  // UpdateInitProc + UpdatePageUnlock code + "setTimeout(\"" + the focus and
  // new-window code as script literals + "\");" + CR LF (always present).
  std::string GetUpdateInitProc() const;
  // Empty without ready code, else "$(document).ready(function(){" + code + "});".
  std::string GetOnReadyProc() const;
  const std::string& JavaScript() const { return FJavaScript; }
  std::string RenderScriptFiles() const;
  std::string RenderPreScriptFiles() const;
  std::string RenderLinkFiles() const;
  // The script element of a file: the internal-file URL for a path starting
  // with "/js/" (any case), else the external one.
  std::string ScriptFile(const std::string& file) const;
  std::string LinkFile(const std::string& file) const;
  // The session's URLs of an embedded framework file and of an application
  // file; the name as it is without a session.
  virtual std::string GetInternalFileURL(const std::string& file) const;
  virtual std::string GetExternalFileURL(const std::string& file) const;

  // Merges a TKXCompContext's code into the page.
  void AppendContext(TKXBaseComponentContext* context) override;
  // Writes the page's Validate() function into the once-only script; call once per page.
  void FinalizeContext();
  // Empties the start-up code, the once-only script, the doctype and the file
  // and validation lists; without keepContent also resets the style tag.
  void Clear(bool keepContent) override;

  TKXHTMLTag* StyleTag() const { return mStyleTag.get(); }
  TStringList& ScriptFiles() { return FScriptFiles; }
  TStringList& PreScriptFiles() { return FPreScriptFiles; }
  TStringList& LinkFiles() { return FLinkFiles; }
  TStringList& Validation() { return FValidation; }
  TStringList& ValidationMsg() { return FValidationMsg; }
  // The form's progress indicator; null when none or freed.
  TComponent* ProgressIndicator() const { return mProgressIndicator.Get(); }
  void SetProgressIndicator(TComponent* value) { mProgressIndicator = value; }
  // False at creation.
  bool ServerResize() const { return mServerResize; }
  void SetServerResize(bool value) { mServerResize = value; }
  const std::string& DocType() const { return FDocType; }
  void SetDocType(const std::string& value) { FDocType = value; }

 private:
  void ResetStyleTag();

  std::string FOnReadyProc;
  std::string FInitProc;
  std::string FInitProcFocusCode;
  std::string FInitProcNewWindowCode;
  std::string FInitProcPageUnlockCode;
  std::string FInitProcDoLastCode;
  std::string FUpdateInitProc;
  std::string FUpdateInitProcNewWindowCode;
  std::string FUpdateInitProcFocusCode;
  std::string FUpdateInitProcPageUnlockCode;
  std::string FKXCLInitProc;
  std::string FUpdateControlsProc;
  std::string FJavaScript;
  TStringList FScriptFiles;
  TStringList FPreScriptFiles;
  TStringList FLinkFiles;
  TStringList FValidation;
  TStringList FValidationMsg;
  TKXElementPtr<TKXHTMLTag> mStyleTag;
  TComponentRef<TComponent> mProgressIndicator;
  bool mServerResize = false;
  std::string FDocType;
};

}  // namespace kx
