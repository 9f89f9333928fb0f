/*
 * KXLists.js: the scripted ("enhanced") combo box NAME: SPAN#NAME holding the hidden NAME (the selected index),
 * NAME_Text (the caption shown), NAME_Button and the drop-down NAME_DropDown with one DIV per entry
 * (NAME_item_noselect, NAME_item_i). The page's own script defines NAME_doClick and NAME_doSelectItem.
 * A SELECT combo or list box is updated by KX.Update's "items"; the enhanced one by the handler below.
 */
KX.Lists = {};

/* The entries of a callback update for the enhanced combo: the drop-down, the caption shown and the index. */
KX.Lists.applyEnhanced = function (element, node, id) {
  var items = KX.Ajax.childElements(node, "item"), dropDown = KX.$(id + "_DropDown"), text = KX.$(id + "_Text");
  var select = window[id + "_doSelectItem"], i, div, nobr, index = 0, entryIndex, html, selected = -1, shown = "";
  if (!dropDown) {
    return;
  }
  while (dropDown.firstChild) {
    dropDown.removeChild(dropDown.firstChild);
  }
  for (i = 0; i < items.length; i++) {
    html = KX.Ajax.textOf(items[i]);
    entryIndex = items[i].getAttribute("value") === "-1" && index === 0 && i === 0 ? -1 : index++;
    div = document.createElement("div");
    div.id = entryIndex < 0 ? id + "_item_noselect" : id + "_item_" + entryIndex;
    div.style.cursor = "pointer";
    nobr = document.createElement("nobr");
    nobr.innerHTML = html;
    div.appendChild(nobr);
    div.onclick = KX.Lists.selectHandler(select, entryIndex, html);
    dropDown.appendChild(div);
    if (items[i].getAttribute("selected") === "true") {
      selected = entryIndex;
      shown = html;
    }
  }
  if (text) {
    text.innerHTML = shown;
  }
  FindElem(id).value = String(selected);
};

KX.Lists.selectHandler = function (select, index, html) {
  return function () {
    if (typeof select === "function") {
      select(index, html);
    }
  };
};

KX.Update.types.KXCOMBOBOX = function (element, control) {
  var children, i, name, id = element.id;
  if (element.tagName === "SELECT") {
    return false;
  }
  children = KX.Ajax.childElements(control, "");
  for (i = 0; i < children.length; i++) {
    name = children[i].nodeName.toLowerCase();
    if (name === "items") {
      KX.Lists.applyEnhanced(element, children[i], id);
    } else if (KX.Update.properties.hasOwnProperty(name)) {
      KX.Update.properties[name](element, children[i], id);
    }
  }
  return true;
};
