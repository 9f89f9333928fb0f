/*
 * KXTimeEdit.js: the check of a time edit's text before a submit. A duration is a number with an optional
 * unit letter (w, d, h or m, any case; minutes without one), or hours and minutes as "h:mm"; numbers take "."
 * for decimals. An empty field is 0.
 */
KX.TimeEdit = {
  PATTERN: /^\s*(\d+(\.\d*)?|\d+:\d+(\.\d*)?)[wdhm]?\s*$/i
};

/* Whether the time edit name holds a duration the server reads. */
function ValidateTimeEdit(name) {
  var field = FindElem(name), text;
  if (!field) {
    return true;
  }
  text = String(field.value || "");
  return /^\s*$/.test(text) || KX.TimeEdit.PATTERN.test(text);
}
