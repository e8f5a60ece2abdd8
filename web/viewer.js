// The page around the viewer: turns DOM events into the desktop's input codes
// for the WebAssembly module, builds the right-button menu from the module's
// own labels, and sizes the canvas (512 x 512 CSS pixels, 1024 x 512 in
// stereo, or the whole window) at the device pixel ratio.
"use strict";

(function () {
  const canvas = document.getElementById("canvas");
  const menu = document.getElementById("menu");
  const status = document.getElementById("status");
  const fillButton = document.getElementById("fill");
  let fillWindow = false;
  let running = false;
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

  function modifiers(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  }

  function canvasPoint(e) {
    const box = canvas.getBoundingClientRect();
    return [Math.floor(e.clientX - box.left), Math.floor(e.clientY - box.top)];
  }

  function onKeyDown(e) {
    if (!running)
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

  function onMouseDown(e) {
    if (!running)
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
    if (!running)
      return;
    const [x, y] = canvasPoint(e);
    // Outside the canvas only a drag that started in it goes on.
    const inside = e.target === canvas;
    if (held.size > 0)
      Module._vvMouseMove(x, y, 1);
    else if (inside)
      Module._vvMouseMove(x, y, 0);
  }

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
      const item = e.target.closest("li");
      if (!item)
        return;
      if (menuOpenedAt && menuOpenedAt[0] === e.clientX && menuOpenedAt[1] === e.clientY) {
        menuOpenedAt = null;
        return;
      }
      closeMenu();
      Module._vvMenu(Number(item.dataset.id));
    });
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

  // The canvas in CSS pixels and its drawing buffer in device pixels.
  function layoutCanvas() {
    let width = Module._vvStereo() ? 1024 : 512;
    let height = 512;
    if (fillWindow) {
      width = window.innerWidth;
      height = window.innerHeight;
    }
    const ratio = window.devicePixelRatio || 1;
    canvas.style.width = width + "px";
    canvas.style.height = height + "px";
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    Module._vvResize(width, height, canvas.width);
  }

  function toggleFill() {
    fillWindow = !fillWindow;
    document.body.classList.toggle("fill", fillWindow);
    fillButton.textContent = fillWindow ? "Back to 512 × 512" : "Fill window";
    fillButton.blur();
    layoutCanvas();
  }

  // Words of the query string are the command line: ?--stereo&0.2
  const query = window.location.search.replace(/^\?/, "");
  const args = query ? query.split("&").map(decodeURIComponent) : [];

  window.Module = {
    canvas: canvas,
    thisProgram: "vedoze-vaderuve",
    arguments: args,
    layoutCanvas: layoutCanvas,
    viewerStarted() {
      buildMenu();
      layoutCanvas();
      running = true;
      status.textContent = "Running. Right button: menu. Esc: stop.";
      window.addEventListener("keydown", onKeyDown);
      canvas.addEventListener("mousedown", onMouseDown);
      canvas.addEventListener("contextmenu", (e) => e.preventDefault());
      window.addEventListener("mouseup", onMouseUp);
      window.addEventListener("mousemove", onMouseMove);
      window.addEventListener("mousedown", (e) => {
        if (e.target !== canvas && menu.style.display === "block")
          closeMenu();
      });
      window.addEventListener("resize", () => { if (fillWindow) layoutCanvas(); });
      fillButton.addEventListener("click", toggleFill);
      // Moving the page to a screen of another density redraws it sharply.
      matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener("change", layoutCanvas);
    },
    viewerStopped(reason) {
      running = false;
      closeMenu();
      canvas.classList.add("stopped");
      status.classList.add("stopped");
      status.textContent = reason;
    },
  };
})();
