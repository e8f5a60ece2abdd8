// The menu of all commands (#menu): an HTML list built from the module's own
// command table, opened at the press point by the right button or a long
// press, closed by any key, any press outside it or a pick. A mouse picks an
// entry by releasing on it, after a click or at the end of the press that
// opened the menu; a finger picks with a tap. `commands` gives the same table,
// read once, to the controls.
import { element } from "./dom.js";
import { fromTouch } from "./pointer.js";

const menu = document.getElementById("menu");
let table = null;
// Where the right button opened the menu; its own release there picks nothing.
let openedAt = null;

// [{id, label}] in menu order, from the module.
export function commands() {
  if (!table) {
    table = [];
    for (let i = 0; i < Module._vvMenuCount(); ++i)
      table.push({ id: Module._vvMenuId(i), label: Module.UTF8ToString(Module._vvMenuLabel(i)) });
  }
  return table;
}

export function menuIsOpen() {
  return menu.style.display === "block";
}

// A long press (`byFinger`) keeps no press point: its finger lifts on the
// canvas, not on an entry, and only a later tap picks.
export function openMenu(clientX, clientY, byFinger = false) {
  menu.style.display = "block";
  openedAt = byFinger ? null : [clientX, clientY];
  // Opens at the press point, moved up where the window is too short.
  const top = Math.max(0, Math.min(clientY, window.innerHeight - menu.offsetHeight));
  const left = Math.max(0, Math.min(clientX, window.innerWidth - menu.offsetWidth));
  menu.style.left = left + "px";
  menu.style.top = top + "px";
}

export function closeMenu() {
  menu.style.display = "none";
  openedAt = null;
}

function pick(item) {
  closeMenu();
  Module._vvMenu(Number(item.dataset.id));
}

export function buildMenu() {
  for (const { id, label } of commands()) {
    const item = element("li", { textContent: label });
    item.setAttribute("role", "menuitem");
    item.dataset.id = id;
    menu.append(item);
  }
  menu.addEventListener("contextmenu", (e) => e.preventDefault());
  menu.addEventListener("mousedown", (e) => e.stopPropagation());
  menu.addEventListener("mouseup", (e) => {
    e.stopPropagation();
    if (fromTouch(e))
      return;
    const item = e.target.closest("li");
    if (!item)
      return;
    if (openedAt && openedAt[0] === e.clientX && openedAt[1] === e.clientY) {
      openedAt = null;
      return;
    }
    pick(item);
  });
  // A tap: down and up on the same entry.
  let tapped = null;
  menu.addEventListener("pointerdown", (e) => {
    if (e.pointerType === "mouse")
      return;
    e.preventDefault();
    tapped = e.target.closest("li");
  });
  menu.addEventListener("pointerup", (e) => {
    if (e.pointerType === "mouse")
      return;
    const item = document.elementFromPoint(e.clientX, e.clientY);
    if (tapped && item && tapped === item.closest("li"))
      pick(tapped);
    tapped = null;
  });
}

// A press anywhere else on the page closes the menu; one on the canvas is
// the canvas's own to handle.
export function closeMenuOnPressOutside() {
  const canvas = document.getElementById("canvas");
  window.addEventListener("mousedown", (e) => {
    if (e.target !== canvas && menuIsOpen() && !menu.contains(e.target))
      closeMenu();
  });
}
