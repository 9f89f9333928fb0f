/*
 * KXGrid.js: the callback update of a grid ("KXGRID").
 *
 * A grid is a DIV (id NAME) holding its TABLE (id TBLNAME), or, drawn with a frame, the TABLE alone. The update
 * of NAME brings the new TABLE as "innerhtml": it fills the DIV, or takes the place of a TABLE that stands alone.
 * The update of TBLNAME carries the table's own properties; its position stays where the page's script put it
 * (left and top 0 inside the DIV), so "left" and "top" of its style are not applied again.
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
  element.parentNode.replaceChild(table, element);
  return table;
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
  var children = KX.Ajax.childElements(control, ""), i, name, handler;
  var insideDiv = element.tagName === "TABLE" && KX.Ajax.childElements(control, "innerhtml").length === 0;
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
      handler(element, children[i], element.id);
    }
  }
  return true;
};
