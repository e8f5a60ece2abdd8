// The look by origin on the page: colour scheme, see-through bands,
// graticule, orthographic view, a picture for the image scheme (file picker
// or a PNG dropped on the canvas) and tracks added with "Pick point". Every
// control acts through the module's own commands and option parser, the
// ones the desktop's menu and command line use, and shows the state from the
// view link however it was changed (query string, link, control).
//
// The page's entry (viewer.js) owns `Module` and calls buildLookControls once
// the viewer runs, showLook whenever its state changed and stopLook when it
// stopped.

import { setText } from "./dom.js";
import { currentView, passText } from "./link.js";

const $ = (id) => document.getElementById(id);
const panel = $("lookPanel");
const colours = $("colours");
const imageFile = $("imageFile");
const bands = $("bands");
const bandCount = $("bandCount");
const graticule = $("graticule");
const graticuleDegrees = $("graticuleDegrees");
const orthographic = $("orthographic");
const pickButton = $("pickPoint");
const clearButton = $("clearTracks");
const trackCount = $("trackCount");
const canvas = $("canvas");

// The largest picture side passed on; larger ones are refused by the module.
const MAX_PICTURE_WIDTH = 8192;
// The cycle commands of the desktop's appended menu entries.
const CYCLE_BANDS = 92, TOGGLE_GRATICULE = 93, TOGGLE_ORTHOGRAPHIC = 94;

let state = {};
let picking = false;

// An option of the look as the command line spells it, through the module's
// parser; a bad value leaves one console warning there.
function lookOption(...words) {
  return passText(words.join("\n"), Module._vvLookOption);
}

function refresh() {
  state = currentView();
  if (colours.value !== state.colours)
    colours.value = state.colours;
  const [kind, count] = (state.bands || "none").split(",");
  if (bands.value !== kind)
    bands.value = kind;
  if (count && document.activeElement !== bandCount && bandCount.value !== count)
    bandCount.value = count;
  const degrees = Number(state.graticule);
  graticule.checked = degrees > 0;
  if (degrees > 0 && document.activeElement !== graticuleDegrees && Number(graticuleDegrees.value) !== degrees)
    graticuleDegrees.value = degrees;
  orthographic.checked = state.ortho === "1";
  const tracks = state.tracks ? state.tracks.split(";").length : 0;
  setText(trackCount, tracks === 1 ? "1 track" : tracks + " tracks");
  clearButton.disabled = tracks === 0;
}

function setPicking(on) {
  picking = on;
  pickButton.setAttribute("aria-pressed", on ? "true" : "false");
  canvas.style.cursor = on ? "crosshair" : "";
}

// The next press on the canvas is the pick, taken before the page's own
// handlers see it (capture on the window), so that it turns nothing.
function onPointerDown(e) {
  if (!picking || e.target !== canvas || (e.pointerType === "mouse" && e.button !== 0))
    return;
  e.stopPropagation();
  e.preventDefault();  // no mouse events made up from it either
  setPicking(false);
  const box = canvas.getBoundingClientRect();
  Module._vvPickPoint(Math.floor(e.clientX - box.left), Math.floor(e.clientY - box.top));
}

async function loadPicture(file) {
  if (!file)
    return;
  if (file.type && file.type !== "image/png") {
    console.warn(`--colours image: '${file.name}' is not a PNG picture; the surface keeps its colours`);
    return;
  }
  let bitmap;
  try {
    bitmap = await createImageBitmap(file, { colorSpaceConversion: "none", premultiplyAlpha: "none" });
  } catch (e) {
    console.warn(`--colours image: '${file.name}' cannot be read as a picture; the surface keeps its colours`);
    return;
  }
  const width = bitmap.width, height = bitmap.height;
  if (width !== 2 * height || width > MAX_PICTURE_WIDTH) {
    // The module says why, in the same words as for a file on the desktop.
    Module._vvSetImage(0, width, height);
    bitmap.close();
    return;
  }
  const scratch = document.createElement("canvas");
  scratch.width = width;
  scratch.height = height;
  const context = scratch.getContext("2d", { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  const pixels = context.getImageData(0, 0, width, height).data;
  const at = Module._malloc(pixels.length);
  Module.HEAPU8.set(pixels, at);
  Module._vvSetImage(at, width, height);
  Module._free(at);
}

export function buildLookControls() {
  // Last in the panel, after the groups the main script built.
  $("panel").append(panel);
  panel.hidden = false;

  colours.addEventListener("change", () => {
    if (colours.value === "image") {
      // A picture already given stays; otherwise one is asked for.
      if (state.colours !== "image")
        imageFile.click();
      refresh();
    } else {
      lookOption("--colours", colours.value);
    }
  });
  imageFile.addEventListener("change", async () => {
    await loadPicture(imageFile.files[0]);
    imageFile.value = "";
  });
  const setBands = () => {
    if (bands.value === "none") {
      // The menu's cycle: none, latitude, longitude.
      for (let n = 0; n < 2 && currentView().bands !== "none"; ++n)
        Module._vvMenu(CYCLE_BANDS);
    } else if (!lookOption("--bands", bands.value, bandCount.value)) {
      refresh();
    }
  };
  bands.addEventListener("change", setBands);
  // An emptied field is one being typed into: nothing to set yet.
  bandCount.addEventListener("change", () => { if (bands.value !== "none" && bandCount.value !== "") setBands(); });
  graticule.addEventListener("change", () => {
    if (graticule.checked)
      lookOption("--graticule", graticuleDegrees.value);
    else if (Number(state.graticule) > 0)
      Module._vvMenu(TOGGLE_GRATICULE);
  });
  graticuleDegrees.addEventListener("change", () => {
    if (graticuleDegrees.value !== "" && !lookOption("--graticule", graticuleDegrees.value))
      refresh();
  });
  orthographic.addEventListener("change", () => {
    if (orthographic.checked !== (state.ortho === "1"))
      Module._vvMenu(TOGGLE_ORTHOGRAPHIC);
  });
  pickButton.addEventListener("click", () => setPicking(!picking));
  clearButton.addEventListener("click", () => Module._vvClearTracks());
  window.addEventListener("pointerdown", onPointerDown, { capture: true });

  canvas.addEventListener("dragover", (e) => {
    e.preventDefault();
    e.dataTransfer.dropEffect = "copy";
  });
  canvas.addEventListener("drop", (e) => {
    e.preventDefault();
    loadPicture(e.dataTransfer.files[0]);
  });

  refresh();
}

export function showLook() {
  if (!panel.hidden)
    refresh();
}

export function stopLook() {
  setPicking(false);
  for (const control of panel.querySelectorAll("button, select, input"))
    control.disabled = true;
}
