// The tree view: a hierarchy of items with plus/minus toggles, folder and document images and clickable captions.
// In client-script mode (the default) the whole tree goes to the page once; "/js/KXTree.js" opens and closes
// branches in the browser and keeps the expanded items in the hidden field N + "status", which is posted back and
// restored on the server. In server-side mode (DoServerSidePlusMinus) only expanded branches are rendered and every
// toggle submits. A caption click submits the item's name (OnClick of the item, then TreeItemClick); an item with
// a URL is a plain link.
//
//   auto* tree = TComponent::Create<TKXTreeView>(form);
//   TKXTreeViewItem* docs = tree->Items().Add(nullptr);
//   docs->SetCaption("Documents");
//   tree->Items().Add(docs)->SetCaption("Letter.txt");
//
// Element ids in the page carry the tree's HTML name ("TREE1_i1", "TREE1_plusImg_i1") so that two trees on a page
// never share one; posted values are the bare item names.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kx/appserver/FileReference.h"
#include "kx/controls/ControlFamily.h"
#include "kx/forms/CustomControl.h"
#include "kx/platform/Collections.h"

namespace kx {

class TKXTreeView;
class TKXTreeViewItem;

using TKXTreeViewClickEvent = std::function<void(TObject* sender, TKXTreeViewItem* item)>;
// sender is the item toggled; isPlus: it was opened.
using TTreeViewPlusMinusProc = std::function<void(TObject* sender, bool isPlus)>;

// The five images of a tree or of one item; an empty reference falls back to the tree's, then to the built-in one.
class TKXTreeViewImages : public TPersistent {
 public:
  TKXTreeViewImages() = default;
  TKXTreeViewImages(const TKXTreeViewImages&) = delete;
  TKXTreeViewImages& operator=(const TKXTreeViewImages&) = delete;

  TKXFileReference& ClosedFolderImage() { return FClosedFolderImage; }
  TKXFileReference& OpenFolderImage() { return FOpenFolderImage; }
  TKXFileReference& DocumentImage() { return FDocumentImage; }
  TKXFileReference& PlusImage() { return FPlusImage; }
  TKXFileReference& MinusImage() { return FMinusImage; }
  void SetClosedFolderImage(const TKXFileReference& value) { FClosedFolderImage.Assign(&value); }
  void SetOpenFolderImage(const TKXFileReference& value) { FOpenFolderImage.Assign(&value); }
  void SetDocumentImage(const TKXFileReference& value) { FDocumentImage.Assign(&value); }
  void SetPlusImage(const TKXFileReference& value) { FPlusImage.Assign(&value); }
  void SetMinusImage(const TKXFileReference& value) { FMinusImage.Assign(&value); }

 protected:
  // Into another image set: all five.
  void AssignTo(TPersistent* dest) const override;

 private:
  TKXFileReference FClosedFolderImage;
  TKXFileReference FOpenFolderImage;
  TKXFileReference FDocumentImage;
  TKXFileReference FPlusImage;
  TKXFileReference FMinusImage;
};

// The spaces around an item, in pixels.
class TKXTreeViewItemSpace : public TPersistent {
 public:
  std::int32_t VerticalSpace() const { return FVerticalSpace; }
  void SetVerticalSpace(std::int32_t value) { FVerticalSpace = value; }
  std::int32_t HorizontalSpace() const { return FHorizontalSpace; }
  void SetHorizontalSpace(std::int32_t value) { FHorizontalSpace = value; }

 protected:
  void AssignTo(TPersistent* dest) const override;

 private:
  std::int32_t FVerticalSpace = 3;
  std::int32_t FHorizontalSpace = 3;
};

// One item. The items of a tree are one flat collection; the hierarchy is each item's ParentItem. Freeing an item
// frees its children.
class TKXTreeViewItem : public TCollectionItem {
 public:
  // Takes the tree's next name ("i1", "i2", ...) as its name and caption.
  explicit TKXTreeViewItem(TKXTreeView* treeView);
  ~TKXTreeViewItem() override;

  // Not empty: the caption is a link to it (and posts nothing).
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& value) { FURL = value; }
  // The item's own images, before the tree's.
  TKXTreeViewImages& ItemImages() { return FItemImages; }
  void SetItemImages(const TKXTreeViewImages& value) { FItemImages.Assign(&value); }
  TKXFont& Font() { return FFont; }
  void SetFont(const TKXFont& value) { FFont.Assign(&value); }
  // Null for a top-level item.
  TKXTreeViewItem* ParentItem() const { return FParentItem; }
  // Moves the item under parent (null: top level), after its last child.
  void SetParentItem(TKXTreeViewItem* parent);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  // True at creation; a change invalidates the tree.
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool value);
  const std::vector<TKXTreeViewItem*>& SubItems() const { return FSubItems; }
  bool HasChild() const { return !FSubItems.empty(); }
  // The item in markup and posted values; blanks are stored as "_".
  const std::string& Name() const { return FName; }
  void SetName(const std::string& value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value);
  std::int32_t Tag() const { return FTag; }
  void SetTag(std::int32_t value) { FTag = value; }
  // For the application; not owned.
  TObject* UserData() const { return FUserData; }
  void SetUserData(TObject* value) { FUserData = value; }
  // The item's CSS class; its SPAN gets this + "Container".
  const std::string& Css() const { return FCss; }
  void SetCss(const std::string& value) { FCss = value; }
  // 0: the older nested storage; 1: flat with a parent index. Settable only while 0.
  std::int32_t Version() const { return FVersion; }
  void SetVersion(std::int32_t value);
  TKXTreeView* TreeView() const { return FTreeView; }
  // A click on the caption.
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(TNotifyEvent value);

  // The item's name in collections and designers: Name (an item asked for it is stored flat, Version 1).
  std::string DisplayName();
  void SetDisplayName(const std::string& value) { FName = value; }
  // The tree's name + "." + DisplayName.
  std::string NamePath();
  // Fires OnClick with the item as sender.
  void DoClick();
  // The image locations: the item's own, else the tree's.
  std::string GetClosedFolderImageLocation() const;
  std::string GetOpenFolderImageLocation() const;
  std::string GetDocumentImageLocation() const;
  std::string GetPlusImageLocation() const;
  std::string GetMinusImageLocation() const;

  // The item's SPAN in client-script mode, its children inside (hidden unless visible).
  TKXElementPtr<TKXHTMLTag> RenderItem(int level, bool visible, bool hasClickHandler);

 protected:
  // Into another item: caption, expansion, parent, name, URL, click handler and images. Into an item of another
  // collection the parent is the item at the parent's position there (never an item of another tree).
  void AssignTo(TPersistent* dest) const override;

 private:
  friend class TKXTreeView;
  void RemoveChild(TKXTreeViewItem* child);
  void InvalidateTree();

  std::string FURL;
  TKXTreeViewImages FItemImages;
  TKXFont FFont;
  TKXTreeViewItem* FParentItem = nullptr;
  std::string FCaption;
  bool FExpanded = true;
  std::vector<TKXTreeViewItem*> FSubItems;
  std::string FName;
  TNotifyEvent FOnClick;
  TKXTreeView* FTreeView;
  std::int32_t FVersion = 0;
  std::string FHint;
  std::int32_t FTag = 0;
  TObject* FUserData = nullptr;
  std::string FCss;
};

// The flat collection of every item of a tree.
class TKXTreeViewItems : public TOwnedCollection {
 public:
  explicit TKXTreeViewItems(TKXTreeView* treeView);

  // A new item under parent (null: top level); the tree is invalidated.
  TKXTreeViewItem* Add(TKXTreeViewItem* parent);
  TKXTreeViewItem* Items(int index) const { return static_cast<TKXTreeViewItem*>(TCollection::Items(index)); }
  // Assigns value into the item at index.
  void SetItem(int index, const TKXTreeViewItem& value) { Items(index)->Assign(&value); }
  // The first item of that name (exact); null when none.
  TKXTreeViewItem* Find(const std::string& name) const;
  TKXTreeView* TreeView() const { return FTreeView; }
  // The SPAN of every top-level item (RenderItem at level 0, shown), in collection order: what the tree's
  // container holds in client-script mode.
  std::unique_ptr<TKXHTMLTagCollection> RenderTreeView(bool hasClickHandler) const;

 private:
  TKXTreeView* FTreeView;
};

class TKXTreeView : public TKXControl {
  KX_COMPONENT_CLASS(TKXTreeView, TKXControl)

 public:
  // The item to scroll into view (by name); set by a toggle.
  const std::string& ScrollToName() const { return FScrollToName; }
  void SetScrollToName(const std::string& value) { FScrollToName = value; }
  // True by default: folder and document images.
  bool UseItemImages() const { return FUseItemImages; }
  void SetUseItemImages(bool value) { SetProperty(FUseItemImages, value); }
  // False by default: every toggle submits and only expanded branches are rendered.
  bool DoServerSidePlusMinus() const { return FDoServerSidePlusMinus; }
  void SetDoServerSidePlusMinus(bool value) { SetProperty(FDoServerSidePlusMinus, value); }
  // True by default: children are indented by their level.
  bool AutoIndent() const { return FAutoIndent; }
  void SetAutoIndent(bool value) { SetProperty(FAutoIndent, value); }
  // False by default: captions do not wrap.
  bool WrapItems() const { return FWrapItems; }
  void SetWrapItems(bool value) { SetProperty(FWrapItems, value); }
  // sbsAuto by default.
  TKXScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TKXScrollStyle value) { SetProperty(FScrollBars, value); }
  // Stored for the application.
  const std::string& TreeNodes() const { return FTreeNodes; }
  void SetTreeNodes(const std::string& value) { FTreeNodes = value; }
  TKXTreeViewItems& Items() { return *FTreeViewItems; }
  void SetItems(const TKXTreeViewItems& value) { FTreeViewItems->Assign(&value); }
  TKXTreeViewImages& TreeViewImages() { return *FTreeViewImages; }
  void SetTreeViewImages(const TKXTreeViewImages& value) { FTreeViewImages->Assign(&value); }
  // 16 x 16 by default: the size of the folder and document images.
  std::int32_t TreeViewImagesWidth() const { return FTreeViewImagesWidth; }
  void SetTreeViewImagesWidth(std::int32_t value) { SetProperty(FTreeViewImagesWidth, value); }
  std::int32_t TreeViewImagesHeigth() const { return FTreeViewImagesHeight; }
  void SetTreeViewImagesHeigth(std::int32_t value) { SetProperty(FTreeViewImagesHeight, value); }
  TKXTreeViewItemSpace& ItemSpace() { return FItemSpace; }
  void SetItemSpace(const TKXTreeViewItemSpace& value) { FItemSpace.Assign(&value); }
  // The item last clicked or toggled; null when none or once it has been freed.
  TKXTreeViewItem* TreeViewItem() const { return FTreeViewItem; }
  TTreeViewPlusMinusProc OnPlusMinus;
  TKXTreeViewClickEvent TreeItemClick;

  // Frees the items and the tree images.
  void ClearAll();
  // The nearest item from item up whose ancestors are all expanded; empty when none.
  std::string PositionableNodeName(TKXTreeViewItem* item) const;
  // The session's URL of the reference (its URL, else its file name); empty for an empty reference.
  std::string GetImageLocation(const TKXFileReference& reference) const;
  // The tree-level images: the tree's own, else the built-in "gfx/TreeView_*.gif".
  std::string GetClosedFolderImageLocation() const;
  std::string GetOpenFolderImageLocation() const;
  std::string GetDocumentImageLocation() const;
  std::string GetPlusImageLocation() const;
  std::string GetMinusImageLocation() const;
  // The URL of a framework file ("gfx/Tp.gif").
  std::string InternalFileURL(const std::string& file) const;
  // The next generated item name: "i1", "i2", ...
  std::string NextUniqueName();
  // The element id of an item's part in the page ("TREE1_" + name, "TREE1_plusImg_" + name).
  std::string ElementId(const std::string& part, const std::string& itemName);

  // ---- posted values and submits
  // The status field: every item collapses, then the listed ones expand. An empty (or all-comma) status
  // changes nothing.
  void SetValue(const std::string& value) override;
  // "opn"/"cls" + name toggles an item (opn only in server-side mode); another value is a caption click.
  void Submit(const std::string& value) override;
  // N + "status".
  void GetInputControlNames(TStrings& list) override;
  bool IsForThisControl(const std::string& name) override;
  bool HasName() override { return false; }

  // ---- rendering
  TKXElementPtr<TKXHTMLTag> RenderHTML(TKXCompContext* context) override;
  // The base's style and, in client-script mode, the scroll style of ScrollBars.
  std::string RenderStyle(TKXCompContext* context) override;
  // "control" of type "KXTreeView": the new inner markup and the common properties.
  TKXElementPtr<TKXXMLTag> RenderAsync(TKXCompContext* context) override;
  // Fills tag (client-script mode): the status field, then the container of the items.
  void RenderInnerHTML(TKXHTMLTag* tag);
  // The nested "new AddTVItem(...)" calls of the items (the top-level ones for an empty list).
  std::string RenderClientItemScript(const std::vector<TKXTreeViewItem*>& list);

 protected:
  // 200 x 200, render size on, no partial rendering.
  void InitControl() override;
  void Dispose() override;

 private:
  friend class TKXTreeViewItem;
  TKXElementPtr<TKXHTMLTag> RenderClientSide(TKXCompContext* context);
  TKXElementPtr<TKXHTMLTag> RenderServerSidePlusMinus(TKXCompContext* context);
  // Appends item's SPAN and those of its expanded children; counts the lines.
  void RenderServerSideItem(TKXMarkupLanguageTag* container, TKXTreeViewItem* item, int level, int& lines);
  // The caption: a link submitting the item, a link to its URL, or a SPAN.
  TKXElementPtr<TKXHTMLTag> RenderCaption(TKXTreeViewItem* item, bool hasClickHandler);
  void RenderScrolling(TKXHTMLTag* result);
  std::vector<TKXTreeViewItem*> TopLevelItems() const;
  std::string StatusText() const;
  std::string SubmitClickScript(const std::string& param);
  std::string LookUpImage(TKXFileReference& reference, const char* builtIn) const;
  void ForgetItem(TKXTreeViewItem* item);

  std::string FScrollToName;
  bool FUseItemImages = true;
  bool FDoServerSidePlusMinus = false;
  bool FAutoIndent = true;
  bool FWrapItems = false;
  TKXScrollStyle FScrollBars = sbsAuto;
  TKXCompContext* FContext = nullptr;
  std::int32_t FUniqueCounter = 0;
  std::string FTreeNodes;
  std::unique_ptr<TKXTreeViewItems> FTreeViewItems;
  std::unique_ptr<TKXTreeViewImages> FTreeViewImages;
  std::int32_t FTreeViewImagesWidth = 16;
  std::int32_t FTreeViewImagesHeight = 16;
  TKXTreeViewItem* FTreeViewItem = nullptr;
  TKXTreeViewItemSpace FItemSpace;
};

// The family's registration (the tree view, its script and images), listed in kx/controls/ControlFamilies.cpp.
const TKXControlFamily& TreeFamily();

}  // namespace kx
