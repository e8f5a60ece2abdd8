// The page around the viewer: turns DOM events into the desktop's input codes
// for the WebAssembly module, builds the right-button menu, the controls and
// the help from the module's own tables, keeps the link in the address bar,
// saves pictures, meshes and movies, and sizes the canvas at the device pixel
// ratio: 512 x 512 CSS pixels on wide screens (1024 x 512 in stereo), as wide
// as a portrait screen, as tall as a landscape one, or the whole window.
"use strict";

(function () {
  const canvas = document.getElementById("canvas");
  const menu = document.getElementById("menu");
  const status = document.getElementById("status");
  const fillButton = document.getElementById("fill");
  const fullscreenButton = document.getElementById("fullscreen");
  const foldButton = document.getElementById("fold");
  const panel = document.getElementById("panel");
  const live = document.getElementById("live");
  const help = document.getElementById("help");
  const helpButton = document.getElementById("helpButton");
  let fillWindow = false;
  let running = false;
  let runningText = "";
  // Buttons held in the canvas, by DOM number (0 left, 1 middle).
  const held = new Set();
  // Where the right button opened the menu; its own release there picks nothing.
  let menuOpenedAt = null;

  // Special-key codes: F1..F12 are 1..12, the arrows left, up, right, down
  // 100..103, page up and down 104 and 105, home 106, end 107, insert 108; a
  // lone shift, control or alt key is 112..117 (left, then right).
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
  const SHIFT = 1, ALT = 4;

  function modifiers(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  }

  function canvasPoint(e) {
    const box = canvas.getBoundingClientRect();
    return [Math.floor(e.clientX - box.left), Math.floor(e.clientY - box.top)];
  }

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
    if (menu.style.display === "block") {
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

  // Mouse events a touch screen makes up after a tap are not a mouse.
  function fromTouch(e) {
    return e.sourceCapabilities && e.sourceCapabilities.firesTouchEvents;
  }

  function onMouseDown(e) {
    if (!running || fromTouch(e))
      return;
    e.preventDefault();
    canvas.focus();
    if (menu.style.display === "block") {
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

  // ---- touch --------------------------------------------------------------
  // Each gesture is the mouse drag it stands for, sent through the same
  // calls: one finger is an Alt + left drag (orbit); two fingers are a Shift +
  // left drag of their midpoint (pan) and an Alt + left + middle drag whose
  // rightward pixels are the growth of the distance between them (dolly,
  // spreading moves closer); a still press opens the menu.
  const LONG_PRESS_MS = 500;
  const touchGestures = [
    ["One-finger drag", "orbit the camera, as an Alt + left drag"],
    ["Two-finger pinch", "dolly: spreading the fingers moves closer, as an Alt + left + middle drag"],
    ["Two-finger drag", "pan, as a Shift + left drag of the fingers' midpoint"],
    ["Long press (half a second)", "the menu of all commands, at the finger; tap an entry"],
  ];
  const fingers = new Map();  // pointerId -> [clientX, clientY]
  const touchEvents = "ontouchstart" in window;
  let touch = null;           // the gesture in progress

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
    if (menu.style.display === "block") {
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
        openMenu(pressX, pressY);
        menuOpenedAt = null;  // the lift of this finger picks nothing
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

  // ---- the menu -----------------------------------------------------------
  function buildMenu() {
    for (let i = 0; i < Module._vvMenuCount(); ++i) {
      const item = document.createElement("li");
      item.setAttribute("role", "menuitem");
      item.dataset.id = Module._vvMenuId(i);
      item.textContent = Module.UTF8ToString(Module._vvMenuLabel(i));
      menu.appendChild(item);
    }
    menu.addEventListener("contextmenu", (e) => e.preventDefault());
    menu.addEventListener("mousedown", (e) => e.stopPropagation());
    // A release on an entry picks it: after a click on it, or at the end of
    // a press that opened the menu and moved onto it.
    menu.addEventListener("mouseup", (e) => {
      e.stopPropagation();
      if (fromTouch(e))
        return;
      const item = e.target.closest("li");
      if (!item)
        return;
      if (menuOpenedAt && menuOpenedAt[0] === e.clientX && menuOpenedAt[1] === e.clientY) {
        menuOpenedAt = null;
        return;
      }
      pickFromMenu(item);
    });
    // A finger picks with a tap: down and up on the same entry.
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
        pickFromMenu(tapped);
      tapped = null;
    });
  }

  function pickFromMenu(item) {
    closeMenu();
    Module._vvMenu(Number(item.dataset.id));
  }

  function openMenu(clientX, clientY) {
    menu.style.display = "block";
    menuOpenedAt = [clientX, clientY];
    // Opens at the press point, moved up where the window is too short.
    const top = Math.max(0, Math.min(clientY, window.innerHeight - menu.offsetHeight));
    const left = Math.max(0, Math.min(clientX, window.innerWidth - menu.offsetWidth));
    menu.style.left = left + "px";
    menu.style.top = top + "px";
  }

  function closeMenu() {
    menu.style.display = "none";
    menuOpenedAt = null;
  }

  // ---- layout -------------------------------------------------------------
  const WIDE = 1024;

  // The canvas in CSS pixels and its drawing buffer in device pixels. A
  // scroll bar that the new size brings or removes changes the page's width:
  // the layout is then made once more for the new width.
  function layoutCanvas() {
    const before = document.documentElement.clientWidth;
    sizeCanvas();
    if (document.documentElement.clientWidth !== before)
      sizeCanvas();
  }

  function sizeCanvas() {
    const stereo = Module._vvStereo() !== 0;
    // The width without a vertical scroll bar, so the canvas never makes the
    // page scroll sideways.
    const pageWidth = document.documentElement.clientWidth || window.innerWidth;
    const pageHeight = window.innerHeight;
    const wide = pageWidth >= WIDE;
    const portrait = !wide && pageHeight >= pageWidth;
    document.body.classList.toggle("narrow", !wide);
    document.body.classList.toggle("landscape", !wide && !portrait);
    let width, height;
    if (fillWindow) {
      width = window.innerWidth;
      height = window.innerHeight;
    } else if (wide) {
      // Today's 512 x 512 (two of them in stereo), within the page's padding.
      height = 512;
      width = Math.min(stereo ? 1024 : 512, pageWidth - 24);
      if (stereo && width < 1024)
        height = Math.floor(width / 2);
    } else if (portrait) {
      width = pageWidth;
      height = stereo ? Math.floor(width / 2) : width;
    } else {
      height = pageHeight;
      width = stereo ? Math.min(2 * height, pageWidth) : Math.min(height, pageWidth);
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
    const wide = (document.documentElement.clientWidth || window.innerWidth) >= WIDE;
    fillButton.textContent = !fillWindow ? "Fill window" : wide ? "Back to 512 × 512" : "Back to the page";
    layoutCanvas();
  }

  function toggleFill() {
    setFill(!fillWindow);
    fillButton.blur();
  }

  // ---- controls -----------------------------------------------------------
  // The labels come from the module's command table, by command id.
  const labels = {};
  function label(id) { return labels[id]; }

  // The state as the link spells it (strings), plus the animations.
  let shown = {};
  let state = {};
  const updaters = [];

  function parseLink(text) {
    const out = {};
    for (const pair of text.split("&")) {
      const at = pair.indexOf("=");
      if (at > 0)
        out[pair.slice(0, at)] = pair.slice(at + 1);
    }
    return out;
  }

  // Writes to the page only what changed: the animation changes the state
  // ten times a second, the controls hardly ever.
  function setText(e, text) {
    if (e.textContent !== text)
      e.textContent = text;
  }

  function setAttribute(e, name, value) {
    if (e.getAttribute(name) !== value)
      e.setAttribute(name, value);
  }

  function element(tag, props, children) {
    const e = document.createElement(tag);
    Object.assign(e, props || {});
    for (const c of children || [])
      e.append(c);
    return e;
  }

  // A button that runs command `id`, named by its menu label.
  function commandButton(id, text, pressed) {
    const b = element("button", { type: "button", textContent: text, title: label(id) });
    b.setAttribute("aria-label", label(id));
    b.dataset.command = id;
    b.addEventListener("click", () => { if (running) Module._vvMenu(id); });
    if (pressed)
      updaters.push(() => setAttribute(b, "aria-pressed", pressed(state) ? "true" : "false"));
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
    updaters.push(() => setText(o, format ? format(state[key]) : state[key]));
    return o;
  }

  function counter(caption, key, down, up) {
    return row(caption, commandButton(down, "−"), readout(key), commandButton(up, "+"));
  }

  function slider(id, name, min, max, step, set) {
    const s = element("input", { type: "range", min, max, step, id });
    s.setAttribute("aria-label", name);
    s.addEventListener("input", () => { if (running) set(Number(s.value)); });
    return s;
  }

  const on = (key) => (s) => s[key] === "1";

  function buildControls() {
    for (let i = 0; i < Module._vvMenuCount(); ++i)
      labels[Module._vvMenuId(i)] = Module.UTF8ToString(Module._vvMenuLabel(i));

    const time = slider("time", "Time t", 0, 1, 0.001, (t) => Module._vvSetTime(t));
    const timeText = element("output", { id: "value-t" });
    updaters.push(() => {
      const t = Number(state.t);
      if (document.activeElement !== time && Number(time.value) !== t)
        time.value = t;
      setText(timeText, "t = " + t.toFixed(4));
    });
    const play = commandButton(61, "Play", (s) => s.animation & 1);
    updaters.push(() => setText(play, state.animation & 1 ? "Pause" : "Play"));

    const modes = ["Points", "Wireframe", "Strips", "Checkerboard", "Alternate rows"];
    const mode = element("select", { id: "mode", title: label(11) },
      modes.map((m, i) => element("option", { value: i, textContent: m })));
    mode.setAttribute("aria-label", label(11));
    mode.addEventListener("change", () => {
      // Through the command itself, as many times as it takes.
      for (let n = (Number(mode.value) - Number(state.mode) + 5) % 5; n > 0 && running; --n)
        Module._vvMenu(11);
    });
    updaters.push(() => { if (mode.value !== state.mode) mode.value = state.mode; });

    const alpha = slider("alpha", "Alpha", 0, 1, 0.005, (a) => Module._vvSetAlpha(a));
    const alphaRow = row("Alpha", alpha, readout("alpha", (a) => Number(a).toFixed(3)));
    updaters.push(() => {
      if (alphaRow.hidden !== (state.blend !== "1"))
        alphaRow.hidden = state.blend !== "1";
      if (document.activeElement !== alpha && Number(alpha.value) !== Number(state.alpha))
        alpha.value = state.alpha;
    });
    const eye = slider("eye", "Stereo distance", -0.5, 0.5, 0.002, (d) => Module._vvSetEyeDistance(d));
    const eyeRow = row("Eye distance", eye, readout("eye", (d) => Number(d).toFixed(3)));
    updaters.push(() => {
      if (eyeRow.hidden !== (state.stereo !== "1"))
        eyeRow.hidden = state.stereo !== "1";
      if (document.activeElement !== eye && Number(eye.value) !== Number(state.eye))
        eye.value = state.eye;
    });

    const recordButton = element("button", { type: "button", textContent: "Record", id: "record" });
    recordButton.setAttribute("aria-label", "Record");
    recordButton.setAttribute("aria-pressed", "false");
    recordButton.addEventListener("click", toggleRecording);
    const saveButton = (text, id, act) => {
      const b = element("button", { type: "button", textContent: text, id });
      b.addEventListener("click", act);
      return b;
    };

    const group = (name, ...rows) => element("fieldset", {}, [element("legend", { textContent: name }), ...rows]);
    panel.append(
      group("Time",
        row(null, time, timeText),
        row(null, play, commandButton(32, "◀ Step"), commandButton(31, "Step ▶")),
        row("delta_t", commandButton(34, "½"), readout("dt", (n) => "1/" + n), commandButton(33, "×2"))),
      group("Surface",
        counter("Strips", "strips", 42, 41),
        counter("Shown", "shown", 44, 43),
        counter("Latitude", "lat", 52, 51),
        counter("Longitude", "lon", 54, 53),
        row(null, commandButton(45, "One hemisphere", (s) => s.hemispheres === "1"),
          commandButton(46, "Half strips", on("half")))),
      group("Look",
        row("Display", mode),
        row(null, commandButton(12, "Smooth", on("smooth")), commandButton(13, "Blending", on("blend")),
          commandButton(14, "Culling", on("cull")),
          commandButton(15, "Cull front faces", (s) => s.cullback === "0")),
        alphaRow,
        row(null, commandButton(21, "Axes", on("axes")), commandButton(22, "Target", on("target")),
          commandButton(23, "Text", on("text")))),
      group("View",
        row(null, commandButton(62, "Rotate", (s) => s.animation & 2), commandButton(63, "Stereo", on("stereo")),
          commandButton(71, "Reset camera"), commandButton(81, "Quit")),
        eyeRow),
      group("Share and save",
        row(null, saveButton("Copy link", "copyLink", copyLink), saveButton("Save picture", "savePicture", savePicture),
          saveButton("Save mesh", "saveMesh", saveMesh), recordButton)));
  }

  // ---- state on show ------------------------------------------------------
  let linkTimer = null;
  let liveTimer = null;
  const LINK_WRITE_MS = 300;   // at most a few history writes a second
  const LIVE_MS = 1000;        // the screen reader hears the time once a second at most

  function writeLink() {
    linkTimer = null;
    if (!running)
      return;
    const link = Module.UTF8ToString(Module._vvViewLink());
    if (window.location.hash !== "#" + link)
      history.replaceState(history.state, "", window.location.pathname + window.location.search + "#" + link);
  }

  function speakTime() {
    liveTimer = null;
    if (running)
      setText(live, Module.UTF8ToString(Module._vvTimeLine()));
  }

  function stateChanged() {
    state = parseLink(Module.UTF8ToString(Module._vvViewLink()));
    state.animation = Module._vvAnimation();
    // Only what differs is touched: a turning camera changes the link every
    // frame but none of the controls.
    const differs = Object.keys(state).some((k) => k !== "cam" && shown[k] !== state[k]);
    if (differs) {
      for (const update of updaters)
        update();
      if (!liveTimer)
        liveTimer = setTimeout(speakTime, LIVE_MS);
    }
    shown = state;
    if (!linkTimer)
      linkTimer = setTimeout(writeLink, LINK_WRITE_MS);
  }

  function applyFragment() {
    const fragment = window.location.hash.replace(/^#/, "");
    if (fragment)
      Module._vvApplyLinkText(fragment);
  }

  // ---- sharing and saving -------------------------------------------------
  function fileStem() {
    return "eversion-t" + Number(state.t || 0).toFixed(4);
  }

  function download(blob, name) {
    const a = element("a", { href: URL.createObjectURL(blob), download: name });
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  }

  function say(text) {
    if (running)
      status.textContent = text;
  }

  function copyLink() {
    writeLink();
    const url = window.location.href;
    const done = () => say("Link copied.");
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(url).then(done, () => fallbackCopy(url, done));
    } else {
      fallbackCopy(url, done);
    }
  }

  function fallbackCopy(text, done) {
    const field = element("textarea", { value: text });
    field.setAttribute("readonly", "");
    field.className = "sr-only";
    document.body.append(field);
    field.select();
    const ok = document.execCommand && document.execCommand("copy");
    field.remove();
    if (ok)
      done();
    else
      say("Copy this link from the address bar.");
  }

  function savePicture() {
    // The drawing buffer is kept after compositing: this is the frame shown,
    // at device pixels.
    canvas.toBlob((blob) => { if (blob) download(blob, fileStem() + ".png"); }, "image/png");
  }

  function saveMesh() {
    const size = Module._vvMeshGlb();
    if (size <= 0) {
      say("The mesh is too big to save from the page: use vedoze-vaderuve-export mesh.");
      return;
    }
    const start = Module._vvFileData();
    const bytes = Module.HEAPU8.slice(start, start + size);
    Module._vvFreeFile();
    download(new Blob([bytes], { type: "model/gltf-binary" }), fileStem() + ".glb");
  }

  let recorder = null;
  function toggleRecording() {
    const button = document.getElementById("record");
    if (recorder) {
      recorder.stop();
      return;
    }
    if (!window.MediaRecorder || !canvas.captureStream) {
      say("This browser cannot record the canvas.");
      return;
    }
    // VP8 first: it encodes several times faster than VP9 in software, which
    // a phone recording its own canvas needs.
    const type = ["video/webm;codecs=vp8", "video/webm;codecs=vp9", "video/webm"]
      .find((t) => MediaRecorder.isTypeSupported(t));
    const chunks = [];
    let bytes = 0;
    const name = fileStem() + ".webm";
    recorder = new MediaRecorder(canvas.captureStream(30), type ? { mimeType: type } : {});
    recorder.addEventListener("dataavailable", (e) => {
      if (!e.data.size)
        return;
      chunks.push(e.data);
      bytes += e.data.size;
      say(`Recording, ${(bytes / 1000).toFixed(1)} kB so far. Press Record again to stop.`);
    });
    recorder.addEventListener("stop", () => {
      recorder = null;
      button.setAttribute("aria-pressed", "false");
      button.textContent = "Record";
      if (!chunks.length) {
        say("Nothing was recorded: the canvas gave no frame before the stop.");
        return;
      }
      download(new Blob(chunks, { type: "video/webm" }), name);
      say(`Saved ${name}.`);
    });
    recorder.start(250);
    button.setAttribute("aria-pressed", "true");
    button.textContent = "● Record";
    say("Recording. Press Record again to stop.");
  }

  // ---- help ---------------------------------------------------------------
  function fillTable(id, rows) {
    const table = document.getElementById(id);
    for (const [what, effect] of rows)
      table.append(element("tr", {}, [element("td", { textContent: what }), element("td", { textContent: effect })]));
  }

  function tableLines(text) {
    return text.split("\n").filter((l) => l).map((l) => l.split("\t"));
  }

  function buildHelp() {
    document.getElementById("helpVersion").textContent = "Vedoze Vaderuve " + Module.UTF8ToString(Module._vvVersion());
    fillTable("helpKeys", tableLines(Module.UTF8ToString(Module._vvKeyHelp())));
    fillTable("helpDrags", tableLines(Module.UTF8ToString(Module._vvDragHelp())));
    fillTable("helpTouch", touchGestures);
    // A modal dialog keeps the focus inside, closes with Esc and gives the
    // focus back to the Help button.
    helpButton.addEventListener("click", () => {
      help.showModal();
      document.getElementById("helpClose").focus();
    });
    document.getElementById("helpClose").addEventListener("click", () => help.close());
  }

  // ---- folding, full screen, lost context -----------------------------------
  function setFolded(folded) {
    panel.hidden = folded;
    foldButton.textContent = folded ? "Show controls" : "Hide controls";
    foldButton.setAttribute("aria-expanded", folded ? "false" : "true");
    try { localStorage.setItem("vv-controls-folded", folded ? "1" : "0"); } catch (e) { /* private mode */ }
  }

  let lostTimer = null;
  const LOST_PATIENCE_MS = 5000;
  function contextChanged(lost) {
    clearTimeout(lostTimer);
    if (lost) {
      status.textContent = "The graphics context was lost; waiting for it to come back…";
      lostTimer = setTimeout(() => {
        status.classList.add("lost");
        status.textContent = "The graphics context was lost and has not come back. Reload the page.";
      }, LOST_PATIENCE_MS);
    } else {
      status.classList.remove("lost");
      status.textContent = runningText;
    }
  }

  // Words of the query string are the command line: ?--stereo&0.2
  const query = window.location.search.replace(/^\?/, "");
  const args = query ? query.split("&").map((w) => { try { return decodeURIComponent(w); } catch (e) { return w; } }) : [];

  window.Module = {
    canvas: canvas,
    thisProgram: "vedoze-vaderuve",
    arguments: args,
    layoutCanvas: layoutCanvas,
    viewerStarted() {
      Module._vvApplyLinkText = (text) => {
        // The fragment crosses into the module as UTF-8 on the stack's
        // neighbour, the heap; any length is fine.
        const size = Module.lengthBytesUTF8(text) + 1;
        const at = Module._malloc(size);
        Module.stringToUTF8(text, at, size);
        Module._vvApplyLink(at);
        Module._free(at);
      };
      buildMenu();
      buildControls();
      buildHelp();
      applyFragment();
      layoutCanvas();
      running = true;
      const touchScreen = matchMedia("(pointer: coarse)").matches;
      document.body.classList.toggle("touch", touchScreen);
      runningText = touchScreen ? "Running. Long press: menu." : "Running. Right button: menu. Esc: stop.";
      status.textContent = runningText;
      stateChanged();
      window.addEventListener("keydown", onKeyDown);
      canvas.addEventListener("mousedown", onMouseDown);
      canvas.addEventListener("contextmenu", (e) => e.preventDefault());
      window.addEventListener("mouseup", onMouseUp);
      window.addEventListener("mousemove", onMouseMove);
      window.addEventListener("mousedown", (e) => {
        if (e.target !== canvas && menu.style.display === "block" && !menu.contains(e.target))
          closeMenu();
      });
      canvas.addEventListener("pointerdown", onPointerDown);
      canvas.addEventListener("pointermove", onPointerMove);
      canvas.addEventListener("pointerup", onPointerUp);
      canvas.addEventListener("pointercancel", onPointerUp);
      canvas.addEventListener("touchmove", onTouchMove, { passive: true });
      window.addEventListener("hashchange", applyFragment);
      window.addEventListener("resize", layoutCanvas);
      fillButton.addEventListener("click", toggleFill);
      if (document.fullscreenEnabled) {
        fullscreenButton.hidden = false;
        fullscreenButton.addEventListener("click", () => {
          if (document.fullscreenElement)
            document.exitFullscreen();
          else
            document.documentElement.requestFullscreen().catch(() => say("Full screen was refused."));
        });
        document.addEventListener("fullscreenchange", () => {
          fullscreenButton.textContent = document.fullscreenElement ? "Leave full screen" : "Full screen";
          setFill(!!document.fullscreenElement);
        });
      }
      let folded = false;
      try { folded = localStorage.getItem("vv-controls-folded") === "1"; } catch (e) { /* private mode */ }
      setFolded(folded);
      foldButton.addEventListener("click", () => setFolded(!panel.hidden));
      // Moving the page to a screen of another density redraws it sharply.
      matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener("change", layoutCanvas);
    },
    viewerStateChanged: stateChanged,
    viewerFirstFrame() {
      window.vvFirstFrameMs = performance.now();
    },
    viewerContext: contextChanged,
    viewerStopped(reason) {
      running = false;
      closeMenu();
      if (recorder)
        recorder.stop();
      canvas.classList.add("stopped");
      status.classList.add("stopped");
      status.textContent = reason;
    },
  };

  if ("serviceWorker" in navigator && window.isSecureContext)
    navigator.serviceWorker.register("sw.js").catch((e) => console.warn("no offline copy: " + e.message));
})();
