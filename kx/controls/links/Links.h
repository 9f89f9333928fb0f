// Hyperlink controls on the shared base TKXLinkBase: TKXLink posts the form (its OnClick server event) and shows
// as a label while it has no click handler or is disabled; TKXURL leads to another address, in the same window,
// a named target, a new browser window with chosen features, or through the stop address that ends the session
// first. Every URL and window name is escaped for the attribute or script string it lands in.
#pragma once

#include <cstdint>
#include <string>

#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"

namespace kx {

// Whether following url runs script (a "javascript:", "vbscript:" or "data:" URL): such a URL is never written
// into an href or a frame's source.
bool IsScriptURL(const std::string& url);

class TKXLinkBase : public TKXCustomControl, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXLinkBase, TKXCustomControl)

 public:
  // The control's text.
  const std::string& Caption() const { return Text(); }
  void SetCaption(const std::string& value) { SetText(value); }
  // taLeftJustify by default; a change invalidates.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value) { SetProperty(FAlignment, value); }
  // False by default: the caption is escaped; true writes it as markup.
  bool RawText() const { return FRawText; }
  void SetRawText(bool value) { SetProperty(FRawText, value); }

  // The caption as the link shows it: as it stands with RawText, else escaped with line breaks as "<br>".
  std::string GetRenderCaption() const;
  // The base style, the background colour, and the hand cursor when no cursor is set.
  std::string RenderStyle(TKXCompContext* context) override;
  // "control" of type "KXLINK" with the caption in "innerhtml".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // ---- IKXSubmitControl
  // Stores value, then DoClick (OnClick).
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // 65 x 17, no colour, underlined.
  void InitControl() override;
  // A DIV with the text alignment around content, when RenderSize is on and the alignment is not left.
  bool WrapsInAlignmentDiv();
  TKXElementPtr<TKXHTMLTag> AlignmentDiv(TKXElementPtr<TKXHTMLTag> content);

 private:
  TAlignment FAlignment = taLeftJustify;
  std::string FSubmitParam;
  bool FRawText = false;
};

// A link that submits the form.
class TKXLink : public TKXLinkBase {
  KX_COMPONENT_CLASS(TKXLink, TKXLinkBase)

 public:
  // Enabled with a server-side or asynchronous click: an A (in an alignment DIV when needed); else a label.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // With OnClick: the submit script on "OnClick", run only while the element is a link.
  void HookEvents(TKXPageContext40* pageContext, TKXScriptEvents& scriptEvents) override;

 protected:
  // RenderSize on, no submit validation.
  void InitControl() override;

 private:
  bool IsLink();
};

enum TKXURLTargetMode : std::uint8_t { tmNewWindow, tmBlank, tmSelf, tmParent, tmTop };

// Where and how a URL link opens.
class TKXURLTarget : public TPersistent {
 public:
  TKXURLTarget() = default;
  TKXURLTarget(bool addressBar, std::int32_t height, std::int32_t left, bool menu, bool resizable, bool scrollbars,
               bool toolbar, std::int32_t top, std::int32_t width, const std::string& windowName,
               TKXURLTargetMode mode);
  TKXURLTarget(const TKXURLTarget&) = delete;
  TKXURLTarget& operator=(const TKXURLTarget&) = delete;

  // False by default.
  bool AddressBar() const { return FAddressBar; }
  void SetAddressBar(bool value) { FAddressBar = value; }
  // Pixels; -1 (not given) by default.
  std::int32_t Height() const { return FHeight; }
  void SetHeight(std::int32_t value) { FHeight = value; }
  std::int32_t Left() const { return FLeft; }
  void SetLeft(std::int32_t value) { FLeft = value; }
  // False by default.
  bool Menu() const { return FMenu; }
  void SetMenu(bool value) { FMenu = value; }
  // True by default.
  bool Resizable() const { return FResizable; }
  void SetResizable(bool value) { FResizable = value; }
  // True by default.
  bool Scrollbars() const { return FScrollbars; }
  void SetScrollbars(bool value) { FScrollbars = value; }
  // False by default.
  bool Toolbar() const { return FToolbar; }
  void SetToolbar(bool value) { FToolbar = value; }
  std::int32_t Top() const { return FTop; }
  void SetTop(std::int32_t value) { FTop = value; }
  std::int32_t Width() const { return FWidth; }
  void SetWidth(std::int32_t value) { FWidth = value; }
  const std::string& WindowName() const { return FWindowName; }
  void SetWindowName(const std::string& value) { FWindowName = value; }
  // tmNewWindow by default.
  TKXURLTargetMode Mode() const { return FMode; }
  void SetMode(TKXURLTargetMode value) { FMode = value; }

  // "" for tmNewWindow, else "_blank", "_self", "_parent", "_top".
  static std::string GetModeString(TKXURLTargetMode mode);
  // The window features: "location=no,menubar=no,resizable=yes,toolbar=no,scrollbars=yes" and the position and
  // size that are not negative.
  std::string Features() const;

  void Assign(const TPersistent* source) override;

 private:
  bool FAddressBar = false;
  std::int32_t FHeight = -1;
  std::int32_t FLeft = -1;
  bool FMenu = false;
  bool FResizable = true;
  bool FScrollbars = true;
  bool FToolbar = false;
  std::int32_t FTop = -1;
  std::int32_t FWidth = -1;
  std::string FWindowName;
  TKXURLTargetMode FMode = tmNewWindow;
};

// A link to another address.
class TKXURL : public TKXLinkBase {
  KX_COMPONENT_CLASS(TKXURL, TKXLinkBase)

 public:
  // Owned.
  TKXURLTarget& TargetOptions() { return FTargetOptions; }
  void SetTargetOptions(const TKXURLTarget& value) { FTargetOptions.Assign(&value); }
  // False by default; true clears UseTarget: the link ends the session and then leads to URL.
  bool TerminateApp() const { return FTerminateApp; }
  void SetTerminateApp(bool value);
  // False by default (an absolute URL opens in "_blank"); true clears TerminateApp.
  bool UseTarget() const { return FUseTarget; }
  void SetUseTarget(bool value);
  // Trimmed. A value that differs ignoring case is stored and invalidates; the hint follows when it was the old URL.
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& value);

  // A URL link posts nothing.
  bool HasName() override { return false; }
  // An A (in an alignment DIV when needed) while enabled, else a SPAN; the hint becomes the URL when empty.
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXURL": the caption, the common properties, then "href", "target" and "onclick".
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // What the link does: its "href", "target" and click code (all empty while disabled).
  struct TLinkAction {
    std::string Href;
    std::string Target;
    std::string OnClick;
  };
  TLinkAction LinkAction();
  // Not absolute ("://"), not beginning with "." or "/".
  static bool IsRelativeUrl(const std::string& url);
  // "parent.LoadURL('/$/Stop/?url=...')" for the URL (the target encoded, so that "&" and "#" survive).
  std::string StopCode() const;
  // "NewWindow('url', 'name','features')", each a script string.
  std::string NewWindowCode() const;

 private:
  void DoRenderHTML(TKXHTMLTag* tag);

  TKXURLTarget FTargetOptions;
  bool FTerminateApp = false;
  bool FUseTarget = false;
  std::string FURL;
};

// Installs the family alone (its script "/js/KXLinks.js"). After Startup().
void InstallLinks();

// The family's registration (the links and URL links), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& LinksFamily();

}  // namespace kx
