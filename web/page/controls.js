// The controls beside the canvas (#panel): a button for every command, named
// by its menu label (which screen readers read and tests find), a selector
// for the display mode and sliders for t, alpha and the eye distance, grouped
// by what they act on. They act only while the viewer runs. `showState`
// brings them to a state read from the view link, however it changed; "Hide
// controls" (#fold) folds them away, and the page remembers that.
import { element, setAttribute, setHidden, setText } from "./dom.js";
import { copyLink, state } from "./link.js";
import { commands } from "./menu.js";
import { savePicture, saveMesh, toggleRecording } from "./saving.js";
import { running } from "./status.js";

const panel = document.getElementById("panel");
const foldButton = document.getElementById("fold");
const FOLDED_KEY = "vv-controls-folded";

// Each brings one part of the controls to the state it is given.
const updaters = [];
const labels = {};
const label = (id) => labels[id];
const on = (key) => (s) => s[key] === "1";

// A button that runs command `id`; `pressed(state)` makes it a toggle.
function commandButton(id, text, pressed) {
  const b = element("button", { type: "button", textContent: text, title: label(id) });
  b.setAttribute("aria-label", label(id));
  b.dataset.command = id;
  b.addEventListener("click", () => { if (running) Module._vvMenu(id); });
  if (pressed)
    updaters.push((s) => setAttribute(b, "aria-pressed", pressed(s) ? "true" : "false"));
  return b;
}

// A button of the page's own (sharing and saving).
function actionButton(text, id, act) {
  const b = element("button", { type: "button", textContent: text, id });
  b.addEventListener("click", act);
  return b;
}

function row(caption, ...items) {
  const r = element("div", { className: "row" });
  if (caption)
    r.append(element("span", { className: "caption", textContent: caption }));
  r.append(...items);
  return r;
}

function readout(key, format) {
  const o = element("output");
  o.id = "value-" + key;
  updaters.push((s) => setText(o, format ? format(s[key]) : s[key]));
  return o;
}

function counter(caption, key, down, up) {
  return row(caption, commandButton(down, "−"), readout(key), commandButton(up, "+"));
}

// A counter whose caption and value follow the method: the strip commands
// count the ruled surface's lobes and lunes.
function methodCounter(captions, keys, down, up) {
  const r = counter(captions.corrugations, keys.corrugations, down, up);
  const caption = r.querySelector(".caption");
  const value = r.querySelector("output");
  updaters.push((s) => {
    const ruled = s.method === "ruled";
    setText(caption, ruled ? captions.ruled : captions.corrugations);
    setText(value, s[ruled ? keys.ruled : keys.corrugations]);
  });
  return r;
}

// A slider that sets its value with `set` and follows `value(state)`, except
// while the user holds it.
function slider(id, name, min, max, step, set, value) {
  const s = element("input", { type: "range", min, max, step, id });
  s.setAttribute("aria-label", name);
  s.addEventListener("input", () => { if (running) set(Number(s.value)); });
  updaters.push((shown) => {
    const v = value(shown);
    if (document.activeElement !== s && Number(s.value) !== Number(v))
      s.value = v;
  });
  return s;
}

// A row shown only while the state's `key` is on.
function rowWhile(key, r) {
  updaters.push((s) => setHidden(r, s[key] !== "1"));
  return r;
}

export function buildControls() {
  for (const { id, label: text } of commands())
    labels[id] = text;

  const time = slider("time", "Time t", 0, 1, 0.001, (t) => Module._vvSetTime(t), (s) => Number(s.t));
  const timeText = element("output", { id: "value-t" });
  updaters.push((s) => setText(timeText, "t = " + Number(s.t).toFixed(4)));
  const play = commandButton(61, "Play", (s) => s.animation & 1);
  updaters.push((s) => setText(play, s.animation & 1 ? "Pause" : "Play"));

  const modes = ["Points", "Wireframe", "Strips", "Checkerboard", "Alternate rows"];
  const mode = element("select", { id: "mode", title: label(11) },
    modes.map((m, i) => element("option", { value: i, textContent: m })));
  mode.setAttribute("aria-label", label(11));
  mode.addEventListener("change", () => {
    // Through the command itself, as many times as it takes.
    for (let n = (Number(mode.value) - Number(state.mode) + 5) % 5; n > 0 && running; --n)
      Module._vvMenu(11);
  });
  updaters.push((s) => { if (mode.value !== s.mode) mode.value = s.mode; });

  // The two eversions, switched through their menu command.
  const methods = [["corrugations", "Corrugations"], ["ruled", "Ruled surfaces"]];
  const method = element("select", { id: "method", title: "The eversion shown" },
    methods.map(([value, text]) => element("option", { value, textContent: text })));
  method.setAttribute("aria-label", "Eversion method");
  method.addEventListener("change", () => {
    if (running && method.value !== state.method)
      Module._vvMenu(95);
  });
  updaters.push((s) => { if (method.value !== s.method) method.value = s.method; });

  // The desktop's appended menu entry "Toggle Double Curves".
  const curves = element("button", { type: "button", id: "doubleCurves", textContent: "Double curves",
    title: "Where the surface passes through itself, and where three of its sheets meet" });
  curves.setAttribute("aria-pressed", "false");
  curves.addEventListener("click", () => { if (running) Module._vvMenu(96); });
  updaters.push((s) => setAttribute(curves, "aria-pressed", s.curves === "1" ? "true" : "false"));

  const alpha = slider("alpha", "Alpha", 0, 1, 0.005, (a) => Module._vvSetAlpha(a), (s) => s.alpha);
  const eye = slider("eye", "Stereo distance", -0.5, 0.5, 0.002, (d) => Module._vvSetEyeDistance(d), (s) => s.eye);
  const fixed3 = (v) => Number(v).toFixed(3);

  const record = actionButton("Record", "record", toggleRecording);
  record.setAttribute("aria-label", "Record");
  record.setAttribute("aria-pressed", "false");

  const group = (name, ...rows) => element("fieldset", {}, [element("legend", { textContent: name }), ...rows]);
  panel.append(
    group("Time",
      row(null, time, timeText),
      row(null, play, commandButton(32, "◀ Step"), commandButton(31, "Step ▶")),
      row("delta_t", commandButton(34, "½"), readout("dt", (n) => "1/" + n), commandButton(33, "×2"))),
    group("Surface",
      row("Method", method),
      methodCounter({ corrugations: "Strips", ruled: "Lobes" }, { corrugations: "strips", ruled: "lobes" }, 42, 41),
      methodCounter({ corrugations: "Shown", ruled: "Lunes shown" }, { corrugations: "shown", ruled: "lunes" }, 44, 43),
      counter("Latitude", "lat", 52, 51),
      counter("Longitude", "lon", 54, 53),
      row(null, commandButton(45, "One hemisphere", (s) => s.hemispheres === "1"),
        commandButton(46, "Half strips", on("half")))),
    group("Look",
      row("Display", mode),
      row(null, commandButton(12, "Smooth", on("smooth")), commandButton(13, "Blending", on("blend")),
        commandButton(14, "Culling", on("cull")),
        commandButton(15, "Cull front faces", (s) => s.cullback === "0")),
      rowWhile("blend", row("Alpha", alpha, readout("alpha", fixed3))),
      row(null, commandButton(21, "Axes", on("axes")), commandButton(22, "Target", on("target")),
        commandButton(23, "Text", on("text"))),
      row(null, curves)),
    group("View",
      row(null, commandButton(62, "Rotate", (s) => s.animation & 2), commandButton(63, "Stereo", on("stereo")),
        commandButton(71, "Reset camera"), commandButton(81, "Quit")),
      rowWhile("stereo", row("Eye distance", eye, readout("eye", fixed3)))),
    group("Share and save",
      row(null, actionButton("Copy link", "copyLink", copyLink), actionButton("Save picture", "savePicture", savePicture),
        actionButton("Save mesh", "saveMesh", saveMesh), record)));
}

export function showState(shown) {
  for (const update of updaters)
    update(shown);
}

function setFolded(folded) {
  panel.hidden = folded;
  foldButton.textContent = folded ? "Show controls" : "Hide controls";
  foldButton.setAttribute("aria-expanded", folded ? "false" : "true");
  try { localStorage.setItem(FOLDED_KEY, folded ? "1" : "0"); } catch (e) { /* private mode */ }
}

// Folds the controls as they were left, and lets #fold fold them.
export function restoreFolding() {
  let folded = false;
  try { folded = localStorage.getItem(FOLDED_KEY) === "1"; } catch (e) { /* private mode */ }
  setFolded(folded);
  foldButton.addEventListener("click", () => setFolded(!panel.hidden));
}
