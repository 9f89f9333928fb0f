// The tree view against the control contract (support/ControlContract.h).
#include "kx/controls/tree/TreeView.h"
#include "support/ControlContract.h"

namespace kx::test {
namespace {

TKXTreeView* MakeTree(TFormFixture& f) {
  auto* tree = f.Add<TKXTreeView>("Tree1", f.Form);
  TKXTreeViewItem* docs = tree->Items().Add(nullptr);
  tree->Items().Add(docs);
  tree->Items().Add(nullptr);
  return tree;
}

// The names of the expanded items.
std::string ExpandedItems(TKXCustomControl& control) {
  TKXTreeViewItems& items = static_cast<TKXTreeView&>(control).Items();
  std::string names;
  for (int i = 0; i < items.Count(); ++i) {
    if (items.Items(i)->Expanded()) names += items.Items(i)->Name() + " ";
  }
  return names;
}

const TControlContract kTreeContract[] = {
    {.Name = "TreeView",
     .Make = [](TFormFixture& f) -> TKXCustomControl* { return MakeTree(f); },
     .Tag = "div",
     .Attributes = {{"name", kAbsent}},
     .Styles = {{"overflow", "auto"}},
     .Posts = {{"%2ci2%2c", "i2 ", &ExpandedItems},
               // nothing named: every item collapses
               {",nobody,", "", &ExpandedItems},
               {",i1,,i3,", "i1 i3 ", &ExpandedItems},
               // empty, only commas, or not the page's encoding: the state stays
               {"", "i1 i3 ", &ExpandedItems},
               {",,,", "i1 i3 ", &ExpandedItems},
               {"%zz", "i1 i3 ", &ExpandedItems}},
     .HostileText = [](TKXCustomControl& c, const std::string& text) {
       static_cast<TKXTreeView&>(c).Items().Items(1)->SetCaption(text);
     },
     .AsyncType = "KXTreeView"},
};
KX_CONTROL_CONTRACT(Tree, kTreeContract);

}  // namespace
}  // namespace kx::test
