// The canvas's size: 512 x 512 CSS pixels on wide pages (1024 x 512 in
// stereo), as wide as a portrait screen, as tall as a landscape one, or the
// whole window ("Fill window", and the browser's full screen); its drawing
// buffer at the device pixel ratio. `layoutCanvas` is also the module's hook
// (stereo changes the shape); it reports the size back through vvResize.
//
// The page itself does not scroll: the controls (#side) are a pane beside the
// canvas or below it that scrolls on its own, so the canvas stays in sight
// whichever control is in use. The body's classes narrow (no margins),
// stacked (the pane below the canvas) and fill select the page's layout.
import { say } from "./status.js";

const canvas = document.getElementById("canvas");
const fillButton = document.getElementById("fill");
const fullscreenButton = document.getElementById("fullscreen");
const WIDE = 1024;
// The page's padding and the gap between canvas and pane on wide pages.
const PADDING = 12;
// The pane's least width beside the canvas, and its least height below it:
// about five rows of touch-sized controls.
const LEAST_PANE_WIDTH = 280;
const LEAST_PANE_HEIGHT = 240;
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

// The canvas's CSS size, and whether the controls go below it.
function canvasSize(stereo, pageW, pageH) {
  if (fillWindow)
    return { width: window.innerWidth, height: window.innerHeight, stacked: false };
  if (pageW >= WIDE) {
    // Today's 512 x 512 (two of them in stereo), within the page's padding;
    // a stereo pair that leaves no room beside it goes above the controls.
    const width = Math.min(stereo ? 1024 : 512, pageW - 2 * PADDING);
    const height = stereo ? Math.floor(width / 2) : 512;
    return { width, height, stacked: width + PADDING + LEAST_PANE_WIDTH > pageW - 2 * PADDING };
  }
  // Landscape: as tall as the screen, unless that leaves the controls too
  // narrow a pane beside it; then they go below, as in portrait.
  const tall = Math.min(pageH, pageW - LEAST_PANE_WIDTH);
  if (pageH < pageW && tall >= pageH / 2) {
    const width = stereo ? Math.min(2 * tall, pageW - LEAST_PANE_WIDTH) : tall;
    return { width, height: stereo ? Math.floor(width / 2) : tall, stacked: false };
  }
  // Portrait: as wide as the screen, unless that leaves the controls too
  // little room below (never less than half the height, though).
  const width = stereo ? pageW : Math.min(pageW, Math.max(pageH - LEAST_PANE_HEIGHT, Math.floor(pageH / 2)));
  return { width, height: stereo ? Math.floor(width / 2) : width, stacked: true };
}

function sizeCanvas() {
  const stereo = Module._vvStereo() !== 0;
  const pageW = pageWidth();
  const pageH = document.documentElement.clientHeight || window.innerHeight;
  const { width, height, stacked } = canvasSize(stereo, pageW, pageH);
  document.body.classList.toggle("narrow", pageW < WIDE);
  document.body.classList.toggle("stacked", stacked);
  const ratio = window.devicePixelRatio || 1;
  canvas.style.width = width + "px";
  canvas.style.height = height + "px";
  canvas.width = Math.round(width * ratio);
  canvas.height = Math.round(height * ratio);
  Module._vvResize(width, height, canvas.width);
}

// Draws the canvas again at its size, the same frame.
export function redrawCanvas() {
  Module._vvResize(parseInt(canvas.style.width, 10), parseInt(canvas.style.height, 10), canvas.width);
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
