// HTML templates: layouts that render a form (or a region) by filling an HTML
// page written by a designer. Each control tag in the page, {%Edit1%} or
// <#Edit1> as TagType says, is replaced by the control's markup; the page's
// HEAD, TITLE and BODY receive the form's head, title, FORM and hidden fields.
// TKXTemplateProcessorHTML reads the page from a file in the controller's
// TemplateDir (a language-specific variant first, a master template merged
// around it); TKXLayoutMgrHTML holds the page as text in the component.
// ConvertFromTemplate/ConvertToTemplate turn control tags into IMG elements an
// HTML editor can show, and back. Builds on forms/LayoutManagers.h.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kx/forms/LayoutManagers.h"
#include "kx/foundation/StyleTypes.h"
#include "kx/platform/Classes.h"
#include "kx/platform/StringLists.h"

namespace kx {

class TStream;

// Called for a tag that names no control; what it puts in value is written in its place.
using TKXUnknownTagEvent = std::function<void(const std::string& name, std::string& value)>;
// Called with the template (OnBeforeProcess; null when there is no file) or
// with a copy of the rendered page (OnAfterProcess); the handler may change or
// replace the stream, or supply one where there is none. What it leaves there
// is used.
using TKXTemplateProcessEvent = std::function<void(std::unique_ptr<TStream>& stream)>;

// The template file names of a template processor.
class TKXTemplateFiles : public TPersistent {
 public:
  // The file name relative to the controller's TemplateDir; empty: derived from the container's class.
  const std::string& Default() const { return FDefault; }
  void SetDefault(const std::string& value) { FDefault = value; }
  // Copies Default into another TKXTemplateFiles.
  void AssignTo(TPersistent* dest) const override;

 private:
  std::string FDefault;
};

class TKXTemplateProcessorHTML : public TKXContainerLayout {
  KX_COMPONENT_CLASS(TKXTemplateProcessorHTML, TKXContainerLayout)

 public:
  ~TKXTemplateProcessorHTML() override;

  // Whether the template writes the FORM around the BODY's contents (true).
  bool MasterFormTag() const { return FMasterFormTag; }
  void SetMasterFormTag(bool value) { FMasterFormTag = value; }
  TKXTemplateLayoutHTMLTagType TagType() const { return FTagType; }
  void SetTagType(TKXTemplateLayoutHTMLTagType value) { FTagType = value; }
  TKXTemplateFiles& Templates() { return *FTemplates; }
  void SetTemplates(const TKXTemplateFiles& value) { FTemplates->Assign(&value); }
  // Whether a placed control keeps a STYLE (its own, without positions) (true).
  bool RenderStyles() const { return FRenderStyles; }
  void SetRenderStyles(bool value) { FRenderStyles = value; }
  // Whether hidden inputs of input controls the template does not place are dropped (false).
  bool RemoveHiddenInputs() const { return FRemoveHiddenInputs; }
  void SetRemoveHiddenInputs(bool value) { FRemoveHiddenInputs = value; }
  // The master template's file name in TemplateDir; empty: the session's active one.
  const std::string& MasterTemplate() const { return FMasterTemplate; }
  void SetMasterTemplate(const std::string& value) { FMasterTemplate = value; }

  TKXUnknownTagEvent OnUnknownTag;
  TKXTemplateProcessEvent OnBeforeProcess;
  TKXTemplateProcessEvent OnAfterProcess;

  TKXLayoutKind LayoutKind() override { return lkTemplate; }
  // Enabled, and the template file exists or OnBeforeProcess may supply one.
  bool Able() override;
  // TemplateDir + Templates.Default. With Default empty the name is derived
  // from the current container's class (TForm1 gives "Form1.html") and kept in
  // Default once that file is found.
  std::string TemplatePathname();
  // Renders the template into stream. The file is read as UTF-8; a variant
  // for the request's language (Form1.de.html) is taken when it exists; a
  // form's master template is merged around it. Raises EKXException when there
  // is no template at all.
  void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
               TKXPageContext40* pageContext) override;
  // Fills the template text into stream (two passes: the first learns which
  // controls are placed and merges a form's BODY attributes, the second writes).
  // An unclosed control tag raises EKXException with its line.
  void ProcessStream(TKXRenderStream& stream, const std::string& templateText, TKXContainerContext* containerContext,
                     TKXPageContext40* pageContext);
  // The control's tag gets its CSS class and a STYLE without positions followed
  // by the control's own style text; then the inherited ProcessControl.
  void ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                      IKXBaseHTMLComponent* component) override;
  // "position: relative;" for a control that is also a container.
  void RenderStyle(IKXBaseHTMLControl* control, std::string& style) override;
  // True for the style properties the template's flow replaces: position,
  // left, top, width, height, z-index (exact case).
  static bool RemoveStyleProperty(const std::string& name);
  // Empty, or what OnUnknownTag returns.
  std::string DoUnknownTag(const std::string& name);

 protected:
  // Flow layout without frames.
  void InitControl() override;

 private:
  class TScan;
  friend class TScan;

  void ProcessInit(TKXPageContext40* pageContext);

  std::unique_ptr<TKXTemplateFiles> FTemplates;
  bool FRemoveHiddenInputs = false;
  bool FMasterFormTag = true;
  TKXTemplateLayoutHTMLTagType FTagType = ttKestrix;
  bool FRenderStyles = true;
  std::string mContentPath;
  std::string mURLBase;
  std::string FMasterTemplate;
};

// A layout that processes the HTML text it holds as a template.
class TKXLayoutMgrHTML : public TKXContainerLayout {
  KX_COMPONENT_CLASS(TKXLayoutMgrHTML, TKXContainerLayout)

 public:
  TStringList& HTML() { return FHTML; }
  void SetHTML(const TStrings& value) { FHTML.Assign(&value); }
  TKXUnknownTagEvent OnUnknownTag;

  TKXLayoutKind LayoutKind() override { return lkTemplate; }
  // The template processor over the text of HTML, attached to the current container meanwhile.
  void Process(TKXRenderStream& stream, TKXContainerContext* containerContext,
               TKXPageContext40* pageContext) override;
  // Delegated to the template processor (made on first use).
  void ProcessControl(TKXContainerContext* containerContext, TKXPageContext40* pageContext,
                      IKXBaseHTMLComponent* component) override;
  void ProcessControls(TKXContainerContext* containerContext, TKXPageContext40* pageContext) override;
  void RenderStyle(IKXBaseHTMLControl* control, std::string& style) override;

 protected:
  void InitControl() override;

 private:
  TKXTemplateProcessorHTML& Processor();

  TStringList FHTML;
  TKXTemplateProcessorHTML* FTemplateProcessor = nullptr;  // owned as a component
};

// The primary language of an Accept-Language text ("de-DE,de;q=0.8" gives
// "de"), lower case; empty unless it is 2 to 8 ASCII letters.
std::string TemplateLanguage(const std::string& acceptLanguage);
// path with language inserted before the first "." of its file name
// ("/t/Form1.html", "de" gives "/t/Form1.de.html"); empty when the file name
// has no "." or language is empty.
std::string LanguageTemplatePath(const std::string& path, const std::string& language);

// Each {%Name%} whose Name is in controls (sorted here) becomes
// <IMG CLASS="css" ID="Name" SRC="Name.jpg"> + CR LF, and Name leaves the list;
// other text is copied.
std::string ConvertFromTemplate(const std::string& templateText, TStringList& controls);
// Each IMG element whose ID names the picture its SRC points at becomes
// {%ID%} again; other tags are written as "<" + name + " " + attributes + ">".
std::string ConvertToTemplate(const std::string& html);

}  // namespace kx
