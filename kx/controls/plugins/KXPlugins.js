/*
 * The plug-in objects' browser half. An ActiveX control with ForceActivation is written inside a "comment"
 * element (id N_ToBeReWritten) followed by DoAXReWrite("N_ToBeReWritten"), which writes the object out again in
 * the comment's place. Current browsers run no ActiveX control; the object then simply stays empty.
 */
function DoAXReWrite(id) {
  var holder = document.getElementById(String(id)), parent;
  if (!holder || !holder.parentNode) {
    return;
  }
  parent = holder.parentNode;
  while (holder.firstChild) {
    parent.insertBefore(holder.firstChild, holder);
  }
  parent.removeChild(holder);
}
