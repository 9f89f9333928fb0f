#include "kx/platform/Controls.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace kx {

namespace {

template <class T>
void EraseValue(std::vector<T*>& list, const T* value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it != list.end()) list.erase(it);
}

template <class T>
int IndexOfValue(const std::vector<T*>& list, const T* value) {
  auto it = std::find(list.begin(), list.end(), value);
  return it == list.end() ? -1 : int(it - list.begin());
}

void KeepFirst(std::exception_ptr& first) {
  if (!first) first = std::current_exception();
}

}  // namespace

TAnchors AnchorAlign(TAlign align) {
  switch (align) {
    case alTop:
      return {akLeft, akTop, akRight};
    case alBottom:
      return {akLeft, akRight, akBottom};
    case alLeft:
      return {akLeft, akTop, akBottom};
    case alRight:
      return {akRight, akTop, akBottom};
    case alClient:
      return {akLeft, akTop, akRight, akBottom};
    case alNone:
    case alCustom:
      break;
  }
  return {akLeft, akTop};
}

// ---------------------------------------------------------------------------
// TMargins

void TMargins::SetMargins(int left, int top, int right, int bottom) {
  if (left == mLeft && top == mTop && right == mRight && bottom == mBottom) return;
  mLeft = left;
  mTop = top;
  mRight = right;
  mBottom = bottom;
  if (mControl && mControl->mAlignWithMargins && mControl->mAlign != alNone) mControl->RequestAlign();
}

void TMargins::Assign(const TPersistent* source) {
  if (auto* margins = dynamic_cast<const TMargins*>(source)) {
    SetMargins(margins->mLeft, margins->mTop, margins->mRight, margins->mBottom);
  } else {
    TPersistent::Assign(source);
  }
}

// ---------------------------------------------------------------------------
// TControl

TMargins& TControl::Margins() {
  if (!mMargins) mMargins = std::make_unique<TMargins>(this);
  return *mMargins;
}

const TMargins& TControl::Margins() const {
  static const TMargins defaults(nullptr);
  return mMargins ? *mMargins : defaults;
}

void TControl::SetParent(TWinControl* parent) {
  if (mParent == parent) return;
  if (parent) {
    for (const TControl* control = parent; control; control = control->mParent) {
      if (control == this) {
        throw EInvalidOperation(Format("Control '%s' cannot be placed inside itself or one of its children", Name()));
      }
    }
    if (ComponentState().Contains(csDestroying) || parent->ComponentState().Contains(csDestroying)) {
      throw EInvalidOperation(
          Format("Control '%s' cannot get a parent while it or the parent is being destroyed", Name()));
    }
  }
  if (mParent) mParent->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const bool resized = width != mWidth || height != mHeight;
  if (!resized && left == mLeft && top == mTop) return;
  mLeft = left;
  mTop = top;
  mWidth = width;
  mHeight = height;
  if (resized) {
    if (auto* self = dynamic_cast<TWinControl*>(this)) self->Realign();
  }
  Invalidate();
  if (!mPlacing) {
    TakeAnchorOrigin();
    if (mAlign != alNone) RequestAlign();
  }
  if (resized) Resize();
}

void TControl::SetAlign(TAlign value) {
  if (value == mAlign) return;
  mAlign = value;
  mAnchors = AnchorAlign(value);
  TakeAnchorOrigin();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors value) {
  if (value == mAnchors) return;
  mAnchors = value;
  TakeAnchorOrigin();
}

void TControl::SetAlignWithMargins(bool value) {
  if (value == mAlignWithMargins) return;
  mAlignWithMargins = value;
  if (mAlign != alNone) RequestAlign();
}

void TControl::SetVisible(bool value) {
  if (value == mVisible) return;
  mVisible = value;
  Invalidate();
  if (mAlign != alNone) RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == mEnabled) return;
  mEnabled = value;
  Invalidate();
}

void TControl::SetHint(const std::string& value) { mHint = value; }

void TControl::SetShowHint(bool value) {
  mParentShowHint = false;
  ApplyShowHint(value);
}

void TControl::SetParentShowHint(bool value) {
  if (value == mParentShowHint) return;
  mParentShowHint = value;
  if (value && mParent) ApplyShowHint(mParent->mShowHint);
}

void TControl::ApplyShowHint(bool value) {
  mShowHint = value;
  if (auto* self = dynamic_cast<TWinControl*>(this)) {
    for (TControl* child : self->mControls) {
      if (child->mParentShowHint) child->ApplyShowHint(value);
    }
  }
}

void TControl::SetAutoSize(bool value) { mAutoSize = value; }

int TControl::TabOrder() const { return mParent ? IndexOfValue(mParent->mTabList, this) : mTabOrder; }

void TControl::SetTabOrder(int value) {
  if (!mParent) {
    mTabOrder = value < 0 ? -1 : value;
    return;
  }
  std::vector<TControl*>& list = mParent->mTabList;
  const int current = IndexOfValue(list, this);
  const int count = int(list.size());
  if (value < 0 || value >= count) value = count - 1;
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

void TControl::SetTabStop(bool value) { mTabStop = value; }

void TControl::RequestAlign() {
  if (mParent) mParent->Realign();
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::TakeAnchorOrigin() {
  mAnchorOrigin.Bounds = BoundsRect();
  if (mParent) {
    const TRect client = mParent->ClientRect();
    mAnchorOrigin.ParentWidth = client.Width();
    mAnchorOrigin.ParentHeight = client.Height();
    mAnchorOrigin.Valid = true;
  } else {
    mAnchorOrigin.Valid = false;
  }
}

void TControl::DestroyControls() {
  if (mParent) mParent->RemoveControl(this);
}

// ---------------------------------------------------------------------------
// TWinControl

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return mControls[std::size_t(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (; control; control = control->mParent) {
    if (control == this) return true;
  }
  return false;
}

void TWinControl::GetTabOrderList(std::vector<TControl*>& list) const {
  for (TControl* control : mTabList) {
    list.push_back(control);
    if (auto* container = dynamic_cast<const TWinControl*>(control)) container->GetTabOrderList(list);
  }
}

void TWinControl::SetChildOrder(TControl* child, int order) {
  const int current = IndexOfValue(mControls, child);
  if (current < 0) return;
  order = std::clamp(order, 0, ControlCount() - 1);
  if (order == current) return;
  mControls.erase(mControls.begin() + current);
  mControls.insert(mControls.begin() + order, child);
  Realign();
}

void TWinControl::InsertControl(TControl* control) {
  mControls.push_back(control);
  const int wished = control->mTabOrder;
  if (wished >= 0 && wished < int(mTabList.size())) {
    mTabList.insert(mTabList.begin() + wished, control);
  } else {
    mTabList.push_back(control);
  }
  control->mTabOrder = -1;
  control->mParent = this;
  if (control->mParentShowHint) control->ApplyShowHint(ShowHint());
  control->TakeAnchorOrigin();
  ControlChange(control, true);
  if (control->mAlign != alNone && control->mVisible) Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  // The control leaves even when the hook raises: it may be on its way to being freed.
  std::exception_ptr error;
  if (!IsFreeing()) {
    try {
      ControlChange(control, false);
    } catch (...) {
      KeepFirst(error);
    }
  }
  EraseValue(mControls, control);
  EraseValue(mTabList, control);
  control->mParent = nullptr;
  control->mAnchorOrigin.Valid = false;
  if (error) std::rethrow_exception(error);
  if (control->mAlign != alNone && control->mVisible) Realign();
}

void TWinControl::DestroyControls() {
  std::exception_ptr error;
  // The last child first, reading the count again every turn: freeing one child may free another.
  while (!mControls.empty()) {
    TControl* control = mControls.back();
    try {
      RemoveControl(control);
    } catch (...) {
      KeepFirst(error);
    }
    try {
      control->Free();
    } catch (...) {
      KeepFirst(error);
    }
  }
  try {
    TControl::DestroyControls();
  } catch (...) {
    KeepFirst(error);
  }
  if (error) std::rethrow_exception(error);
}

void TWinControl::EnableAlign() {
  if (mAlignLevel == 0) return;
  --mAlignLevel;
  if (mAlignLevel == 0 && mAlignPending) Realign();
}

void TWinControl::Realign() {
  const TComponentState state = ComponentState();
  if (state.Contains(csDestroying)) return;
  if (mAlignLevel > 0 || state.Contains(csLoading)) {
    mAlignPending = true;
    return;
  }
  if (mAligning) return;
  mAligning = true;
  mAlignPending = false;
  try {
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    AlignControls(rect);
  } catch (...) {
    mAligning = false;
    throw;
  }
  mAligning = false;
}

void TWinControl::AlignControls(TRect& rect) {
  static constexpr TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient, alCustom};
  for (TAlign align : kOrder) {
    std::vector<TControl*> list;
    for (TControl* control : mControls) {
      if (control->mAlign == align && control->mVisible) list.push_back(control);
    }
    auto key = [align](const TControl* c) {
      switch (align) {
        case alTop:
          return c->mTop;
        case alBottom:
          return -(c->mTop + c->mHeight);
        case alLeft:
          return c->mLeft;
        case alRight:
          return -(c->mLeft + c->mWidth);
        default:
          return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&key](const TControl* a, const TControl* b) { return key(a) < key(b); });

    for (TControl* control : list) {
      if (IndexOfValue(mControls, control) < 0) continue;  // left while an earlier one was placed
      int ml = 0, mt = 0, mr = 0, mb = 0;
      if (control->mAlignWithMargins) {
        const TMargins& margins = std::as_const(*control).Margins();
        ml = margins.Left();
        mt = margins.Top();
        mr = margins.Right();
        mb = margins.Bottom();
      }
      int left = control->mLeft, top = control->mTop, width = control->mWidth, height = control->mHeight;
      switch (align) {
        case alTop:
          left = rect.Left + ml;
          top = rect.Top + mt;
          width = rect.Width() - ml - mr;
          rect.Top += mt + height + mb;
          break;
        case alBottom:
          left = rect.Left + ml;
          top = rect.Bottom - mb - height;
          width = rect.Width() - ml - mr;
          rect.Bottom -= mt + height + mb;
          break;
        case alLeft:
          left = rect.Left + ml;
          top = rect.Top + mt;
          height = rect.Height() - mt - mb;
          rect.Left += ml + width + mr;
          break;
        case alRight:
          left = rect.Right - mr - width;
          top = rect.Top + mt;
          height = rect.Height() - mt - mb;
          rect.Right -= ml + width + mr;
          break;
        case alClient:
          left = rect.Left + ml;
          top = rect.Top + mt;
          width = rect.Width() - ml - mr;
          height = rect.Height() - mt - mb;
          break;
        default:
          CustomAlignPosition(control, left, top, width, height);
          break;
      }
      PlaceControl(control, left, top, width, height);
    }
  }

  const TRect client = ClientRect();
  for (std::size_t i = 0; i < mControls.size(); ++i) {
    if (mControls[i]->mAlign == alNone) ApplyAnchors(mControls[i], client);
  }
}

void TWinControl::ApplyAnchors(TControl* control, const TRect& client) {
  const TControl::TAnchorOrigin& origin = control->mAnchorOrigin;
  const TAnchors anchors = control->mAnchors;
  if (!origin.Valid || anchors == TAnchors{akLeft, akTop}) return;
  const int dx = client.Width() - origin.ParentWidth;
  const int dy = client.Height() - origin.ParentHeight;
  int left = control->mLeft, top = control->mTop, width = control->mWidth, height = control->mHeight;

  if (anchors.Contains(akRight)) {
    left = anchors.Contains(akLeft) ? origin.Bounds.Left : origin.Bounds.Left + dx;
    width = anchors.Contains(akLeft) ? origin.Bounds.Width() + dx : origin.Bounds.Width();
  } else if (!anchors.Contains(akLeft)) {
    left = origin.Bounds.Left + dx / 2;
    width = origin.Bounds.Width();
  }
  if (anchors.Contains(akBottom)) {
    top = anchors.Contains(akTop) ? origin.Bounds.Top : origin.Bounds.Top + dy;
    height = anchors.Contains(akTop) ? origin.Bounds.Height() + dy : origin.Bounds.Height();
  } else if (!anchors.Contains(akTop)) {
    top = origin.Bounds.Top + dy / 2;
    height = origin.Bounds.Height();
  }
  PlaceControl(control, left, top, width, height);
}

void TWinControl::PlaceControl(TControl* control, int left, int top, int width, int height) {
  control->mPlacing = true;
  try {
    control->SetBounds(left, top, width, height);
  } catch (...) {
    control->mPlacing = false;
    throw;
  }
  control->mPlacing = false;
}

void TWinControl::Loaded() {
  TControl::Loaded();
  for (TControl* control : mControls) control->TakeAnchorOrigin();
  Realign();
}

// ---------------------------------------------------------------------------
// TFrame

void TFrame::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  LoadComponents();
}

}  // namespace kx
