/*
 * KXChecks.js: check boxes, radio buttons and radio groups.
 *
 * Check box NAME: SPAN#NAME > INPUT#NAME_CHECKBOX + SPAN#NAME_CHKBCAPTION; the image style instead holds
 * IMG#NAME_Image (inside a link) and a hidden NAME_CHECKBOX of "On" or "Off". Radio button NAME:
 * SPAN#NAME > INPUT#NAME_INPUT (its NAME is the group) + SPAN#NAME_CAPTRADIOBUTTON, and a hidden NAME_INPUT
 * that carries the group's checked value: every button of the group posts it, so each knows whether it is the
 * checked one. Radio group NAME: DIV#NAME > INPUT#NAME_INPUT_i (NAME is NAME_INPUT) + SPAN per item.
 */
KX.Checks = {};

/* The element an event happened on. */
KX.Checks.target = function (e) {
  e = e || window.event;
  return e ? e.target || e.srcElement : null;
};

/* Tells the page's handlers that input changed (a script set it, which fires no event of its own). */
KX.Checks.fireChange = function (input) {
  var e;
  if (document.createEvent) {
    e = document.createEvent("HTMLEvents");
    e.initEvent("change", true, false);
    input.dispatchEvent(e);
  }
};

/* A click on the box or on its caption: the caption toggles the box. The click itself goes on to the control's
   element, where its submit or callback handler runs once. */
function checkBoxClick(e, name) {
  var input = KX.$(name + "_CHECKBOX");
  if (!input || KX.Checks.target(e) === input || input.disabled) {
    return;
  }
  input.checked = !input.checked;
  KX.Checks.fireChange(input);
}

/* The image check box: swaps its image and its posted "On"/"Off"; submits when the control has a click
   handler on the server. */
function CoolCheckBoxToggle(name, submit) {
  var field = KX.$(name + "_CHECKBOX"), on, e = window.event;
  if (e && e.preventDefault) {
    e.preventDefault();
  }
  if (!field || field.disabled) {
    return false;
  }
  on = field.value !== "On";
  KX.Checks.showCool(name, on);
  if (submit) {
    SubmitClickConfirm(name, "", true, "");
  }
  return false;
}

/* Shows the image check box name in the given state. */
KX.Checks.showCool = function (name, on) {
  var field = KX.$(name + "_CHECKBOX"), image = KX.$(name + "_Image");
  var cached = window["GImageCache_CoolCheckBox_" + (on ? "True" : "False")];
  if (field) {
    field.value = on ? "On" : "Off";
  }
  if (image) {
    image.src = cached && cached.src ? cached.src : image.src.replace(/_(True|False)\.gif/, on ? "_True.gif" : "_False.gif");
  }
};

/* The radio inputs of a group: those named group whose id names a radio button's input ("NAME_INPUT"). */
KX.Checks.groupInputs = function (group) {
  var named = document.getElementsByName(group), inputs = [], i;
  for (i = 0; i < named.length; i++) {
    if (named[i].type === "radio" && /_INPUT$/.test(named[i].id)) {
      inputs.push(named[i]);
    }
  }
  return inputs;
};

/* Writes the group's checked value into every button's NAME_INPUT field (empty when none is checked). */
function radioButtonSync(group) {
  var inputs = KX.Checks.groupInputs(group), value = "", i, fields, j;
  for (i = 0; i < inputs.length; i++) {
    if (inputs[i].checked) {
      value = inputs[i].value;
    }
  }
  for (i = 0; i < inputs.length; i++) {
    fields = document.getElementsByName(inputs[i].id);
    for (j = 0; j < fields.length; j++) {
      if (fields[j].type === "hidden") {
        fields[j].value = value;
      }
    }
  }
}

/* A click on a radio button or its caption: the caption checks the button; the group's fields follow. */
function radioButtonClick(e, group, inputId) {
  var input = KX.$(inputId);
  if (input && KX.Checks.target(e) !== input && !input.disabled && !input.checked) {
    input.checked = true;
    KX.Checks.fireChange(input);
  }
  radioButtonSync(group);
}

/* A click on an item of a radio group or on its text: the text checks the item. */
function radioGroupClick(e, inputId) {
  var input = KX.$(inputId);
  if (input && KX.Checks.target(e) !== input && !input.disabled && !input.checked) {
    input.checked = true;
    KX.Checks.fireChange(input);
  }
}

/* ---------------------------------------------------------------------------------------------------------
 * Callback updates. Each handler applies its own children and passes the others to KX.Update.properties.
 */
KX.Checks.applyUpdate = function (element, control, own) {
  var children = KX.Ajax.childElements(control, ""), id = element.id, i, name, handler;
  for (i = 0; i < children.length; i++) {
    name = children[i].nodeName.toLowerCase();
    handler = own.hasOwnProperty(name) ? own[name] : KX.Update.properties.hasOwnProperty(name) ?
        KX.Update.properties[name] : null;
    if (handler) {
      handler(element, children[i], id, control);
    }
  }
  return true;
};

/* The caption SPAN of a check box or radio button (the image style's caption is the last SPAN). */
KX.Checks.captionOf = function (element, suffix) {
  var caption = KX.$(element.id + suffix), spans;
  if (!caption) {
    spans = element.getElementsByTagName("span");
    caption = spans.length ? spans[spans.length - 1] : null;
  }
  return caption;
};

KX.Update.types.KXCHECKBOX = function (element, control) {
  return KX.Checks.applyUpdate(element, control, {
    caption: function (el, node) {
      var caption = KX.Checks.captionOf(el, "_CHKBCAPTION");
      if (caption) {
        caption.innerHTML = KX.Ajax.textOf(node);
      }
    },
    checked: function (el, node, id) {
      var input = KX.$(id + "_CHECKBOX");
      if (input && input.type === "hidden") {
        KX.Checks.showCool(id, KX.Update.bool(node));
      } else if (input) {
        input.checked = KX.Update.bool(node);
      }
    }
  });
};

KX.Update.types.KXRADIOBUTTON = function (element, control) {
  var result = KX.Checks.applyUpdate(element, control, {
    caption: function (el, node) {
      var caption = KX.Checks.captionOf(el, "_CAPTRADIOBUTTON");
      if (caption) {
        caption.innerHTML = KX.Ajax.textOf(node);
      }
    }
  });
  var input = KX.$(element.id + "_INPUT");
  if (input) {
    radioButtonSync(input.name);
  }
  return result;
};

/* A radio group's items are built anew: one input and one text per item, a break after each when vertical. */
KX.Update.types.KXRADIOGROUP = function (element, control) {
  var vertical = (control.getAttribute("layout") || "vertical") === "vertical";
  return KX.Checks.applyUpdate(element, control, {
    items: function (el, node, id) {
      var items = KX.Ajax.childElements(node, "item"), i, input, caption, itemId;
      while (el.firstChild) {
        el.removeChild(el.firstChild);
      }
      for (i = 0; i < items.length; i++) {
        itemId = items[i].getAttribute("id") || id + "_INPUT_" + i;
        input = document.createElement("input");
        input.type = "radio";
        input.name = id + "_INPUT";
        input.id = itemId;
        input.value = items[i].getAttribute("value") || String(i);
        input.disabled = items[i].getAttribute("enabled") === "false";
        el.appendChild(input);
        input.checked = items[i].getAttribute("selected") === "true";
        caption = document.createElement("span");
        caption.innerHTML = KX.Ajax.textOf(items[i]);
        el.appendChild(caption);
        input.onclick = caption.onclick = KX.Checks.groupClickOf(itemId);
        if (vertical) {
          el.appendChild(document.createElement("br"));
        }
      }
      el.style.whiteSpace = vertical ? "" : "nowrap";
    }
  });
};

KX.Checks.groupClickOf = function (inputId) {
  return function (e) {
    radioGroupClick(e, inputId);
  };
};
