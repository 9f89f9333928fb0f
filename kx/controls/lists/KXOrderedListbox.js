/*
 * KXOrderedListbox.js: the ordered list box NAME, a SELECT#NAMElist with the buttons NAMEup and NAMEdown.
 * A move rewrites the hidden NAME_VALUE with every entry's value in the new order, joined by ";", a "*" before
 * each selected one; the next post takes that order back to the server. Nothing is submitted here.
 */
KX.OrderedList = {};

/* The indices of the selected options, top down. */
KX.OrderedList.selected = function (list) {
  var result = [], i;
  for (i = 0; i < list.options.length; i++) {
    if (list.options[i].selected) {
      result.push(i);
    }
  }
  return result;
};

/* Up is possible when something is selected below the top, down when something is selected above the end. */
KX.OrderedList.updateButtons = function (list, upId, downId) {
  var selected = KX.OrderedList.selected(list), up = KX.$(upId), down = KX.$(downId);
  if (up) {
    up.disabled = selected.length === 0 || selected[0] === 0;
  }
  if (down) {
    down.disabled = selected.length === 0 || selected[selected.length - 1] === list.options.length - 1;
  }
};

/* "c;*a;b": the values in order, "*" before the selected. */
KX.OrderedList.valueOf = function (list) {
  var entries = [], i, option;
  for (i = 0; i < list.options.length; i++) {
    option = list.options[i];
    entries.push((option.selected ? "*" : "") + option.value);
  }
  return entries.join(";");
};

KX.OrderedList.write = function (list, valueId) {
  var field = KX.$(valueId) || FindElem(valueId);
  if (field) {
    field.value = KX.OrderedList.valueOf(list);
  }
};

/* The selection changed. */
function DoOrderedListClick(list, upId, downId, valueId) {
  KX.OrderedList.updateButtons(list, upId, downId);
  KX.OrderedList.write(list, valueId);
}

/* Moves the selected options one place up (direction 1) or down (-1); a block at the edge stays. */
function MoveOrderedListItem(direction, listId, upId, downId, valueId) {
  var list = KX.$(listId), selected, i, index, option;
  if (!list) {
    return;
  }
  selected = KX.OrderedList.selected(list);
  if (direction < 0) {
    selected.reverse();
  }
  for (i = 0; i < selected.length; i++) {
    index = selected[i];
    if (direction > 0 && index > 0 && !list.options[index - 1].selected) {
      option = list.options[index];
      list.insertBefore(option, list.options[index - 1]);
    } else if (direction < 0 && index < list.options.length - 1 && !list.options[index + 1].selected) {
      option = list.options[index + 1];
      list.insertBefore(option, list.options[index]);
    }
  }
  KX.OrderedList.updateButtons(list, upId, downId);
  KX.OrderedList.write(list, valueId);
}
