// The menu model a menu bar renders: TMainMenu, a component holding a tree of TMenuItem (caption, enabled,
// visible, separator line, image index, children, click). A parent item owns its children.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kx/platform/Components.h"

namespace kx {

class TMenuItem : public TObject {
 public:
  explicit TMenuItem(const std::string& caption = std::string());
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  // The text shown; "-" makes the item a separator line.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value) { FCaption = value; }
  // True by default; a disabled item does not click.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  // True by default.
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  // The image of the menu's image list shown beside the caption; -1 (none) by default.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value) { FImageIndex = value; }
  // A name for the application's own use.
  const std::string& Name() const { return FName; }
  void SetName(const std::string& value) { FName = value; }
  // Whether the item is a separator line (its caption is "-").
  bool IsLine() const { return FCaption == "-"; }

  // The item that holds this one; null for a menu's root.
  TMenuItem* Parent() const { return FParent; }
  int Count() const { return int(FItems.size()); }
  // An index out of range raises EListError.
  TMenuItem* Items(int index) const;
  // The position among the parent's items; -1 for a root.
  int MenuIndex() const;
  // A new child at the end (or at index), owned by this item.
  TMenuItem* Add(const std::string& caption);
  TMenuItem* Insert(int index, const std::string& caption);
  // Frees the child at index (and its children); an index out of range raises EListError.
  void Delete(int index);
  void Clear();
  // Whether item is this one or lies below it; item is only compared, never read, so it may be a freed one.
  bool Contains(const TMenuItem* item) const;
  // A number no other item of the process had, given at creation.
  std::uint64_t Id() const { return FId; }

  TNotifyEvent OnClick;
  // Runs OnClick when the item is enabled.
  virtual void Click();

 private:
  std::uint64_t FId;
  std::string FCaption;
  bool FEnabled = true;
  bool FVisible = true;
  int FImageIndex = -1;
  std::string FName;
  TMenuItem* FParent = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> FItems;
};

// A form's main menu: the root item's children are the items of the menu bar.
class TMainMenu : public TComponent {
  KX_COMPONENT_CLASS(TMainMenu, TComponent)

 public:
  // The root, never shown itself.
  TMenuItem& Items() { return FItems; }
  const TMenuItem& Items() const { return FItems; }
  // The component holding the items' images (an image list); not owned, null once it is freed.
  TComponent* Images() const { return FImages.Get(); }
  void SetImages(TComponent* value) { FImages = value; }

 private:
  TMenuItem FItems;
  TComponentRef<TComponent> FImages;
};

}  // namespace kx
