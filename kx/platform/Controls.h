// Controls: TControl with its parent, bounds, alignment, anchors, visibility,
// hints and tab order; TWinControl, which holds child controls and places the
// aligned and anchored ones; TScrollingWinControl and TFrame. Nothing is
// painted on the server: positions and sizes are what the page is built from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/platform/CompactFunction.h"
#include "kx/platform/CompactString.h"
#include "kx/platform/Components.h"
#include "kx/platform/Types.h"

namespace kx {

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind : std::uint8_t { akLeft, akTop, akRight, akBottom };
using TAnchors = TEnumSet<TAnchorKind>;

// The anchors a control takes when its Align is set: the edges it keeps to
// (alTop: left, top, right; alClient: all four; alNone and alCustom: left, top).
TAnchors AnchorAlign(TAlign align);

// The message of EInvalidOperation for an operation that needs a parent; %s is the control's name.
inline constexpr const char* SParentRequired = "Control '%s' has no parent window";

class TControl;
class TWinControl;

// The space kept around a control aligned with AlignWithMargins; 3 pixels on each side by default.
class TMargins : public TPersistent {
 public:
  explicit TMargins(TControl* control) : mControl(control) {}

  int Left() const { return mLeft; }
  void SetLeft(int value) { SetMargins(value, mTop, mRight, mBottom); }
  int Top() const { return mTop; }
  void SetTop(int value) { SetMargins(mLeft, value, mRight, mBottom); }
  int Right() const { return mRight; }
  void SetRight(int value) { SetMargins(mLeft, mTop, value, mBottom); }
  int Bottom() const { return mBottom; }
  void SetBottom(int value) { SetMargins(mLeft, mTop, mRight, value); }
  // Realigns the control when it aligns with margins and a value changed.
  void SetMargins(int left, int top, int right, int bottom);

  void Assign(const TPersistent* source) override;

 private:
  TControl* mControl;
  int mLeft = 3;
  int mTop = 3;
  int mRight = 3;
  int mBottom = 3;
};

// A control: a component with a parent and a rectangle in its parent's client area.
class TControl : public TComponent {
  KX_COMPONENT_CLASS(TControl, TComponent)

 public:
  TWinControl* Parent() const { return mParent; }
  // Leaves the current parent and joins the end of the new one's child and tab
  // lists (or the tab position set while it had no parent). Raises
  // EInvalidOperation when the new parent is the control itself or one of its
  // children, or when either is being destroyed.
  virtual void SetParent(TWinControl* parent);

  int Left() const { return mLeft; }
  void SetLeft(int value) { SetBounds(value, mTop, mWidth, mHeight); }
  int Top() const { return mTop; }
  void SetTop(int value) { SetBounds(mLeft, value, mWidth, mHeight); }
  int Width() const { return mWidth; }
  void SetWidth(int value) { SetBounds(mLeft, mTop, value, mHeight); }
  int Height() const { return mHeight; }
  void SetHeight(int value) { SetBounds(mLeft, mTop, mWidth, value); }
  // Negative sizes become 0. A change invalidates the control; a resize
  // realigns a windowed control's children and then calls Resize; a change not
  // made by the parent's alignment takes a new anchor origin and, for an
  // aligned control, asks the parent to realign.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(mLeft, mTop, mWidth, mHeight); }
  void SetBoundsRect(const TRect& rect) { SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); }
  // The area children are placed in, in the control's own coordinates; (0, 0, Width, Height) here.
  virtual TRect ClientRect() const { return Bounds(0, 0, mWidth, mHeight); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }

  // alNone by default. Setting it also sets Anchors to AnchorAlign(value) and realigns the parent.
  TAlign Align() const { return mAlign; }
  virtual void SetAlign(TAlign value);
  // [akLeft, akTop] by default. An unaligned control keeps its distance to the
  // anchored edges of its parent's client area when the parent is resized; with
  // neither side of an axis anchored it keeps its centre. Distances are taken
  // when the bounds, anchors, align or parent are set and when the parent has loaded.
  TAnchors Anchors() const { return mAnchors; }
  virtual void SetAnchors(TAnchors value);
  // False by default; when true the alignment keeps Margins around the control.
  bool AlignWithMargins() const { return mAlignWithMargins; }
  virtual void SetAlignWithMargins(bool value);
  // Made on first change; until then the defaults (3 on each side) are read.
  TMargins& Margins();
  const TMargins& Margins() const;
  void SetMargins(const TMargins& value) { Margins().Assign(&value); }

  // True by default. An invisible control takes no room in the alignment.
  bool Visible() const { return mVisible; }
  virtual void SetVisible(bool value);
  // True by default.
  bool Enabled() const { return mEnabled; }
  virtual void SetEnabled(bool value);
  const std::string& Hint() const { return mHint; }
  virtual void SetHint(const std::string& value);
  // False by default. Setting it clears ParentShowHint and passes the value on
  // to the children that take their parent's.
  bool ShowHint() const { return mShowHint; }
  virtual void SetShowHint(bool value);
  // True by default: ShowHint follows the parent's.
  bool ParentShowHint() const { return mParentShowHint; }
  virtual void SetParentShowHint(bool value);
  // False by default; a flag for the control's own rendering (there are no text metrics here).
  bool AutoSize() const { return mAutoSize; }
  virtual void SetAutoSize(bool value);

  // The position among the parent's children in tab order. Without a parent:
  // the position it will take when it gets one, -1 for the end.
  virtual int TabOrder() const;
  // Moves the control to that position, shifting its siblings; a value below 0
  // or past the end moves it to the end.
  virtual void SetTabOrder(int value);
  // False by default.
  bool TabStop() const { return mTabStop; }
  virtual void SetTabStop(bool value);

  // Called after every size change. Few controls have one: one pointer while empty.
  TCompactFunction<void(TObject* sender)> OnResize;

  // Marks the control for repainting; nothing to do on the server in the base.
  virtual void Invalidate() {}

 protected:
  // Asks the parent to place its aligned children again.
  virtual void RequestAlign();
  // Called after the size changed; calls OnResize.
  virtual void Resize();

 private:
  friend class TWinControl;
  friend class TMargins;

  void DestroyControls() override;
  void TakeAnchorOrigin();
  void ApplyShowHint(bool value);

  struct TAnchorOrigin {
    TRect Bounds;
    int ParentWidth = 0;
    int ParentHeight = 0;
    bool Valid = false;
  };

  TWinControl* mParent = nullptr;
  int mLeft = 0;
  int mTop = 0;
  int mWidth = 0;
  int mHeight = 0;
  TAlign mAlign = alNone;
  TAnchors mAnchors{akLeft, akTop};
  bool mAlignWithMargins = false;
  std::unique_ptr<TMargins> mMargins;  // few controls change them
  bool mVisible = true;
  bool mEnabled = true;
  TCompactString mHint;  // most controls have no hint
  bool mShowHint = false;
  bool mParentShowHint = true;
  bool mAutoSize = false;
  bool mTabStop = false;
  int mTabOrder = -1;       // the wished position while without a parent
  bool mPlacing = false;    // the parent's alignment is setting the bounds
  TAnchorOrigin mAnchorOrigin;
};

// A control that holds child controls and places them: aligned children by
// their Align, unaligned ones by their Anchors.
class TWinControl : public TControl {
  KX_COMPONENT_CLASS(TWinControl, TControl)

 public:
  // The child controls in the order they joined (SetChildOrder changes it); an
  // index out of range raises EListError.
  int ControlCount() const { return int(mControls.size()); }
  TControl* Controls(int index) const;
  // Whether control is this control or lies somewhere inside it.
  bool ContainsControl(const TControl* control) const;
  // Appends every control inside this one in tab order, each child followed by its own children.
  void GetTabOrderList(std::vector<TControl*>& list) const;
  // Moves child to position order among the children (clamped) and realigns.
  void SetChildOrder(TControl* child, int order);

  // Places the children now: aligned ones within the client rectangle (after
  // AdjustClientRect) in the order top, bottom, left, right, client, custom;
  // within one kind by position (alTop by Top, alBottom bottom edge last-first,
  // alLeft by Left, alRight right edge last-first), equal positions in child
  // order; then the anchored unaligned ones. Deferred while loading or while
  // alignment is disabled; ignored while destroying or already aligning.
  void Realign();
  // Alignment waits until every DisableAlign has its EnableAlign; the last one realigns.
  void DisableAlign() { ++mAlignLevel; }
  void EnableAlign();

 protected:
  // Takes the margins of the client area off rect; nothing here.
  virtual void AdjustClientRect(TRect& rect) const { (void)rect; }
  // Does the placing of Realign within rect.
  virtual void AlignControls(TRect& rect);
  // Places an alCustom child; it keeps its bounds here.
  virtual void CustomAlignPosition(TControl* control, int& left, int& top, int& width, int& height) {
    (void)control, (void)left, (void)top, (void)width, (void)height;
  }
  // Told after a child joined (inserting) and before one leaves; not while this control is being freed.
  virtual void ControlChange(TControl* control, bool inserting) { (void)control, (void)inserting; }
  // Takes the children's anchor origins again and realigns.
  void Loaded() override;

 private:
  friend class TControl;

  void DestroyControls() override;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void PlaceControl(TControl* control, int left, int top, int width, int height);
  void ApplyAnchors(TControl* control, const TRect& client);

  std::vector<TControl*> mControls;
  std::vector<TControl*> mTabList;
  int mAlignLevel = 0;
  bool mAligning = false;
  bool mAlignPending = false;
};

// A windowed control that can scroll its content in a desktop build; on the server only a base class.
class TScrollingWinControl : public TWinControl {
  KX_COMPONENT_CLASS(TScrollingWinControl, TWinControl)
};

// A reusable group of controls: it owns and parents the controls it builds in
// BuildComponents, which runs when the frame is created, followed by Loaded.
class TFrame : public TScrollingWinControl {
  KX_COMPONENT_CLASS(TFrame, TScrollingWinControl)

 protected:
  // The inherited AfterConstruction, then LoadComponents.
  void AfterConstruction() override;
};

}  // namespace kx
