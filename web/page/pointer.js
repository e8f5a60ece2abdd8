// Pointer positions as the module's mouse calls take them: whole CSS pixels
// from the canvas's top left corner, with the modifier bits of the desktop
// (Shift 1, Control 2, Alt 4).

const canvas = document.getElementById("canvas");

export const SHIFT = 1, ALT = 4;

export function modifiers(e) {
  return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
}

export function canvasPoint(e) {
  const box = canvas.getBoundingClientRect();
  return [Math.floor(e.clientX - box.left), Math.floor(e.clientY - box.top)];
}

// Mouse events a touch screen makes up after a tap are not a mouse.
export function fromTouch(e) {
  return e.sourceCapabilities && e.sourceCapabilities.firesTouchEvents;
}
