// The canvas's size: 512 x 512 CSS pixels on wide pages (1024 x 512 in
// stereo), as wide as a portrait screen, as tall as a landscape one, or the
// whole window ("Fill window", and the browser's full screen); its drawing
// buffer at the device pixel ratio. `layoutCanvas` is also the module's hook
// (stereo changes the shape); it reports the size back through vvResize.
// The body's classes narrow, landscape and fill select the page's layout.
import { say } from "./status.js";

const canvas = document.getElementById("canvas");
const fillButton = document.getElementById("fill");
const fullscreenButton = document.getElementById("fullscreen");
const WIDE = 1024;
let fillWindow = false;

// The width without a vertical scroll bar, so the canvas never makes the
// page scroll sideways.
function pageWidth() {
  return document.documentElement.clientWidth || window.innerWidth;
}

// A scroll bar that the new size brings or removes changes the page's width:
// the layout is then made once more for the new width.
export function layoutCanvas() {
  const before = document.documentElement.clientWidth;
  sizeCanvas();
  if (document.documentElement.clientWidth !== before)
    sizeCanvas();
}

function sizeCanvas() {
  const stereo = Module._vvStereo() !== 0;
  const pageW = pageWidth();
  const pageH = window.innerHeight;
  const wide = pageW >= WIDE;
  const portrait = !wide && pageH >= pageW;
  document.body.classList.toggle("narrow", !wide);
  document.body.classList.toggle("landscape", !wide && !portrait);
  let width, height;
  if (fillWindow) {
    width = window.innerWidth;
    height = window.innerHeight;
  } else if (wide) {
    // Today's 512 x 512 (two of them in stereo), within the page's padding.
    height = 512;
    width = Math.min(stereo ? 1024 : 512, pageW - 24);
    if (stereo && width < 1024)
      height = Math.floor(width / 2);
  } else if (portrait) {
    width = pageW;
    height = stereo ? Math.floor(width / 2) : width;
  } else {
    height = pageH;
    width = stereo ? Math.min(2 * height, pageW) : Math.min(height, pageW);
    if (stereo)
      height = Math.floor(width / 2);
  }
  const ratio = window.devicePixelRatio || 1;
  canvas.style.width = width + "px";
  canvas.style.height = height + "px";
  canvas.width = Math.round(width * ratio);
  canvas.height = Math.round(height * ratio);
  Module._vvResize(width, height, canvas.width);
}

function setFill(on) {
  fillWindow = on;
  document.body.classList.toggle("fill", fillWindow);
  fillButton.textContent = !fillWindow ? "Fill window" : pageWidth() >= WIDE ? "Back to 512 × 512" : "Back to the page";
  layoutCanvas();
}

// Lays the canvas out again whenever the window, the fill, full screen or
// the screen's density changes.
export function followLayout() {
  window.addEventListener("resize", layoutCanvas);
  fillButton.addEventListener("click", () => {
    setFill(!fillWindow);
    fillButton.blur();
  });
  if (document.fullscreenEnabled) {
    fullscreenButton.hidden = false;
    fullscreenButton.addEventListener("click", () => {
      if (document.fullscreenElement)
        document.exitFullscreen();
      else
        document.documentElement.requestFullscreen().catch(() => say("Full screen was refused."));
    });
    // Full screen fills the screen, and leaving it leaves the fill too.
    document.addEventListener("fullscreenchange", () => {
      fullscreenButton.textContent = document.fullscreenElement ? "Leave full screen" : "Full screen";
      setFill(!!document.fullscreenElement);
    });
  }
  // Moving the page to a screen of another density redraws it sharply.
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener("change", layoutCanvas);
}
