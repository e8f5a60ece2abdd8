// The page's entry: wires the page's modules to the WebAssembly module.
//
// It creates window.Module, which the generated loader vedoze-vaderuve.js, a
// classic script, reads when it runs: index.html loads that loader with
// `defer` after this module, and module scripts and deferred scripts run in
// document order once the page is parsed, so this module and everything it
// imports have run by then. The loader starts the module; the module calls
// back through the hooks below: viewerStarted once it can draw (build the
// menu, controls and help, apply the link, size the canvas, listen),
// viewerStateChanged when what the page shows changed, viewerFirstFrame
// (window.vvFirstFrameMs, read by tests and the speed report),
// viewerContext(lost) and viewerStopped(reason). layoutCanvas sizes the canvas.
// The query string's words are the command line: index.html?--stereo&0.2
import { buildControls, restoreFolding, showState } from "./controls.js";
import { contextChanged } from "./context.js";
import { buildHelp } from "./help.js";
import { listenToKeysAndMouse } from "./input.js";
import { buildLookControls, showLook, stopLook } from "./look.js";
import { followLayout, layoutCanvas } from "./layout.js";
import { addApplyLinkText, applyFragment, readState, state, writeLinkSoon } from "./link.js";
import { buildMenu, closeMenu, closeMenuOnPressOutside } from "./menu.js";
import { stopRecording } from "./saving.js";
import { speakTimeSoon, startRunning, stopRunning } from "./status.js";
import { listenToTouch } from "./touch.js";

const canvas = document.getElementById("canvas");

const query = window.location.search.replace(/^\?/, "");
const args = query ? query.split("&").map((w) => { try { return decodeURIComponent(w); } catch (e) { return w; } }) : [];

function stateChanged() {
  if (readState()) {
    showState(state);
    speakTimeSoon();
  }
  showLook();
  writeLinkSoon();
}

window.Module = {
  canvas: canvas,
  thisProgram: "vedoze-vaderuve",
  arguments: args,
  layoutCanvas: layoutCanvas,
  viewerStarted() {
    addApplyLinkText();
    buildMenu();
    buildControls();
    buildLookControls();
    buildHelp();
    applyFragment();
    layoutCanvas();
    const touchScreen = matchMedia("(pointer: coarse)").matches;
    document.body.classList.toggle("touch", touchScreen);
    startRunning(touchScreen ? "Running. Long press: menu." : "Running. Right button: menu. Esc: stop.");
    stateChanged();
    listenToKeysAndMouse();
    closeMenuOnPressOutside();
    listenToTouch();
    window.addEventListener("hashchange", applyFragment);
    followLayout();
    restoreFolding();
  },
  viewerStateChanged: stateChanged,
  viewerFirstFrame() {
    window.vvFirstFrameMs = performance.now();
  },
  viewerContext: contextChanged,
  viewerStopped(reason) {
    stopRunning(reason);
    closeMenu();
    stopRecording();
    stopLook();
    canvas.classList.add("stopped");
  },
};

if ("serviceWorker" in navigator && window.isSecureContext)
  navigator.serviceWorker.register("sw.js").catch((e) => console.warn("no offline copy: " + e.message));
