// The data navigator: a row (or column) of up to ten image buttons that move through, edit, post, cancel, delete
// and refresh the records of the data set behind its DataSource. A click submits the page with the button's
// caption as the control's value; Submit turns the caption back into a button and runs the data-set operation.
//
//   auto* navigator = TComponent::Create<TKXDBNavigator>(this);
//   navigator->SetParent(this);
//   navigator->SetDataSource(customersSource);
//   navigator->Confirmations().SetDelete(RSDeleteMessage);
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kx/appserver/FileReference.h"
#include "kx/controls/dbcontrols/DBCommon.h"

namespace kx {

enum TNavigateBtn : std::uint8_t {
  nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh,
};
using TButtonSet = TEnumSet<TNavigateBtn>;
inline constexpr int kNavigateBtnCount = 10;
inline constexpr TButtonSet kAllNavigateButtons{nbFirst, nbPrior, nbNext,   nbLast,   nbInsert,
                                                nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
enum TKXOrientation : std::uint8_t { orHorizontal, orVertical };
enum TKXDBNavInsertMode : std::uint8_t { imInsert, imAppend };
using TKXDBNavBeforeActionEvent = std::function<void(TObject* sender, TNavigateBtn button, bool& handled)>;

// The captions, which are also the posted values.
extern const char* const RSbtnNameFirst;
extern const char* const RSbtnNamePrior;
extern const char* const RSbtnNameNext;
extern const char* const RSbtnNameLast;
extern const char* const RSbtnNameEdit;
extern const char* const RSbtnNameInsert;
extern const char* const RSbtnNameDelete;
extern const char* const RSbtnNamePost;
extern const char* const RSbtnNameCancel;
extern const char* const RSbtnNameRefresh;
extern const char* const RSInvalidResponse;
extern const char* const RSDeleteMessage;
extern const char* const RSUpdateMessage;
extern const char* const RSCancelMessage;

// The caption of a button.
const char* NavigateButtonCaption(TNavigateBtn button);

// The confirmation asked before each button's action; empty asks none.
class TKXDBNavConfirmations : public TPersistent {
 public:
  // All empty; with defaults, Delete, Post and Cancel take RSDeleteMessage, RSUpdateMessage and RSCancelMessage.
  explicit TKXDBNavConfirmations(bool defaults = false);
  TKXDBNavConfirmations(std::string first, std::string prior, std::string next, std::string last, std::string edit,
                        std::string insert, std::string deleteText, std::string post, std::string cancel,
                        std::string refresh);

#define KX_NAV_TEXT(Name, Button)                                                   \
  const std::string& Name() const { return FTexts[Button]; }                        \
  void Set##Name(const std::string& value) { FTexts[Button] = value; }
  KX_NAV_TEXT(First, nbFirst)
  KX_NAV_TEXT(Prior, nbPrior)
  KX_NAV_TEXT(Next, nbNext)
  KX_NAV_TEXT(Last, nbLast)
  KX_NAV_TEXT(Edit, nbEdit)
  KX_NAV_TEXT(Insert, nbInsert)
  KX_NAV_TEXT(Delete, nbDelete)
  KX_NAV_TEXT(Post, nbPost)
  KX_NAV_TEXT(Cancel, nbCancel)
  KX_NAV_TEXT(Refresh, nbRefresh)
#undef KX_NAV_TEXT
  // The text of a button.
  const std::string& Text(TNavigateBtn button) const { return FTexts[button]; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::array<std::string, kNavigateBtnCount> FTexts;
};

class TKXDBNavigator;

// The author's images of each button, enabled and disabled; an empty one falls back to the built-in GIF.
class TKXDBNavImages : public TPersistent {
 public:
  explicit TKXDBNavImages(TKXDBNavigator* navigator = nullptr);
  // Copies of the given images: the enabled ones of Cancel, Delete, Edit, First, Insert, Last, Next, Post, Prior
  // and Refresh, then the disabled ones in the same order.
  TKXDBNavImages(const std::array<const TKXFileReference*, kNavigateBtnCount * 2>& alphabetical);

  // The image of a button in a state (owned).
  TKXFileReference& Image(TNavigateBtn button, bool enabled) { return *FImages[Index(button, enabled)]; }
  const TKXFileReference& Image(TNavigateBtn button, bool enabled) const { return *FImages[Index(button, enabled)]; }
  // Copies value into the image of that button and state.
  void SetImage(TNavigateBtn button, bool enabled, const TKXFileReference& value);
  TKXDBNavigator* Navigator() const { return FNavigator; }

#define KX_NAV_IMAGE(Name, Button)                                                                        \
  TKXFileReference& Name##_Enabled() { return Image(Button, true); }                                      \
  void Set##Name##_Enabled(const TKXFileReference& value) { SetImage(Button, true, value); }              \
  TKXFileReference& Name##_Disabled() { return Image(Button, false); }                                    \
  void Set##Name##_Disabled(const TKXFileReference& value) { SetImage(Button, false, value); }
  KX_NAV_IMAGE(First, nbFirst)
  KX_NAV_IMAGE(Prior, nbPrior)
  KX_NAV_IMAGE(Next, nbNext)
  KX_NAV_IMAGE(Last, nbLast)
  KX_NAV_IMAGE(Edit, nbEdit)
  KX_NAV_IMAGE(Insert, nbInsert)
  KX_NAV_IMAGE(Delete, nbDelete)
  KX_NAV_IMAGE(Post, nbPost)
  KX_NAV_IMAGE(Cancel, nbCancel)
  KX_NAV_IMAGE(Refresh, nbRefresh)
#undef KX_NAV_IMAGE

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  static int Index(TNavigateBtn button, bool enabled) { return int(button) * 2 + (enabled ? 0 : 1); }
  TKXDBNavigator* FNavigator;
  std::array<std::unique_ptr<TKXFileReference>, kNavigateBtnCount * 2> FImages;
};

class TKXDBNavigator : public TKXCustomControl, public virtual IKXSubmitControl {
  KX_COMPONENT_CLASS(TKXDBNavigator, TKXCustomControl)

 public:
  // Not owned; cleared when it is freed.
  TDataSource* DataSource() const { return FBinding.DataSource(); }
  void SetDataSource(TDataSource* value);
  TKXDBNavConfirmations& Confirmations() { return *FConfirmations; }
  void SetConfirmations(const TKXDBNavConfirmations& value) { FConfirmations->Assign(&value); }
  TKXDBNavImages& CustomImages() { return *FCustomImages; }
  // Copies the twenty references.
  void SetDBNavImages(const TKXDBNavImages& value);
  // All ten by default. An empty set hides the control.
  TButtonSet VisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TButtonSet value);
  TKXOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TKXOrientation value) { SetProperty(FOrientation, value); }
  TKXDBNavInsertMode InsertMode() const { return FInsertMode; }
  void SetInsertMode(TKXDBNavInsertMode value) { FInsertMode = value; }
  // 24 x 24 by default.
  std::int32_t ImageWidth() const { return FImageWidth; }
  void SetImageWidth(std::int32_t value) { SetProperty(FImageWidth, value); }
  std::int32_t ImageHeight() const { return FImageHeight; }
  void SetImageHeight(std::int32_t value) { SetProperty(FImageHeight, value); }

  // Fired after the button's operation.
  TNotifyEvent OnFirst, OnPrior, OnNext, OnLast, OnEdit, OnInsert, OnDelete, OnPost, OnCancel, OnRefresh;
  // Fired before any operation; setting handled cancels it.
  TKXDBNavBeforeActionEvent OnBeforeAction;

  // The button whose caption is name, ignoring case; raises Exception RSInvalidResponse otherwise.
  static TNavigateBtn GetButton(const std::string& name);
  // The same, or nothing.
  static std::optional<TNavigateBtn> FindButton(const std::string& name);
  // Whether the button is enabled for the data set as it stands.
  bool ButtonEnabled(TNavigateBtn button) const;

  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // "control" of type "KXDBNAVIGATOR" with the buttons' table as its innerHTML.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;

  // ---- IKXSubmitControl
  // Runs the button's operation. A caption whose button is hidden or disabled is refused like an unknown one:
  // a forged post must not delete a record the page offered no button for. The refusal is EKXSubmitRefused
  // RSInvalidResponse, the client's doing.
  void Submit(const std::string& value) override;
  TSubmitProc getSubmitProc() override;
  std::string GetSubmitParam() override { return FSubmitParam; }

 protected:
  // Height 28, width 250, no confirmations.
  void InitControl() override;

 private:
  // The TABLE of the visible buttons; null when there is none.
  TKXElementPtr<TKXHTMLTag> RenderButtons(TKXCompContext* context);
  TKXElementPtr<TKXHTMLTag> RenderButton(TKXCompContext* context, TNavigateBtn button, bool enabled, bool hasData);
  void RunOperation(TNavigateBtn button, TDataSet& data);

  TKXDBBinding FBinding{this};
  std::unique_ptr<TKXDBNavConfirmations> FConfirmations;
  std::unique_ptr<TKXDBNavImages> FCustomImages;
  TButtonSet FVisibleButtons = kAllNavigateButtons;
  // The buttons the last rendering drew enabled: what the page lets the visitor press. A typed value posted with
  // the press may have changed the data set's state since (an edit puts it in edit mode).
  std::optional<TButtonSet> FDrawnEnabled;
  TKXOrientation FOrientation = orHorizontal;
  TKXDBNavInsertMode FInsertMode = imInsert;
  std::int32_t FImageWidth = 24;
  std::int32_t FImageHeight = 24;
  std::string FSubmitParam;
};

}  // namespace kx
