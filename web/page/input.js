// Keys and the mouse, turned into the desktop viewer's input codes for the
// module. Keys go to the viewer from the canvas and the page, not from a
// control with the focus nor while the help is open; F5, F1 and F7 act on the
// viewer, not on the browser. The left and middle buttons press and drag on
// the canvas (a drag goes on outside it); the right button opens the menu.
//
// Special-key codes: F1..F12 are 1..12, the arrows left, up, right, down
// 100..103, page up and down 104 and 105, home 106, end 107, insert 108; a
// lone shift, control or alt key is 112..117 (left, then right).
import { closeMenu, menuIsOpen, openMenu } from "./menu.js";
import { canvasPoint, fromTouch, modifiers } from "./pointer.js";
import { running } from "./status.js";

const canvas = document.getElementById("canvas");
const help = document.getElementById("help");

const specialKeys = {
  F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11, F12: 12,
  ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103,
  PageUp: 104, PageDown: 105, Home: 106, End: 107, Insert: 108,
};
const modifierKeys = {
  ShiftLeft: 112, ShiftRight: 113, ControlLeft: 114, ControlRight: 115, AltLeft: 116, AltRight: 117,
};
// Keys whose character is a control code.
const controlKeys = { Escape: 27, Enter: 13, Backspace: 8, Tab: 9, Delete: 127 };

// Buttons held in the canvas, by DOM number (0 left, 1 middle).
const held = new Set();

// A control with the focus takes its own keys (Space presses a button,
// arrows move a slider); only the canvas and the page pass them on.
function ownKeys(target) {
  return target instanceof Element && target !== canvas && target.closest("button, input, select, textarea, a, #help");
}

function onKeyDown(e) {
  // The help is a modal dialog: it handles its own keys (Esc closes it).
  if (help.open)
    return;
  if (!running || ownKeys(e.target))
    return;
  if (menuIsOpen()) {
    // A key closes an open menu and does nothing else.
    closeMenu();
    e.preventDefault();
    return;
  }
  if (e.key in specialKeys) {
    Module._vvSpecialKey(specialKeys[e.key]);
  } else if (e.code in modifierKeys && ["Shift", "Control", "Alt"].includes(e.key)) {
    Module._vvSpecialKey(modifierKeys[e.code]);
  } else if (e.key in controlKeys) {
    Module._vvKey(controlKeys[e.key]);
  } else if (e.key.length === 1 && e.key.charCodeAt(0) < 256) {
    let code = e.key.charCodeAt(0);
    // Control with a letter types its control code, as a terminal would.
    if (e.ctrlKey && /[a-z]/i.test(e.key))
      code &= 0x1f;
    Module._vvKey(code);
  } else {
    return;  // lock keys, dead keys, system keys: not the viewer's
  }
  // F5 must not reload the page, F1 and F7 must not open browser features.
  e.preventDefault();
}

function onMouseDown(e) {
  if (!running || fromTouch(e))
    return;
  e.preventDefault();
  canvas.focus();
  if (menuIsOpen()) {
    closeMenu();
    return;
  }
  const [x, y] = canvasPoint(e);
  if (e.button === 2) {
    openMenu(e.clientX, e.clientY);
    return;
  }
  if (e.button !== 0 && e.button !== 1)
    return;
  held.add(e.button);
  Module._vvMouseButton(e.button, 1, x, y, modifiers(e));
}

function onMouseUp(e) {
  if (!running || !held.has(e.button))
    return;
  held.delete(e.button);
  const [x, y] = canvasPoint(e);
  Module._vvMouseButton(e.button, 0, x, y, modifiers(e));
}

function onMouseMove(e) {
  if (!running || fromTouch(e))
    return;
  const [x, y] = canvasPoint(e);
  // Outside the canvas only a drag that started in it goes on.
  const inside = e.target === canvas;
  if (held.size > 0)
    Module._vvMouseMove(x, y, 1);
  else if (inside)
    Module._vvMouseMove(x, y, 0);
}

export function listenToKeysAndMouse() {
  window.addEventListener("keydown", onKeyDown);
  canvas.addEventListener("mousedown", onMouseDown);
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  window.addEventListener("mouseup", onMouseUp);
  window.addEventListener("mousemove", onMouseMove);
}
