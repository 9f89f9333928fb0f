// The menu bar in the browser (kx/controls/menus/KXMenu.js): the server's start-up script with its `with` blocks
// builds the client menu; pointing opens sub-menus, a click on an enabled leaf submits the menu with the item's id.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { page } = require("./harness.js");

const BODY = `
  <table id="MENU1"><tr>
    <td><table id="MENU1_submenu0" class="MenuMainItem"><tr><td>File</td></tr></table>
      <table id="MENU1_submenu0_table" style="position:absolute; visibility:hidden; display:none;"><tr><td>
        <table id="MENU1_submenu1" class="MenuSubItem"><tr><td>Open</td></tr></table></td></tr>
        <tr><td><table id="MENU1_submenu2" class="MenuSubDisabledItem"><tr><td>Off</td></tr></table></td></tr>
      </table></td>
    <td><table id="MENU1_submenu3" class="MenuMainItem"><tr><td>Help</td></tr></table></td>
  </tr></table>
  <form method="POST" name="SubmitForm" action="/app/$/"></form>`;

const STARTUP = `var GURLBase="/app/$/"; var GAppID="S"; var GTrackID=3; var MENU1KXCL = {}; var MENU1_menu;
  if (MENU1KXCL){MENU1_menu = initMenu("MENU1")
  with (MENU1_menu) {
    SelectedItemStyle = "MenuSelectedItem";
    MenuOrientation = moHorizontal;
  with (addMenuItem("MENU1_submenu0", id)) {
    SelectedItemStyle = "MenuSelectedItem";
    with (addMenuItem("MENU1_submenu1", id)) {
      SelectedItemStyle = "MenuSubSelectedItem";
    }
    with (addMenuItem("MENU1_submenu2", id)) {
      SelectedItemStyle = "MenuSubSelectedItem";
      Enabled = false;
    }
    MenuOrientation = moVertical;
  }
  with (addMenuItem("MENU1_submenu3", id)) {
    SelectedItemStyle = "MenuSelectedItem";
  }
  }
  MENU1_menu.ComboBoxHide = true;}`;

function start() {
  const world = page(BODY, STARTUP);
  const mouse = (id, type) =>
    world.document.getElementById(id).dispatchEvent(new world.window.MouseEvent(type, { bubbles: true }));
  return { world, mouse };
}

test("the start-up script builds the tree without leaking globals", () => {
  const { world } = start();
  const menu = world.window.MENU1_menu;
  assert.equal(menu.id, "MENU1");
  assert.equal(menu.items.length, 2);
  assert.equal(menu.items[0].items.length, 2);
  assert.equal(menu.items[0].MenuOrientation, world.window.moVertical);
  assert.equal(menu.items[0].items[1].Enabled, false);
  assert.equal(menu.ComboBoxHide, true);
  for (const name of ["SelectedItemStyle", "MenuOrientation", "Enabled"]) {
    assert.equal(Object.prototype.hasOwnProperty.call(world.window, name), false, `no global ${name}`);
  }
});

test("a click on an enabled leaf submits the menu with the item's id; a disabled one posts nothing", () => {
  const { world, mouse } = start();
  mouse("MENU1_submenu0", "click");
  assert.equal(world.posts.length, 0, "an item with a sub-menu only opens it");
  mouse("MENU1_submenu2", "click");
  assert.equal(world.posts.length, 0, "the disabled item posts nothing");
  mouse("MENU1_submenu1", "click");
  assert.equal(world.posts.length, 1);
  assert.equal(world.document.getElementById("MENU1_submenu0_table").style.display, "none", "the menu closed");
  assert.equal(world.posts[0].get("KX_Action"), "MENU1");
  assert.equal(world.posts[0].get("KX_ActionParam"), "MENU1_submenu1");
});
