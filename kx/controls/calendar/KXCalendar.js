/*
 * KXCalendar.js: the callback update of a calendar ("KXCALENDAR").
 *
 * A calendar is a TABLE (id NAME) whose cells refer to the classes NAME_CS0, NAME_CS1 ... of the page's style
 * tag. The update brings the whole new TABLE as "innerhtml": its rows take the place of the page table's rows
 * (the page table keeps its own position and class), and "cellstyles" brings every class rule, which a style
 * element of the calendar (id NAME_CS) holds, so that styles first used by this update apply too.
 */
KX.Calendar = {};

/* The rows of the table in node take the place of the rows of element. */
KX.Calendar.replaceRows = function (element, node) {
  var holder = document.createElement("div"), table;
  holder.innerHTML = KX.Ajax.textOf(node);
  table = holder.getElementsByTagName("table")[0];
  if (table) {
    element.innerHTML = table.innerHTML;
  }
};

/* The calendar's own style element, made on first use, holds the rules of node. */
KX.Calendar.setCellStyles = function (id, node) {
  var style = document.getElementById(id + "_CS");
  if (!style) {
    style = document.createElement("style");
    style.id = id + "_CS";
    (document.head || document.getElementsByTagName("head")[0]).appendChild(style);
  }
  style.textContent = KX.Ajax.textOf(node);
};

KX.Update.types.KXCALENDAR = function (element, control) {
  var children = KX.Ajax.childElements(control, ""), i, name, handler;
  for (i = 0; i < children.length; i++) {
    name = children[i].nodeName.toLowerCase();
    if (name === "innerhtml") {
      KX.Calendar.replaceRows(element, children[i]);
    } else if (name === "cellstyles") {
      KX.Calendar.setCellStyles(element.id, children[i]);
    } else {
      handler = KX.Update.properties.hasOwnProperty(name) ? KX.Update.properties[name] : null;
      if (handler) {
        handler(element, children[i], element.id);
      }
    }
  }
  return true;
};
