// Touch gestures on the canvas, through Pointer Events. Each gesture is the
// mouse drag it stands for, sent through the same module calls: one finger is
// an Alt + left drag (orbit); two fingers are a Shift + left drag of their
// midpoint (pan) and an Alt + left + middle drag whose rightward pixels are
// the growth of the distance between them (dolly, spreading moves closer); a
// press held still for 500 ms opens the menu at the finger. `touchHelp` says
// so for the help.
import { closeMenu, menuIsOpen, openMenu } from "./menu.js";
import { ALT, SHIFT, canvasPoint } from "./pointer.js";
import { running } from "./status.js";

const canvas = document.getElementById("canvas");
const LONG_PRESS_MS = 500;

export const touchHelp = [
  ["One-finger drag", "orbit the camera, as an Alt + left drag"],
  ["Two-finger pinch", "dolly: spreading the fingers moves closer, as an Alt + left + middle drag"],
  ["Two-finger drag", "pan, as a Shift + left drag of the fingers' midpoint"],
  ["Long press (half a second)", "the menu of all commands, at the finger; tap an entry"],
];

const fingers = new Map();  // pointerId -> [clientX, clientY]
const touchEvents = "ontouchstart" in window;
// The gesture in progress: null with no finger down, "orbit" (x, y: the
// drag's last pixel, timer: the long press), "two" (panX, panY: the
// midpoint's last pixel, spread0: the first distance, dolly: the pixels sent),
// or "idle" until the last finger lifts.
let touch = null;

function midpointAndSpread(a, b) {
  const box = canvas.getBoundingClientRect();
  return [(a[0] + b[0]) / 2 - box.left, (a[1] + b[1]) / 2 - box.top, Math.hypot(a[0] - b[0], a[1] - b[1])];
}

// One short drag of the pointer from one pixel to another with a button
// (or two) held and the modifiers pressed.
function dragStep(buttons, mods, x0, y0, x1, y1) {
  for (const b of buttons)
    Module._vvMouseButton(b, 1, x0, y0, mods);
  Module._vvMouseMove(x1, y1, 1);
  for (const b of buttons)
    Module._vvMouseButton(b, 0, x1, y1, mods);
}

function endOrbit() {
  if (touch && touch.kind === "orbit") {
    clearTimeout(touch.timer);
    Module._vvMouseButton(0, 0, touch.x, touch.y, ALT);
  }
}

function onPointerDown(e) {
  if (e.pointerType === "mouse" || !running)
    return;
  e.preventDefault();  // no mouse events made up from the touch
  canvas.setPointerCapture(e.pointerId);
  if (menuIsOpen()) {
    closeMenu();
    touch = { kind: "idle" };
  }
  fingers.set(e.pointerId, [e.clientX, e.clientY]);
  if (fingers.size === 1 && !touch) {
    const [x, y] = canvasPoint(e);
    touch = { kind: "orbit", x, y };
    Module._vvMouseButton(0, 1, x, y, ALT);
    const pressX = e.clientX, pressY = e.clientY;
    touch.timer = setTimeout(() => {
      if (!touch || touch.kind !== "orbit" || touch.x !== x || touch.y !== y)
        return;
      endOrbit();
      touch = { kind: "idle" };
      openMenu(pressX, pressY, true);
    }, LONG_PRESS_MS);
  } else if (fingers.size === 2 && touch && touch.kind === "orbit") {
    endOrbit();
    const [mx, my, spread] = midpointAndSpread(...fingers.values());
    touch = { kind: "two", panX: Math.floor(mx), panY: Math.floor(my), spread0: spread, dolly: 0 };
  } else {
    // A third finger, or a second one after a long press: the gesture ends.
    endOrbit();
    touch = { kind: "idle" };
  }
}

function onPointerMove(e) {
  if (e.pointerType === "mouse" || !running || !fingers.has(e.pointerId) || !touch)
    return;
  fingers.set(e.pointerId, [e.clientX, e.clientY]);
  if (touch.kind === "orbit") {
    const [x, y] = canvasPoint(e);
    if (x === touch.x && y === touch.y)
      return;
    Module._vvMouseMove(x, y, 1);
    touch.x = x;
    touch.y = y;
  } else if (touch.kind === "two" && fingers.size === 2 && !touchEvents) {
    twoFingerMove(...fingers.values());
  }
}

// Touch events carry both fingers of one movement together, where pointer
// events come one finger at a time: half a move would pan and dolly by
// an amount that the other half then takes back at another distance.
function onTouchMove(e) {
  if (touch && touch.kind === "two" && e.touches.length === 2) {
    const a = e.touches[0], b = e.touches[1];
    twoFingerMove([a.clientX, a.clientY], [b.clientX, b.clientY]);
  }
}

function twoFingerMove(a, b) {
  const [mx, my, spread] = midpointAndSpread(a, b);
  const px = Math.floor(mx), py = Math.floor(my);
  if (px !== touch.panX || py !== touch.panY) {
    dragStep([0], SHIFT, touch.panX, touch.panY, px, py);
    touch.panX = px;
    touch.panY = py;
  }
  const dolly = Math.round(spread - touch.spread0);
  if (dolly !== touch.dolly) {
    dragStep([0, 1], ALT, touch.dolly, 0, dolly, 0);
    touch.dolly = dolly;
  }
}

function onPointerUp(e) {
  if (e.pointerType === "mouse" || !fingers.has(e.pointerId))
    return;
  fingers.delete(e.pointerId);
  if (touch && touch.kind === "orbit") {
    // A cancelled touch has no trustworthy position: the drag ends where
    // it last was.
    if (e.type === "pointerup") {
      const [x, y] = canvasPoint(e);
      if (x !== touch.x || y !== touch.y)
        Module._vvMouseMove(x, y, 1);
      touch.x = x;
      touch.y = y;
    }
    endOrbit();
    touch = { kind: "idle" };
  } else if (touch && touch.kind === "two") {
    touch = { kind: "idle" };
  }
  if (fingers.size === 0)
    touch = null;
}

export function listenToTouch() {
  canvas.addEventListener("pointerdown", onPointerDown);
  canvas.addEventListener("pointermove", onPointerMove);
  canvas.addEventListener("pointerup", onPointerUp);
  canvas.addEventListener("pointercancel", onPointerUp);
  canvas.addEventListener("touchmove", onTouchMove, { passive: true });
}
