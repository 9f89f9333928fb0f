/*
 * KXMenu.js: the menu bar. The server's start-up script builds the client menu with `with` blocks:
 *   N_menu = initMenu("N")
 *   with (N_menu) {
 *     SelectedItemStyle = "MenuSelectedItem";
 *     MenuOrientation = moHorizontal;
 *     with (addMenuItem("N_submenu0", id)) {       // an item of the top row ("id" is the parent's id)
 *       SelectedItemStyle = "MenuSubSelectedItem";
 *       Enabled = false;                           // only for a disabled item
 *       with (addMenuItem("N_submenu1", id)) { ... }
 *       MenuOrientation = moVertical;              // how its own sub-menu lies
 *     }
 *   }
 * An item's element is the table with its id; its sub-menu is the table id + "_table". Pointing at an item
 * highlights it and opens its sub-menu; a click on an enabled item without sub-menu submits the form with the
 * menu as action and the item's id as parameter. A click elsewhere closes the open sub-menus.
 */
var moHorizontal = 0, moVertical = 1;

KX.Menu = { menus: {}, CLOSE_MS: 600 };

/* The properties the `with` blocks assign must exist on the objects, or the assignment would make globals. */
function KXMenuNode(id, parent, menu) {
  this.id = id;
  this.parent = parent;
  this.menu = menu || this;
  this.items = [];
  this.SelectedItemStyle = "";
  this.MenuOrientation = moHorizontal;
  this.Enabled = true;
  this.ComboBoxHide = false;
  this.open = null;         // the child whose sub-menu is shown
  this.closeTimer = null;
}

KXMenuNode.prototype.addMenuItem = function (id, parentId) {
  var item = new KXMenuNode(String(id), this, this.menu);
  void parentId;
  this.items.push(item);
  item.attach();
  return item;
};

KXMenuNode.prototype.element = function () {
  return document.getElementById(this.id);
};

KXMenuNode.prototype.subMenu = function () {
  return document.getElementById(this.id + "_table");
};

KXMenuNode.prototype.attach = function () {
  var self = this, element = this.element();
  if (!element) {
    return;
  }
  element.onmouseover = function () {
    self.menu.cancelClose();
    self.highlight(true);
    if (self.parent.open !== self) {
      self.parent.closeOpen();
      if (self.subMenu() && self.Enabled) {
        self.show();
      }
    }
  };
  element.onmouseout = function () {
    if (self.parent.open !== self) {
      self.highlight(false);
    }
    self.menu.scheduleClose();
  };
  element.onclick = function (event) {
    return self.click(event || window.event);
  };
};

KXMenuNode.prototype.highlight = function (on) {
  var element = this.element();
  if (!element) {
    return;
  }
  if (element.kxClass === undefined) {
    element.kxClass = element.className;
  }
  element.className = on && this.Enabled ? this.SelectedItemStyle : element.kxClass;
};

/* Opens the item's sub-menu beside it: below for an item of a horizontal row, to the right in a column. */
KXMenuNode.prototype.show = function () {
  var table = this.subMenu(), element = this.element(), cell;
  if (!table || !element) {
    return;
  }
  cell = table.parentNode;
  cell.style.position = "relative";
  if (this.parent.MenuOrientation === moHorizontal) {
    table.style.left = "0px";
    table.style.top = element.offsetHeight + "px";
  } else {
    table.style.left = element.offsetWidth + "px";
    table.style.top = "0px";
  }
  table.style.display = "table";
  table.style.visibility = "visible";
  this.parent.open = this;
};

KXMenuNode.prototype.hide = function () {
  var table = this.subMenu();
  this.closeOpen();
  if (table) {
    table.style.visibility = "hidden";
    table.style.display = "none";
  }
  this.highlight(false);
  if (this.parent.open === this) {
    this.parent.open = null;
  }
};

KXMenuNode.prototype.closeOpen = function () {
  if (this.open) {
    this.open.hide();
  }
};

KXMenuNode.prototype.click = function (event) {
  if (event && event.stopPropagation) {
    event.stopPropagation();
  }
  if (!this.Enabled) {
    return false;
  }
  if (this.items.length > 0) {
    if (this.parent.open === this) {
      this.hide();
    } else {
      this.parent.closeOpen();
      this.show();
    }
    return false;
  }
  this.menu.closeOpen();
  SubmitClickConfirm(this.menu.id, this.id, false, "");
  return false;
};

KXMenuNode.prototype.cancelClose = function () {
  if (this.closeTimer) {
    window.clearTimeout(this.closeTimer);
    this.closeTimer = null;
  }
};

KXMenuNode.prototype.scheduleClose = function () {
  var self = this;
  this.cancelClose();
  this.closeTimer = window.setTimeout(function () {
    self.closeTimer = null;
    self.closeOpen();
  }, KX.Menu.CLOSE_MS);
};

/* The client menu of the menu bar N (a table with that id). */
function initMenu(name) {
  var menu = new KXMenuNode(String(name), null, null);
  KX.Menu.menus[menu.id] = menu;
  return menu;
}

KX.Menu.closeAll = function () {
  var id;
  for (id in KX.Menu.menus) {
    if (KX.Menu.menus.hasOwnProperty(id)) {
      KX.Menu.menus[id].closeOpen();
    }
  }
};

if (document.addEventListener) {
  document.addEventListener("click", KX.Menu.closeAll, false);
}
