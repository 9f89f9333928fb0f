/*
 * KXGrid.js: the callback update of a grid ("KXGRID").
 *
 * A grid is a DIV (id NAME) holding its TABLE (id TBLNAME), or, drawn with a frame, the TABLE alone. The update
 * of NAME brings the new TABLE as "innerhtml": it fills the DIV, or takes the place of a TABLE that stands alone.
 * The update of TBLNAME carries the table's own properties; its position stays where the page's script put it
 * (left and top 0 inside the DIV), so "left" and "top" of its style are not applied again.
 *
 * A grid drawn with a frame sends one update, of TBLNAME, holding the new TABLE and the control's properties. The
 * new TABLE keeps the class and style the page gave the old one. When the layout put the frame around it (a DIV
 * of id NAME), the properties are the frame's: its place and size, with the TABLE inside at the frame's width and
 * its own height, as the page drew them.
 */
KX.Grid = {};

/* Puts the new table of node into element: its content for a DIV, the element itself for a table. */
KX.Grid.replaceTable = function (element, node) {
  var holder, table;
  if (element.tagName !== "TABLE") {
    element.innerHTML = KX.Ajax.textOf(node);
    return element;
  }
  holder = document.createElement("div");
  holder.innerHTML = KX.Ajax.textOf(node);
  table = holder.getElementsByTagName("table")[0];
  if (!table) {
    return element;
  }
  table.className = element.className;
  table.style.cssText = element.style.cssText;
  element.parentNode.replaceChild(table, element);
  return table;
};

/* The frame the layout drew around a table that stands for its grid (a DIV of the grid's name); null when none. */
KX.Grid.frameOf = function (table) {
  var parent = table.parentNode;
  return parent && parent.tagName === "DIV" && parent.id && table.id === "TBL" + parent.id ? parent : null;
};

/* The properties of a table's update, without the position inside the grid's DIV. */
KX.Grid.applyTableStyle = function (element, node) {
  var attributes = KX.Ajax.childElements(node, "attribute"), i, name;
  for (i = attributes.length - 1; i >= 0; i--) {
    name = (attributes[i].getAttribute("name") || "").replace(/^\s+|\s+$/g, "").toLowerCase();
    if (name === "left" || name === "top") {
      node.removeChild(attributes[i]);
    }
  }
  KX.Update.applyStyle(element, node);
};

KX.Update.types.KXGRID = function (element, control) {
  var children = KX.Ajax.childElements(control, ""), i, name, handler, target;
  var withTable = KX.Ajax.childElements(control, "innerhtml").length > 0;
  var insideDiv = element.tagName === "TABLE" && !withTable;
  var frame = element.tagName === "TABLE" && withTable ? KX.Grid.frameOf(element) : null;
  for (i = 0; i < children.length; i++) {
    name = children[i].nodeName.toLowerCase();
    if (name === "innerhtml") {
      element = KX.Grid.replaceTable(element, children[i]);
      continue;
    }
    if (name === "style" && insideDiv) {
      KX.Grid.applyTableStyle(element, children[i]);
      continue;
    }
    handler = KX.Update.properties.hasOwnProperty(name) ? KX.Update.properties[name] : null;
    if (handler) {
      target = frame || element;
      handler(target, children[i], target.id);
    }
  }
  return true;
};
