// Layout managers: the components that decide where a container's rendered
// controls go and write the page. TKXContainerLayout is the base the template
// layouts share (each control's ID, NAME and hidden inputs, the script section
// of the head); TKXLayoutMgrForm, the default, positions the controls
// absolutely, groups the posting ones in FORM wrappers and writes the page
// skeleton of a form. Builds on forms/RenderContexts.h and forms/BaseControls.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kx/forms/BaseControls.h"
#include "kx/forms/ControlInterfaces.h"
#include "kx/forms/RenderContexts.h"
#include "kx/foundation/Markup.h"
#include "kx/platform/Components.h"

namespace kx {

class TBrowser;
class TKXContainer;

enum TKXLayoutType : std::uint8_t { ltGrid, ltFlow };

class TKXBaseLayoutComponent : public TKXVCLComponent {
  KX_COMPONENT_CLASS(TKXBaseLayoutComponent, TKXVCLComponent)

 public:
  // The session's browser given to Initialize; null before.
  TBrowser* Browser() const { return FBrowser; }
  // True after creation.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  // Whether the layout can lay out a page now: Enabled here.
  virtual bool Able() { return FEnabled; }
  // Stores the browser, then Reset.
  virtual void Initialize(TBrowser* browser);
  // Nothing here.
  virtual void Reset() {}

 protected:
  void InitControl() override;

 private:
  TBrowser* FBrowser = nullptr;
  bool FEnabled = true;
};

class TKXBaseContainerLayout : public TKXBaseLayoutComponent, public virtual IKXContainerLayout {
  KX_COMPONENT_CLASS(TKXBaseContainerLayout, TKXBaseLayoutComponent)

 public:
  // Head texts the form fills before Process; rewritten for every page.
  const std::string& PreHeadContent() const { return FPreHeadContent; }
  void SetPreHeadContent(const std::string& value) { FPreHeadContent = value; }
  const std::string& HeadContent() const { return FHeadContent; }
  void SetHeadContent(const std::string& value) { FHeadContent = value; }

  // The container being laid out; null when none or once it has been freed.
  IKXBaseContainer* GetCurrentContainer() const { return Supports<IKXBaseContainer>(FContainer.Get()); }
  void SetContainer(IKXBaseContainer* container) override;
  // True when a container above the laid-out one has an able template layout,
  // which then provides the FORM of the page.
  bool GetNoFormTag() const;

  TKXLayoutKind LayoutKind() override { return lkOther; }
  // Nothing here.
  void RenderStyle(IKXBaseHTMLControl* control, std::string& style) override;

  // Writes the container's page (or part) into stream.
  virtual void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
                       TKXPageContext40* pageContext) = 0;

 protected:
  void InitControl() override;

 private:
  std::string FPreHeadContent;
  std::string FHeadContent;
  TComponentRef<TComponent> FContainer;
};

class TKXContainerLayout : public TKXBaseContainerLayout {
  KX_COMPONENT_CLASS(TKXContainerLayout, TKXBaseContainerLayout)

 public:
  // Whether controls with UseFrame get a frame drawn around them.
  bool AllowFrames() const { return FAllowFrames; }
  void SetAllowFrames(bool value) { FAllowFrames = value; }
  TKXLayoutType LayoutType() const { return FLayoutType; }
  void SetLayoutType(TKXLayoutType value) { FLayoutType = value; }

  // Raises Exception with the class name + ": Method Process is not implemented in this class".
  void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
               TKXPageContext40* pageContext) override;
  // The link files, the framework's script files (see the .cpp) and the inline
  // script with the page's once-only code, InitKXCLObjects() and Initialize().
  virtual std::string ScriptSection(TKXPageContext40* pageContext);
  // Gives the control's tag its ID (and NAME for an input control) when it has
  // none, adds the control's input names as hidden inputs of the page's FORM
  // and merges the control's script into the page.
  virtual void ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                              IKXBaseHTMLComponent* component);
  // ProcessControl for every control of the context in order, each followed by its OnHTMLTag.
  virtual void ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext);

 private:
  bool FAllowFrames = false;
  TKXLayoutType FLayoutType = ltGrid;
};

// The default layout: controls at absolute positions, the controls that post
// grouped in FORM wrappers (DIV under a template that provides the FORM), and
// the page skeleton of a form.
class TKXLayoutMgrForm : public TKXContainerLayout {
  KX_COMPONENT_CLASS(TKXLayoutMgrForm, TKXContainerLayout)

 public:
  TKXLayoutKind LayoutKind() override { return lkForm; }
  // "position: absolute;" (or relative) " left: Lpx; top: Tpx;" for a
  // positioned control whose parent is a form or an HTML 4.0 container.
  void RenderStyle(IKXBaseHTMLControl* control, std::string& style) override;
  // A form's page: doctype, head, BODY with the controls and the FORM of hidden
  // fields; any other container's controls are copied to stream as they are.
  void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
               TKXPageContext40* pageContext) override;
  // InsertClassID with the CSS check, then the inherited ProcessControl.
  void ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                      IKXBaseHTMLComponent* component) override;
  // The inherited ProcessControls; for a form also the resize and blur hooks of the start-up code.
  void ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  // Gives the tag its CSS class when it has none. With checkCss, the control's
  // style goes in front of the tag's STYLE, or, when its class list holds the
  // token NAME + "CSS", into the page's style tag as the rule ".NAMECSS {style}".
  void InsertClassID(TKXContainerContext* containerContext, TKXPageContext40* pageContext, bool checkCss,
                     IKXBaseHTMLComponent* component);

 protected:
  // Frames allowed, grid layout.
  void InitControl() override;
};

// The context a container context holds for component; null when none.
TKXCompContext* ComponentContextOf(TKXContainerContext* containerContext, const TComponent* component);

// Writes the component's tag into stream as the component writes it: an HTML tag through the component (tab index
// and extra attributes first), any other tag, or one without a component, after a CR LF.
void WriteTag(IKXBaseHTMLComponent* component, TKXMarkupLanguageTag* tag, TKXRenderStream& stream);

// ---------------------------------------------------------------------------
// A container's children rendered with its layout manager (forms and regions)

// A new context for the children of container whose layout is the container's
// able layout manager, attached to the container; else a new TKXLayoutMgrForm,
// which becomes the container's layout manager for good.
std::unique_ptr<TKXContainerContext> InitLayoutContext(TKXContainer* container, TKXApplication* application);
// Lets the context's layout process the rendered controls; nothing without a layout.
void ProcessLayoutControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext);
// Writes what the context's layout makes of the rendered controls into stream,
// then detaches the layout from its container; false (and nothing) without a layout.
bool ProcessLayout(TKXRenderStream& stream, TKXContainerContext* containerContext, TKXPageContext40* pageContext);
// The asynchronous variant: container renders the update elements of its
// components marked for refresh into containerContext, which are then written
// into updates; the layout is detached from the container on every way out.
void RenderLayoutAsync(IKXHTML40Container* container, TKXContainerContext* containerContext,
                       TKXPageContext40* pageContext, TKXRenderStream& updates);

}  // namespace kx
