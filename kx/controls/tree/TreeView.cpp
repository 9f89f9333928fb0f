#include "kx/controls/tree/TreeView.h"

#include <algorithm>

#include "kx/appserver/Application.h"
#include "kx/controls/tree/FamilyFiles.h"
#include "kx/foundation/HtmlUtils.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr const char* kBlank = "gfx/Tp.gif";

std::string AttributeText(const std::string& text) { return TKXBaseHTMLControl::TextToHTML(text, false, false, false); }

TKXMarkupLanguageTag* AddImage(TKXMarkupLanguageTag* parent, const std::string& src, const std::string& alt,
                               const std::string& style) {
  TKXMarkupLanguageTag* image = parent->Contents()->AddTag("img", false);
  image->AddStringParam("src", AttributeText(src));
  image->AddStringParam("alt", AttributeText(alt));
  image->AddStringParam("style", style);
  return image;
}

void AppendTag(TKXMarkupLanguageTag* parent, TKXElementPtr<TKXHTMLTag> child) {
  static_cast<TKXMarkupLanguageTagCollection*>(parent->Contents())->AddTagAsObject(std::move(child), false);
}

int LevelOf(const TKXTreeViewItem* item) {
  int level = 0;
  for (const TKXTreeViewItem* parent = item->ParentItem(); parent != nullptr; parent = parent->ParentItem()) ++level;
  return level;
}

}  // namespace

// ---------------------------------------------------------------------------
// TKXTreeViewImages, TKXTreeViewItemSpace

void TKXTreeViewImages::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXTreeViewImages*>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->FClosedFolderImage.Assign(&FClosedFolderImage);
  other->FOpenFolderImage.Assign(&FOpenFolderImage);
  other->FDocumentImage.Assign(&FDocumentImage);
  other->FPlusImage.Assign(&FPlusImage);
  other->FMinusImage.Assign(&FMinusImage);
}

void TKXTreeViewItemSpace::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXTreeViewItemSpace*>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->FVerticalSpace = FVerticalSpace;
  other->FHorizontalSpace = FHorizontalSpace;
}

// ---------------------------------------------------------------------------
// TKXTreeViewItem

TKXTreeViewItem::TKXTreeViewItem(TKXTreeView* treeView) : FTreeView(treeView) {
  if (FTreeView != nullptr) FName = FTreeView->NextUniqueName();
  FCaption = FName;
}

TKXTreeViewItem::~TKXTreeViewItem() {
  if (FParentItem != nullptr) FParentItem->RemoveChild(this);
  FParentItem = nullptr;
  // Each child leaves this list (and the collection) as it goes.
  while (!FSubItems.empty()) delete FSubItems.back();
  if (FTreeView != nullptr) FTreeView->ForgetItem(this);
}

void TKXTreeViewItem::RemoveChild(TKXTreeViewItem* child) { std::erase(FSubItems, child); }

void TKXTreeViewItem::InvalidateTree() {
  if (FTreeView != nullptr) FTreeView->Invalidate();
}

void TKXTreeViewItem::SetParentItem(TKXTreeViewItem* parent) {
  // An item under itself or under one of its descendants would make the hierarchy a loop.
  for (TKXTreeViewItem* ancestor = parent; ancestor != nullptr; ancestor = ancestor->FParentItem) {
    if (ancestor == this) throw Exception("A tree item cannot be placed under itself or one of its items");
  }
  if (FParentItem != nullptr) FParentItem->RemoveChild(this);
  FParentItem = parent;
  if (parent != nullptr) parent->FSubItems.push_back(this);
  if (FVersion == 0) FVersion = 1;
  InvalidateTree();
}

void TKXTreeViewItem::SetCaption(const std::string& value) {
  FCaption = value;
  InvalidateTree();
}

void TKXTreeViewItem::SetExpanded(bool value) {
  FExpanded = value;
  InvalidateTree();
}

void TKXTreeViewItem::SetName(const std::string& value) {
  FName = value;
  std::replace(FName.begin(), FName.end(), ' ', '_');
}

void TKXTreeViewItem::SetHint(const std::string& value) {
  FHint = value;
  InvalidateTree();
}

void TKXTreeViewItem::SetVersion(std::int32_t value) {
  if (FVersion == 0) FVersion = value;
}

void TKXTreeViewItem::SetOnClick(TNotifyEvent value) {
  FOnClick = std::move(value);
  InvalidateTree();
}

std::string TKXTreeViewItem::DisplayName() {
  if (FVersion == 0) FVersion = 1;
  return FName;
}

std::string TKXTreeViewItem::NamePath() {
  return (FTreeView != nullptr ? FTreeView->Name() : std::string()) + "." + DisplayName();
}

void TKXTreeViewItem::DoClick() {
  if (FOnClick) FOnClick(this);
}

void TKXTreeViewItem::AssignTo(TPersistent* dest) const {
  auto* other = dynamic_cast<TKXTreeViewItem*>(dest);
  if (other == nullptr) {
    TPersistent::AssignTo(dest);
    return;
  }
  other->FCaption = FCaption;
  other->FExpanded = FExpanded;
  TKXTreeViewItem* parent = FParentItem;
  if (parent != nullptr && other->Collection() != Collection()) {
    const int index = parent->Index();
    TCollection* items = other->Collection();
    parent = items != nullptr && index >= 0 && index < items->Count() && items->Items(index) != other
                 ? static_cast<TKXTreeViewItem*>(items->Items(index))
                 : nullptr;
  }
  other->SetParentItem(parent);
  other->FName = FName;
  other->FURL = FURL;
  other->FOnClick = FOnClick;
  other->FItemImages.Assign(&FItemImages);
}

#define KX_ITEM_IMAGE(Getter, Reference)                                                        \
  std::string TKXTreeViewItem::Getter() const {                                                 \
    if (FTreeView == nullptr) return std::string();                                             \
    auto& images = const_cast<TKXTreeViewImages&>(FItemImages);                                 \
    if (!images.Reference().Empty()) return FTreeView->GetImageLocation(images.Reference());     \
    return FTreeView->Getter();                                                                 \
  }
KX_ITEM_IMAGE(GetClosedFolderImageLocation, ClosedFolderImage)
KX_ITEM_IMAGE(GetOpenFolderImageLocation, OpenFolderImage)
KX_ITEM_IMAGE(GetDocumentImageLocation, DocumentImage)
KX_ITEM_IMAGE(GetPlusImageLocation, PlusImage)
KX_ITEM_IMAGE(GetMinusImageLocation, MinusImage)
#undef KX_ITEM_IMAGE

TKXElementPtr<TKXHTMLTag> TKXTreeViewItem::RenderItem(int level, bool visible, bool hasClickHandler) {
  TKXTreeView& tree = *FTreeView;
  const int w = tree.TreeViewImagesWidth();
  const int h = tree.TreeViewImagesHeigth();
  const int vs = tree.ItemSpace().VerticalSpace();
  const int hs = tree.ItemSpace().HorizontalSpace();
  // The 11 x 9 plus and minus images sit centred in a W x H cell.
  int left = 0, right = 0, top = 0, bottom = 0;
  if (hs >= 1) {
    left = (w - 11) / 2;
    right = w % 2 == 0 ? left + 1 : left;
    top = (h - 9) / 2;
    bottom = h % 2 == 0 ? vs + top + 1 : vs + top;
  }
  const std::string marginBottom = "margin-bottom: " + std::to_string(vs) + "px;";
  const std::string toggleStyle = TKXCustomControl::RenderSizeStyle(11, 9) +
                                  "border:0; vertical-align:middle;  margin-top:" + std::to_string(top) +
                                  "px; margin-bottom:" + std::to_string(bottom) + "px; margin-left:" +
                                  std::to_string(left) + "px; margin-right:" + std::to_string(right) + "px";
  const std::string blank = tree.InternalFileURL(kBlank);
  const std::string object = tree.HTMLName() + "KXCL";
  const std::string nameLiteral = ScriptStringText(FName);

  TKXElementPtr<TKXHTMLTag> span = TKXHTMLTag::Create("SPAN");
  span->AddStringParam("id", AttributeText(tree.ElementId("", FName)));
  span->AddStringParam("data-kxitem", AttributeText(FName));
  span->AddStringParam("class", AttributeText(FCss + "Container"));
  if (!visible) span->AddStringParam("style", "visibility:hidden; display:none;");

  if (level >= 1 && tree.AutoIndent())
    AddImage(span.get(), blank, "tp", TKXCustomControl::RenderSizeStyle(w * level, h) + "vertical-align:middle;border:0;");
  const std::string imageStyle = TKXCustomControl::RenderSizeStyle(w, h) + "border:0; vertical-align: middle;" + marginBottom;
  if (!HasChild()) {
    if (tree.UseItemImages()) {
      AddImage(span.get(), blank, "tp.gif",
               TKXCustomControl::RenderSizeStyle(w, h) + "border: 0; vertical-align: middle;" + marginBottom);
      AddImage(span.get(), GetDocumentImageLocation(), "docimg", imageStyle);
    }
  } else {
    const char* hidden = "visibility:hidden; display:none;";
    TKXMarkupLanguageTag* plus = span->Contents()->AddTag("a", false);
    plus->AddStringParam("href", "javascript:" + object + ".OpenTreeItem('" + nameLiteral + "');");
    plus->AddStringParam("id", AttributeText(tree.ElementId("plusImg_", FName)));
    if (FExpanded) plus->AddStringParam("style", hidden);
    AddImage(plus, GetPlusImageLocation(), "plusimg", toggleStyle);
    if (tree.UseItemImages()) AddImage(plus, GetClosedFolderImageLocation(), "closedfolderimg", imageStyle);
    TKXMarkupLanguageTag* minus = span->Contents()->AddTag("a", false);
    minus->AddStringParam("href", "javascript:" + object + ".CloseTreeItem('" + nameLiteral + "');");
    minus->AddStringParam("id", AttributeText(tree.ElementId("minusImg_", FName)));
    if (!FExpanded) minus->AddStringParam("style", hidden);
    AddImage(minus, GetMinusImageLocation(), "minusimg", toggleStyle);
    if (tree.UseItemImages()) AddImage(minus, GetOpenFolderImageLocation(), "openfolderimg", imageStyle);
  }
  AddImage(span.get(), blank, "tp.gif", TKXCustomControl::RenderSizeStyle(hs, h) + "border: 0; vertical-align:middle");
  AppendTag(span.get(), tree.RenderCaption(this, hasClickHandler));
  span->Contents()->AddText("<br>", false);
  for (TKXTreeViewItem* child : FSubItems)
    AppendTag(span.get(), child->RenderItem(level + 1, FExpanded && visible, hasClickHandler));
  return span;
}

// ---------------------------------------------------------------------------
// TKXTreeViewItems

TKXTreeViewItems::TKXTreeViewItems(TKXTreeView* treeView)
    : TOwnedCollection(treeView, [treeView] { return std::make_unique<TKXTreeViewItem>(treeView); }),
      FTreeView(treeView) {}

TKXTreeViewItem* TKXTreeViewItems::Add(TKXTreeViewItem* parent) {
  auto* item = static_cast<TKXTreeViewItem*>(TCollection::Add());
  item->SetParentItem(parent);
  FTreeView->Invalidate();
  return item;
}

std::unique_ptr<TKXHTMLTagCollection> TKXTreeViewItems::RenderTreeView(bool hasClickHandler) const {
  auto tags = std::make_unique<TKXHTMLTagCollection>(nullptr);
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ParentItem() == nullptr)
      tags->AddTagAsObject(Items(i)->RenderItem(0, true, hasClickHandler), false);
  return tags;
}

TKXTreeViewItem* TKXTreeViewItems::Find(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (Items(i)->Name() == name) return Items(i);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TKXTreeView

void TKXTreeView::InitControl() {
  TKXControl::InitControl();
  FTreeViewItems = std::make_unique<TKXTreeViewItems>(this);
  FTreeViewImages = std::make_unique<TKXTreeViewImages>();
  SetBounds(Left(), Top(), 200, 200);
  SetRenderSize(true);
  SetSupportsPartial(false);
}

void TKXTreeView::Dispose() {
  // The items go first: they tell the tree as they go.
  if (FTreeViewItems) FTreeViewItems->Clear();
  FTreeViewItem = nullptr;
  TKXControl::Dispose();
}

void TKXTreeView::ForgetItem(TKXTreeViewItem* item) {
  if (FTreeViewItem == item) FTreeViewItem = nullptr;
}

void TKXTreeView::ClearAll() {
  FTreeViewItems->Clear();
  FTreeViewImages = std::make_unique<TKXTreeViewImages>();
  FTreeViewItem = nullptr;
  Invalidate();
}

std::string TKXTreeView::NextUniqueName() { return "i" + std::to_string(++FUniqueCounter); }

std::string TKXTreeView::ElementId(const std::string& part, const std::string& itemName) {
  return HTMLName() + "_" + part + itemName;
}

std::vector<TKXTreeViewItem*> TKXTreeView::TopLevelItems() const {
  std::vector<TKXTreeViewItem*> items;
  for (int i = 0; i < FTreeViewItems->Count(); ++i) {
    if (FTreeViewItems->Items(i)->ParentItem() == nullptr) items.push_back(FTreeViewItems->Items(i));
  }
  return items;
}

std::string TKXTreeView::PositionableNodeName(TKXTreeViewItem* item) const {
  for (; item != nullptr; item = item->ParentItem()) {
    bool shown = true;
    for (TKXTreeViewItem* ancestor = item->ParentItem(); ancestor != nullptr; ancestor = ancestor->ParentItem()) {
      if (!ancestor->Expanded()) shown = false;
    }
    if (shown) return item->Name();
  }
  return std::string();
}

std::string TKXTreeView::InternalFileURL(const std::string& file) const {
  if (FContext != nullptr && FContext->PageContext() != nullptr) return FContext->PageContext()->GetInternalFileURL(file);
  TKXApplication* application = TKXControlSession::Current().Application();
  return application != nullptr ? application->GetInternalFileURL(file) : file;
}

std::string TKXTreeView::GetImageLocation(const TKXFileReference& reference) const {
  const std::string& name = !reference.URL().empty() ? reference.URL() : reference.Filename();
  if (name.empty()) return std::string();
  TKXApplication* application = TKXControlSession::Current().Application();
  return application != nullptr ? application->GetExternalFileURL(name) : name;
}

std::string TKXTreeView::LookUpImage(TKXFileReference& reference, const char* builtIn) const {
  return reference.Empty() ? InternalFileURL(builtIn) : GetImageLocation(reference);
}

std::string TKXTreeView::GetClosedFolderImageLocation() const {
  return LookUpImage(FTreeViewImages->ClosedFolderImage(), "gfx/TreeView_closed.gif");
}
std::string TKXTreeView::GetOpenFolderImageLocation() const {
  return LookUpImage(FTreeViewImages->OpenFolderImage(), "gfx/TreeView_open.gif");
}
std::string TKXTreeView::GetDocumentImageLocation() const {
  return LookUpImage(FTreeViewImages->DocumentImage(), "gfx/TreeView_document.gif");
}
std::string TKXTreeView::GetPlusImageLocation() const {
  return LookUpImage(FTreeViewImages->PlusImage(), "gfx/TreeView_plus.gif");
}
std::string TKXTreeView::GetMinusImageLocation() const {
  return LookUpImage(FTreeViewImages->MinusImage(), "gfx/TreeView_minus.gif");
}

// ---- posted values and submits

void TKXTreeView::GetInputControlNames(TStrings& list) {
  list.Clear();
  list.Add(HTMLName() + "status");
}

bool TKXTreeView::IsForThisControl(const std::string& name) {
  return name == HTMLName() || name == HTMLName() + "status";
}

void TKXTreeView::SetValue(const std::string& value) {
  NotifyParentOfPostedValue(value);
  std::string status;
  try {
    status = KXHttpDecode(value);
  } catch (const Exception&) {
    // Not what the page writes: the expansion stays as it is.
    return;
  }
  if (Trim(status).empty()) return;
  std::vector<std::string> names;
  for (std::size_t start = 0; start <= status.size();) {
    const std::size_t comma = std::min(status.find(',', start), status.size());
    if (comma > start) names.push_back(status.substr(start, comma - start));
    start = comma + 1;
  }
  if (names.empty()) return;
  // The browser shows this state already: the fields change without a refresh.
  for (int i = 0; i < FTreeViewItems->Count(); ++i) FTreeViewItems->Items(i)->FExpanded = false;
  for (const std::string& name : names) {
    if (TKXTreeViewItem* item = FTreeViewItems->Find(name)) item->FExpanded = true;
  }
}

void TKXTreeView::Submit(const std::string& value) {
  const bool open = value.starts_with("opn");
  if ((FDoServerSidePlusMinus && open) || value.starts_with("cls")) {
    const std::string name = value.substr(3);
    TKXTreeViewItem* item = FTreeViewItems->Find(name);
    if (item == nullptr) return;
    FTreeViewItem = item;
    item->SetExpanded(!item->Expanded());
    FScrollToName = name;
    if (OnPlusMinus) OnPlusMinus(item, open);
    return;
  }
  TKXControl::Submit(value);
  TKXTreeViewItem* item = FTreeViewItems->Find(value);
  if (item == nullptr) return;
  FTreeViewItem = item;
  item->DoClick();
  if (TreeItemClick) TreeItemClick(this, item);
}

// ---- rendering

std::string TKXTreeView::SubmitClickScript(const std::string& param) {
  return "SubmitClick('" + ScriptStringText(HTMLName()) + "', '" + ScriptStringText(param) + "');";
}

TKXElementPtr<TKXHTMLTag> TKXTreeView::RenderCaption(TKXTreeViewItem* item, bool hasClickHandler) {
  const std::string url = Trim(item->URL());
  const bool link = item->OnClick() || hasClickHandler || !url.empty();
  TKXElementPtr<TKXHTMLTag> caption = TKXHTMLTag::Create(link ? "a" : "span");
  if (url.empty() && link) {
    caption->AddStringParam("href", "javascript:" + SubmitClickScript(item->Name()));
    caption->AddStringParam("onclick", SubmitClickScript(item->Name()) + " return false;");
  } else if (!url.empty()) {
    caption->AddStringParam("href", AttributeText(url));
  }
  const std::string hint = Trim(item->Hint());
  if (!hint.empty()) caption->AddStringParam("Title", AttributeText(hint));
  if (!item->Css().empty()) {
    caption->AddStringParam("class", AttributeText(item->Css()));
  } else if (item->Font().Enabled()) {
    caption->AddStringParam("style", item->Font().FontToStringStyle());
  }
  caption->Contents()->AddText(TextToHTML(item->Caption(), false, false, false), false);
  return caption;
}

std::string TKXTreeView::StatusText() const {
  std::string status;
  for (int i = 0; i < FTreeViewItems->Count(); ++i) {
    if (FTreeViewItems->Items(i)->Expanded()) status += "," + FTreeViewItems->Items(i)->Name() + ",";
  }
  return status;
}

void TKXTreeView::RenderInnerHTML(TKXHTMLTag* tag) {
  TKXElementPtr<TKXHTMLTag> container = TKXHTMLTag::Create("DIV");
  container->AddStringParam("id", HTMLName() + "Container");
  container->Contents()->AddTagCollection(FTreeViewItems->RenderTreeView(bool(TreeItemClick)), false);
  std::string style;
  if (StyleRenderOptions().RenderPosition()) style += "position: absolute; left: 0; top: 0;";
  if (!FWrapItems) style += "white-space:nowrap;";
  container->AddStringParam("style", style);

  TKXMarkupLanguageTag* status = tag->Contents()->AddTag("input", false);
  status->AddStringParam("type", "hidden");
  status->AddStringParam("name", HTMLName() + "status");
  if (!UseFrame()) status->AddStringParam("ID", HTMLName() + "status");
  status->AddStringParam("value", KXHttpEncode(StatusText()), true);
  AppendTag(tag, std::move(container));
}

std::string TKXTreeView::RenderClientItemScript(const std::vector<TKXTreeViewItem*>& list) {
  const std::vector<TKXTreeViewItem*> items = list.empty() ? TopLevelItems() : list;
  std::string script;
  for (std::size_t i = 0; i < items.size(); ++i) {
    TKXTreeViewItem* item = items[i];
    script += std::string(2 * (LevelOf(item) + 1), ' ') + "new AddTVItem(" + HTMLName() + "KXCL" + ", \"" +
              ScriptStringText(item->Name()) + "\"" + ", ";
    if (item->HasChild()) {
      script += "\r\n" + RenderClientItemScript(item->SubItems()) + ", ";
    } else {
      script += "null, ";
    }
    script += i + 1 < items.size() ? "\r\n" : "null";
  }
  script += std::string(items.size(), ')');
  return script;
}

void TKXTreeView::RenderScrolling(TKXHTMLTag* result) {
  if (FTreeViewItems->Count() == 0 || FScrollToName.empty()) return;
  TKXTreeViewItem* item = FTreeViewItems->Find(FScrollToName);
  const std::string node = item != nullptr ? PositionableNodeName(item) : std::string();
  if (node.empty()) return;
  const std::string function = "position" + HTMLName() + "Tree";
  if (FContext != nullptr)
    FContext->AddToInitProcDoLastCode(function + "( \"" + ScriptStringText(ElementId("", node)) + "\" );");
  if (result == nullptr) return;
  TKXMarkupLanguageTag* script = result->Contents()->AddTag("script", false);
  script->Contents()->AddText("function " + function + "( iNodeID ) {\r\n" + "  FindElem( \"" + HTMLName() +
                                  "\").scrollTop =\r\n" + "    FindElem( iNodeID ).offsetTop - 40;\r\n" +
                                  "  return true;\r\n" + "}\r\n",
                              false);
}

TKXElementPtr<TKXHTMLTag> TKXTreeView::RenderClientSide(TKXCompContext* context) {
  if (context != nullptr) {
    context->AddScriptFile(tree_files::kKXTreeJs);
    context->CacheImage(HTMLName() + "_Blank", InternalFileURL(kBlank));
  }
  TKXElementPtr<TKXHTMLTag> tag = TKXHTMLTag::Create("DIV");
  RenderInnerHTML(tag.get());
  if (context != nullptr && FTreeViewItems->Count() > 0) {
    const std::string object = HTMLName() + "KXCL";
    context->AddToInitProc("if (" + object + "){" + object + ".Items = \r\n" + RenderClientItemScript({}) + ";\r\n" +
                           "InitTreeView(" + object + ", \"" + HTMLName() + "Container\");\r\n}");
  }
  return tag;
}

void TKXTreeView::RenderServerSideItem(TKXMarkupLanguageTag* container, TKXTreeViewItem* item, int level, int& lines) {
  ++lines;
  const std::string blank = InternalFileURL(kBlank);
  TKXMarkupLanguageTag* span = container->Contents()->AddTag("SPAN", false);
  span->AddStringParam("id", AttributeText(ElementId("", item->Name())));
  span->AddStringParam("class", AttributeText(item->Css()));
  span->AddStringParam("style", "white-space: nowrap");
  if (level > 0)
    AddImage(span, blank, "tp.gif", "width: " + std::to_string(level * 16) + "px; height: 16px; border: 0;");
  std::string itemImage;
  if (!item->HasChild()) {
    AddImage(span, blank, "tp.gif", "width: 11px; height: 9px; border: 0;");
    itemImage = item->GetDocumentImageLocation();
  } else {
    const bool expanded = item->Expanded();
    const std::string action = (expanded ? "cls" : "opn") + item->Name();
    TKXMarkupLanguageTag* toggle = span->Contents()->AddTag("a", false);
    toggle->AddStringParam("href", "javascript:" + SubmitClickScript(action));
    toggle->AddStringParam("onclick", SubmitClickScript(action) + " return false;");
    AddImage(toggle, expanded ? item->GetMinusImageLocation() : item->GetPlusImageLocation(), "tp.gif",
             "width: 11px; height: 9px; border: 0;");
    itemImage = expanded ? item->GetOpenFolderImageLocation() : item->GetClosedFolderImageLocation();
  }
  AddImage(span, itemImage, itemImage, "width: 16px; height: 16px; border: 0;");
  TKXElementPtr<TKXHTMLTag> caption = RenderCaption(item, bool(TreeItemClick));
  caption->Contents()->AddTag("br", false);
  AppendTag(span, std::move(caption));
  if (!item->Expanded()) return;
  for (TKXTreeViewItem* child : item->SubItems()) RenderServerSideItem(container, child, level + 1, lines);
}

TKXElementPtr<TKXHTMLTag> TKXTreeView::RenderServerSidePlusMinus(TKXCompContext* context) {
  (void)context;
  if (FTreeViewItems->Count() == 0) return nullptr;
  TKXElementPtr<TKXHTMLTag> outer = TKXHTMLTag::Create("DIV");
  TKXMarkupLanguageTag* inner = outer->Contents()->AddTag("DIV", false);
  inner->AddStringParam("id", HTMLName() + "Container");
  int lines = 0;
  for (TKXTreeViewItem* item : TopLevelItems()) RenderServerSideItem(inner, item, 0, lines);
  inner->AddStringParam("style",
                        "position:absolute; left:0px; top:0px; height:" + std::to_string(lines * 16) + "px;");
  return outer;
}

TKXElementPtr<TKXHTMLTag> TKXTreeView::RenderHTML(TKXCompContext* context) {
  FContext = context;
  SetClip(UseFrame());
  TKXElementPtr<TKXHTMLTag> result =
      FDoServerSidePlusMinus ? RenderServerSidePlusMinus(context) : RenderClientSide(context);
  RenderScrolling(result.get());
  FContext = nullptr;
  return result;
}

std::string TKXTreeView::RenderStyle(TKXCompContext* context) {
  std::string style = TKXControl::RenderStyle(context);
  if (!FDoServerSidePlusMinus) style += RenderScrollStyle(FScrollBars);
  return style;
}

TKXElementPtr<TKXXMLTag> TKXTreeView::RenderAsync(TKXCompContext* context) {
  FContext = context;
  TKXElementPtr<TKXXMLTag> tag = TKXXMLTag::Create("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "KXTreeView");
  TKXElementPtr<TKXHTMLTag> holder = TKXHTMLTag::Create("DIV");
  if (FDoServerSidePlusMinus) {
    if (TKXElementPtr<TKXHTMLTag> tree = RenderServerSidePlusMinus(context)) AppendTag(holder.get(), std::move(tree));
  } else {
    RenderInnerHTML(holder.get());
  }
  std::string inner;
  for (int i = 0; i < holder->Contents()->Count(); ++i) inner += holder->Contents()->GetHTMLElement(i)->Render();
  tag->Contents()->AddTag("innerHTML", false)->Contents()->AddText(inner, false);
  RenderAsyncCommonProperties(context, tag.get(), kAsyncCommonProps);
  FContext = nullptr;
  return tag;
}

// ---------------------------------------------------------------------------

const TKXControlFamily& TreeFamily() {
  static const TKXControlFamily family{.Name = "tree"};
  return family;
}

}  // namespace kx
