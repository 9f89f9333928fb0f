/*
 * KXImage.js: the click position of an image control. The server hooks
 *   return ImageClick(this.name, event, validate, 'confirmation');
 * on the IMG (named after the control); the position in pixels from the image's top left corner is posted as the
 * control's submit parameter "x,y".
 */

/* The position of a mouse event inside element, rounded to whole pixels and never negative. */
KX.Image = {};

KX.Image.position = function (element, event) {
  var rect = element.getBoundingClientRect();
  var x = Math.max(0, Math.round(event.clientX - rect.left));
  var y = Math.max(0, Math.round(event.clientY - rect.top));
  return x + "," + y;
};

function ImageClick(name, event, validate, confirmation) {
  var e = event || window.event, element = e ? (e.currentTarget || e.target || e.srcElement) : null;
  if (!element || !name) {
    return false;
  }
  if (e.preventDefault) {
    e.preventDefault();
  }
  return SubmitClickConfirm(name, KX.Image.position(element, e), validate, confirmation);
}
