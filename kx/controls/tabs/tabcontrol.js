/*
 * tabcontrol.js: the tab control. The server's start-up script makes one JSTabControl per control:
 *   TABCONTROL_N = new JSTabControl(document.getElementById("N"));
 *   TABCONTROL_N.SubmitOnChange = true;   // the control has a server-side OnChange: switching submits the form
 *   TABCONTROL_N.SubmitOnAsync = true;    // it has OnAsyncChange: switching calls back N.DoOnAsyncChange
 *   TABCONTROL_N.selectedIndex = i;
 *   TABCONTROL_N.addTabPage(pageElement, "PAGETITLE_PAGE");   // per visible page, in tab order
 * The title SPANs take the styles of the hidden inputs STYLEHOLDER_N_ACTIVE and STYLEHOLDER_N_INACTIVE; the
 * selected position goes into the hidden input N_input, posted with the next submit. A callback update of type
 * KXTABCONTROL selects the page its "activeindex" names.
 */
function JSTabControl(element) {
  this.element = element;
  this.name = element ? element.id : "";
  this.SubmitOnChange = false;
  this.SubmitOnAsync = false;
  this.selectedIndex = 0;
  this.pages = [];
  this.titles = [];
}

JSTabControl.prototype.styleOf = function (active) {
  var holder = document.getElementById("STYLEHOLDER_" + this.name + (active ? "_ACTIVE" : "_INACTIVE"));
  return holder ? holder.getAttribute("style") || "" : "";
};

JSTabControl.prototype.addTabPage = function (page, titleId) {
  var self = this, index = this.pages.length, title = document.getElementById(titleId);
  this.pages.push(page);
  this.titles.push(title);
  if (title) {
    title.onclick = function () {
      self.userSelect(index);
      return false;
    };
  }
  this.show(index, index === this.selectedIndex);
};

/* Shows or hides the page at index and styles its title. */
JSTabControl.prototype.show = function (index, active) {
  var page = this.pages[index], title = this.titles[index];
  if (page) {
    page.style.display = active ? "" : "none";
  }
  if (title) {
    title.style.cssText = this.styleOf(active);
  }
};

/* Makes the page at index the shown one (positions outside the list are ignored) and stores it in N_input. */
JSTabControl.prototype.select = function (index) {
  var i, input;
  index = parseInt(index, 10);
  if (isNaN(index) || index < 0 || index >= this.pages.length) {
    return false;
  }
  this.selectedIndex = index;
  for (i = 0; i < this.pages.length; i++) {
    this.show(i, i === index);
  }
  input = document.getElementById(this.name + "_input");
  if (input) {
    input.value = String(index);
  }
  return true;
};

/* A click on a title: select, then tell the server as the control asks. */
JSTabControl.prototype.userSelect = function (index) {
  if (index === this.selectedIndex || !this.select(index)) {
    return;
  }
  if (this.SubmitOnAsync) {
    KX.Ajax.callback(this.name + ".DoOnAsyncChange", window[this.name + "KXCL"] || null, false, { page: index });
  } else if (this.SubmitOnChange) {
    SubmitClickConfirm(this.name, "", false, "");
  }
};

KX.Update.types.KXTABCONTROL = function (element, control) {
  var tabs = window["TABCONTROL_" + element.id], nodes = KX.Ajax.childElements(control, "activeindex");
  if (tabs && nodes.length > 0) {
    tabs.select(KX.Ajax.textOf(nodes[0]));
  }
  return false;
};
