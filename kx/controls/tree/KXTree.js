/*
 * KXTree.js: a tree view in client-script mode. The server writes the tree's items as nested SPANs (each marked
 * with data-kxitem = the item's name, its children inside it after its caption) and starts the tree with
 *   NKXCL.Items = new AddTVItem(NKXCL, "i1", <first child>, <next sibling>);
 *   InitTreeView(NKXCL, "NContainer");
 * OpenTreeItem and CloseTreeItem work from the page's elements alone (ids "N_<item>", "N_plusImg_<item>",
 * "N_minusImg_<item>"), so they keep working after a callback replaced the tree's markup. The expanded items are
 * kept in the hidden field "Nstatus" as ",a,,b," in the server's URL encoding; it is posted with the form.
 */

/* One item of the chain the server writes: its name, its first child and its next sibling. */
function AddTVItem(tree, name, firstChild, nextSibling) {
  this.tree = tree;
  this.name = String(name);
  this.firstChild = firstChild || null;
  this.nextSibling = nextSibling || null;
}

KX.Tree = {};

/* The server's KXHttpEncode: letters, digits and ! $ ' ( ) * - . @ _ stay, a blank is "+", other bytes "%xx". */
KX.Tree.encode = function (text) {
  return encodeURIComponent(String(text)).replace(/%20/g, "+").replace(/~/g, "%7e").replace(/%24/g, "$")
      .replace(/%40/g, "@").replace(/%[0-9A-F]{2}/g, function (hex) {
        return hex.toLowerCase();
      });
};

KX.Tree.decode = function (text) {
  try {
    return decodeURIComponent(String(text || "").replace(/\+/g, " "));
  } catch (err) {
    return "";
  }
};

/* The names of the expanded items, from the status field. */
KX.Tree.expandedNames = function (treeName) {
  var field = document.getElementById(treeName + "status") || FindElem(treeName + "status");
  var parts = field ? KX.Tree.decode(field.value).split(",") : [], names = {}, i;
  for (i = 0; i < parts.length; i++) {
    if (parts[i]) {
      names[parts[i]] = true;
    }
  }
  return names;
};

/* Rewrites the status field: the expanded items in the order of the page. */
KX.Tree.writeStatus = function (treeName, names) {
  var field = document.getElementById(treeName + "status") || FindElem(treeName + "status");
  var container = document.getElementById(treeName), spans, status = "", i, name;
  if (!field || !container) {
    return;
  }
  spans = container.querySelectorAll("span[data-kxitem]");
  for (i = 0; i < spans.length; i++) {
    name = spans[i].getAttribute("data-kxitem");
    if (names[name]) {
      status += "," + name + ",";
    }
  }
  field.value = KX.Tree.encode(status);
};

KX.Tree.show = function (element, visible) {
  if (!element) {
    return;
  }
  element.style.visibility = visible ? "" : "hidden";
  element.style.display = visible ? "" : "none";
};

/* The item SPANs directly under an item's SPAN. */
KX.Tree.children = function (span) {
  var result = [], child;
  for (child = span.firstChild; child; child = child.nextSibling) {
    if (child.nodeType === 1 && child.hasAttribute("data-kxitem")) {
      result.push(child);
    }
  }
  return result;
};

/* Shows or hides the children of an item; shown children that are expanded show theirs too. */
KX.Tree.showChildren = function (span, visible, expanded) {
  var children = KX.Tree.children(span), i;
  for (i = 0; i < children.length; i++) {
    KX.Tree.show(children[i], visible);
    if (!visible || expanded[children[i].getAttribute("data-kxitem")]) {
      KX.Tree.showChildren(children[i], visible, expanded);
    }
  }
};

KX.Tree.toggle = function (treeName, itemName, open) {
  var span = document.getElementById(treeName + "_" + itemName), names;
  if (!span) {
    return;
  }
  names = KX.Tree.expandedNames(treeName);
  if (open) {
    names[itemName] = true;
  } else {
    delete names[itemName];
  }
  KX.Tree.show(document.getElementById(treeName + "_plusImg_" + itemName), !open);
  KX.Tree.show(document.getElementById(treeName + "_minusImg_" + itemName), open);
  KX.Tree.showChildren(span, open, names);
  KX.Tree.writeStatus(treeName, names);
};

/* Makes tree (the tree's client object) a tree view. */
function InitTreeView(tree, containerId) {
  var treeName;
  if (!tree) {
    return;
  }
  treeName = tree.kxName || tree.id;
  tree.kxContainerId = containerId;
  tree.OpenTreeItem = function (itemName) {
    KX.Tree.toggle(treeName, String(itemName), true);
  };
  tree.CloseTreeItem = function (itemName) {
    KX.Tree.toggle(treeName, String(itemName), false);
  };
}
