#include "kx/controls/dbgrid/DBNavigator.h"

#include "kx/appserver/Application.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/SysUtils.h"

namespace kx {

const char* const RSbtnNameFirst = "First";
const char* const RSbtnNamePrior = "Prior";
const char* const RSbtnNameNext = "Next";
const char* const RSbtnNameLast = "Last";
const char* const RSbtnNameEdit = "Edit";
const char* const RSbtnNameInsert = "Insert";
const char* const RSbtnNameDelete = "Delete";
const char* const RSbtnNamePost = "Post";
const char* const RSbtnNameCancel = "Cancel";
const char* const RSbtnNameRefresh = "Refresh";
const char* const RSInvalidResponse = "%s is not a valid response.";
const char* const RSDeleteMessage = "Are you sure you want to delete this record?";
const char* const RSUpdateMessage = "Are you sure you want to update this record?";
const char* const RSCancelMessage = "Are you sure you want to cancel your changes to this record?";

namespace {

// The image file names, by enumeration value.
constexpr const char* kImageNames[kNavigateBtnCount] = {"First",  "Prior", "Next", "Last",   "Insert",
                                                        "Delete", "Edit",  "Post", "Cancel", "Refresh"};
// The rendered order: Edit before Insert although the enumeration has them the other way round.
constexpr TNavigateBtn kRenderOrder[kNavigateBtnCount] = {nbFirst,  nbPrior, nbNext,   nbLast,   nbEdit,
                                                          nbInsert, nbDelete, nbPost, nbCancel, nbRefresh};
// The buttons whose click checks the page's input first.
constexpr TButtonSet kValidatingButtons{nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbInsert, nbPost};

// What the buttons' enabled states read from the data set.
struct TNavState {
  bool HasData = false;
  bool AtBOF = false;
  bool AtEOF = false;
  bool CanModify = false;
  bool Editing = false;
  bool Empty = false;
};

TNavState ReadState(const TDataSource* source) {
  TNavState state;
  state.HasData = CheckDataSource(source);
  if (!state.HasData) return state;
  const TDataSet& data = *source->DataSet();
  state.AtBOF = data.Bof();
  state.AtEOF = data.Eof();
  state.CanModify = data.CanModify();
  state.Editing = InEditMode(data);
  state.Empty = data.IsEmpty();
  return state;
}

bool ButtonOn(const TNavState& s, TNavigateBtn button) {
  if (!s.HasData) return false;
  switch (button) {
    case nbFirst:
    case nbPrior: return !s.AtBOF;
    case nbNext:
    case nbLast: return !s.AtEOF;
    case nbEdit:
    case nbInsert:
    case nbRefresh: return s.CanModify && !s.Editing;
    case nbDelete: return s.CanModify && !s.Editing && !s.Empty;
    case nbPost:
    case nbCancel: return s.CanModify && s.Editing;
  }
  return false;
}

void Fire(const TNotifyEvent& event, TObject* sender) {
  if (event) event(sender);
}

}  // namespace

const char* NavigateButtonCaption(TNavigateBtn button) {
  static const char* const* const captions[kNavigateBtnCount] = {
      &RSbtnNameFirst,  &RSbtnNamePrior,  &RSbtnNameNext,  &RSbtnNameLast,   &RSbtnNameInsert,
      &RSbtnNameDelete, &RSbtnNameEdit,   &RSbtnNamePost,  &RSbtnNameCancel, &RSbtnNameRefresh};
  return *captions[button];
}

// ---------------------------------------------------------------------------
// TKXDBNavConfirmations

TKXDBNavConfirmations::TKXDBNavConfirmations(bool defaults) {
  if (!defaults) return;
  FTexts[nbDelete] = RSDeleteMessage;
  FTexts[nbPost] = RSUpdateMessage;
  FTexts[nbCancel] = RSCancelMessage;
}

TKXDBNavConfirmations::TKXDBNavConfirmations(std::string first, std::string prior, std::string next,
                                             std::string last, std::string edit, std::string insert,
                                             std::string deleteText, std::string post, std::string cancel,
                                             std::string refresh) {
  FTexts[nbFirst] = std::move(first);
  FTexts[nbPrior] = std::move(prior);
  FTexts[nbNext] = std::move(next);
  FTexts[nbLast] = std::move(last);
  FTexts[nbEdit] = std::move(edit);
  FTexts[nbInsert] = std::move(insert);
  FTexts[nbDelete] = std::move(deleteText);
  FTexts[nbPost] = std::move(post);
  FTexts[nbCancel] = std::move(cancel);
  FTexts[nbRefresh] = std::move(refresh);
}

void TKXDBNavConfirmations::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXDBNavConfirmations*>(dest);
  if (other == nullptr) return TPersistent::AssignTo(dest);
  other->FTexts = FTexts;
}

// ---------------------------------------------------------------------------
// TKXDBNavImages

TKXDBNavImages::TKXDBNavImages(TKXDBNavigator* navigator) : FNavigator(navigator) {
  for (auto& image : FImages) image = std::make_unique<TKXFileReference>();
}

TKXDBNavImages::TKXDBNavImages(const std::array<const TKXFileReference*, kNavigateBtnCount * 2>& alphabetical)
    : TKXDBNavImages(nullptr) {
  constexpr TNavigateBtn kAlphabetical[kNavigateBtnCount] = {nbCancel, nbDelete, nbEdit, nbFirst, nbInsert,
                                                             nbLast,   nbNext,   nbPost, nbPrior, nbRefresh};
  for (int i = 0; i < kNavigateBtnCount * 2; ++i)
    if (const TKXFileReference* image = alphabetical[std::size_t(i)])
      Image(kAlphabetical[i % kNavigateBtnCount], i < kNavigateBtnCount).Assign(image);
}

void TKXDBNavImages::SetImage(TNavigateBtn button, bool enabled, const TKXFileReference& value) {
  Image(button, enabled).Assign(&value);
  if (FNavigator) FNavigator->Invalidate();
}

void TKXDBNavImages::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXDBNavImages*>(dest);
  if (other == nullptr) return TPersistent::AssignTo(dest);
  for (std::size_t i = 0; i < FImages.size(); ++i) other->FImages[i]->Assign(FImages[i].get());
  if (other->FNavigator) other->FNavigator->Invalidate();
}

// ---------------------------------------------------------------------------
// TKXDBNavigator

void TKXDBNavigator::InitControl() {
  TKXCustomControl::InitControl();
  // Default confirmation texts belong to a navigator placed at design time, which is not built here: a
  // navigator made at run time asks for no confirmation until the author sets one.
  FConfirmations = std::make_unique<TKXDBNavConfirmations>(false);
  FCustomImages = std::make_unique<TKXDBNavImages>(this);
  SetHeight(28);
  SetWidth(250);
}

void TKXDBNavigator::SetDataSource(TDataSource* value) {
  FBinding.SetDataSource(value);
  Invalidate();
}

void TKXDBNavigator::SetDBNavImages(const TKXDBNavImages& value) { FCustomImages->Assign(&value); }

void TKXDBNavigator::SetVisibleButtons(TButtonSet value) {
  FVisibleButtons = value;
  // A hidden navigator stays hidden when buttons come back.
  SetVisible(value.Empty() ? false : Visible());
  Invalidate();
}

std::optional<TNavigateBtn> TKXDBNavigator::FindButton(const std::string& name) {
  constexpr TNavigateBtn kCompareOrder[kNavigateBtnCount] = {nbFirst,  nbPrior,  nbNext, nbLast,   nbEdit,
                                                             nbInsert, nbDelete, nbPost, nbCancel, nbRefresh};
  for (TNavigateBtn button : kCompareOrder)
    if (SameText(name, NavigateButtonCaption(button))) return button;
  return std::nullopt;
}

TNavigateBtn TKXDBNavigator::GetButton(const std::string& name) {
  if (std::optional<TNavigateBtn> button = FindButton(name)) return *button;
  throw Exception(Format(RSInvalidResponse, name));
}

bool TKXDBNavigator::ButtonEnabled(TNavigateBtn button) const { return ButtonOn(ReadState(DataSource()), button); }

TKXElementPtr<TKXHTMLTag> TKXDBNavigator::RenderButton(TKXCompContext* context, TNavigateBtn button, bool enabled,
                                                       bool hasData) {
  const std::string caption = NavigateButtonCaption(button);
  const TKXControlSession session = TKXControlSession::Of(context);
  std::string url = session.FileLocation(FCustomImages->Image(button, enabled));
  if (url.empty()) {
    const std::string base = session.LibraryURLBase("/$/");
    url = base + "gfx/DBNav_" + kImageNames[button] + (enabled && hasData ? "" : "Disabled") + ".gif";
  }
  TKXElementPtr<TKXHTMLTag> image = TKXHTMLTag::Create("IMG");
  image->AddStringParam("SRC", url);
  image->AddStringParam("ALT", caption);
  image->AddIntegerParam("BORDER", 0);
  image->AddStringParam("style", Format("position:relative;width:%dpx;height:%dpx;left:%dpx;top:0px;", FImageWidth,
                                        FImageHeight, 0));

  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("BUTTON");
  // A BUTTON inside the page's form would submit it by itself: the click script alone submits.
  tag->AddStringParam("type", "button");
  tag->AddStringParam("style", Format("width:%dpx;height:%dpx;padding-left:0px;padding-top:0px;", FImageWidth + 6,
                                      FImageHeight + 6));
  if (enabled) {
    const bool savedValidation = DoSubmitValidation();
    const std::string savedConfirmation = Confirmation();
    SetDoSubmitValidation(kValidatingButtons.Contains(button));
    SetConfirmation(FConfirmations->Text(button));
    tag->AddStringParam("OnClick", SubmitHandler(caption, HTMLName(), true));
    SetDoSubmitValidation(savedValidation);
    SetConfirmation(savedConfirmation);
  }
  tag->Contents()->AddTagAsObject(std::move(image), false);
  // Every button shows its caption as its tooltip; the control's own hint comes back afterwards, unmarked.
  const std::string savedHint = Hint();
  const bool wasRefresh = DoRefreshControl();
  SetHint(caption);
  HintEvents(tag.get());
  SetHint(savedHint);
  SetDoRefreshControl(wasRefresh);
  return tag;
}

TKXElementPtr<TKXHTMLTag> TKXDBNavigator::RenderButtons(TKXCompContext* context) {
  const TNavState state = ReadState(DataSource());
  TKXElementPtr<TKXHTMLTag> table = TKXHTMLTag::Create("TABLE");
  table->AddIntegerParam("cellspacing", 0);
  table->AddIntegerParam("border", 0);
  table->AddIntegerParam("cellpadding", 0);
  TKXMarkupLanguageTag* row = nullptr;
  FDrawnEnabled = TButtonSet();
  for (TNavigateBtn button : kRenderOrder) {
    if (ButtonOn(state, button)) FDrawnEnabled->Include(button);
    if (!FVisibleButtons.Contains(button)) continue;
    if (row == nullptr || FOrientation == orVertical) row = table->Contents()->AddTag("TR", false);
    TKXMarkupLanguageTag* cell = row->Contents()->AddTag("TD", false);
    cell->AddIntegerParam("width", FImageWidth + 6);
    cell->AddIntegerParam("height", FImageHeight + 6);
    cell->Contents()->AddTagAsObject(RenderButton(context, button, ButtonOn(state, button), state.HasData), false);
  }
  if (row == nullptr) return nullptr;
  return table;
}

TKXElementPtr<TKXHTMLTag> TKXDBNavigator::RenderHTML(TKXCompContext* context) {
  TKXElementPtr<TKXHTMLTag> table = RenderButtons(context);
  if (!table) return nullptr;
  TKXElementPtr<TKXHTMLTag> span = TKXHTMLTag::Create("SPAN");
  span->Contents()->AddTagAsObject(std::move(table), false);
  return span;
}

TKXElementPtr<TKXXMLTag> TKXDBNavigator::RenderAsync(TKXCompContext* context) {
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXDBNAVIGATOR");
  TKXMarkupLanguageTag* inner = tag->Contents()->AddTag("innerHTML", false);
  if (TKXElementPtr<TKXHTMLTag> table = RenderButtons(context)) inner->Contents()->AddTagAsObject(std::move(table), false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  return tag;
}

void TKXDBNavigator::RunOperation(TNavigateBtn button, TDataSet& data) {
  auto postWhenEditing = [&data] {
    if (InEditMode(data)) data.Post();
  };
  auto cancelWhenEditing = [&data] {
    if (InEditMode(data)) data.Cancel();
  };
  switch (button) {
    case nbFirst: postWhenEditing(); data.First(); return Fire(OnFirst, this);
    case nbPrior: postWhenEditing(); data.Prior(); return Fire(OnPrior, this);
    case nbNext: postWhenEditing(); data.Next(); return Fire(OnNext, this);
    case nbLast: postWhenEditing(); data.Last(); return Fire(OnLast, this);
    case nbInsert:
      postWhenEditing();
      FInsertMode == imAppend ? data.Append() : data.Insert();
      return Fire(OnInsert, this);
    case nbDelete: cancelWhenEditing(); data.Delete(); return Fire(OnDelete, this);
    case nbEdit: postWhenEditing(); data.Edit(); return Fire(OnEdit, this);
    case nbPost: postWhenEditing(); return Fire(OnPost, this);
    case nbCancel: cancelWhenEditing(); return Fire(OnCancel, this);
    case nbRefresh: cancelWhenEditing(); data.Refresh(); return Fire(OnRefresh, this);
  }
}

void TKXDBNavigator::Submit(const std::string& value) {
  FSubmitParam = value;
  // What the page did not offer was posted by hand or from a stale page: the client's doing, not the program's.
  const std::optional<TNavigateBtn> found = FindButton(value);
  if (!found) throw EKXSubmitRefused(Format(RSInvalidResponse, value));
  const TNavigateBtn button = *found;
  const bool enabled = FDrawnEnabled ? FDrawnEnabled->Contains(button) : ButtonEnabled(button);
  if (!FVisibleButtons.Contains(button) || (CheckDataSource(DataSource()) && !enabled))
    throw EKXSubmitRefused(Format(RSInvalidResponse, value));
  if (OnBeforeAction) {
    bool handled = false;
    OnBeforeAction(this, button, handled);
    if (handled) return;
  }
  if (CheckDataSource(DataSource())) RunOperation(button, *DataSource()->DataSet());
  SetDoRefreshControl(true);
}

TSubmitProc TKXDBNavigator::getSubmitProc() {
  TComponentRef<TKXDBNavigator> control(this);
  return [control](const std::string& value) {
    if (control) control->Submit(value);
  };
}

}  // namespace kx
