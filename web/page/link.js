// The view as a link. The module spells the whole view as `key=value&...`
// (viewer/ViewLink.*, which also repairs a broken one): the page reads the
// state its controls show from it (`state`, with the animation bits added),
// keeps the address bar's fragment current with history.replaceState at most
// about three times a second, applies a fragment it is given (at the start and
// on hashchange), and copies the whole link for "Copy link".
import { element } from "./dom.js";
import { running, say } from "./status.js";

const LINK_WRITE_MS = 300;

// The state as the link spells it (strings), plus the animations.
export let state = {};
let shown = {};
let linkTimer = null;

function viewLink() {
  return Module.UTF8ToString(Module._vvViewLink());
}

// The view link's fields by name, as text.
export function currentView() {
  return parseLink(viewLink());
}

function parseLink(text) {
  const out = {};
  for (const pair of text.split("&")) {
    const at = pair.indexOf("=");
    if (at > 0)
      out[pair.slice(0, at)] = pair.slice(at + 1);
  }
  return out;
}

// Reads the state after the module said it changed. True when anything but
// the camera differs from the last one read: a turning camera changes the
// link every frame but none of the controls.
export function readState() {
  state = parseLink(viewLink());
  state.animation = Module._vvAnimation();
  const differs = Object.keys(state).some((k) => k !== "cam" && shown[k] !== state[k]);
  shown = state;
  return differs;
}

function writeLink() {
  linkTimer = null;
  if (!running)
    return;
  const link = viewLink();
  if (window.location.hash !== "#" + link)
    history.replaceState(history.state, "", window.location.pathname + window.location.search + "#" + link);
}

export function writeLinkSoon() {
  if (!linkTimer)
    linkTimer = setTimeout(writeLink, LINK_WRITE_MS);
}

// Calls `call` with the address of `text` as NUL-terminated UTF-8 and
// returns its result. The copy is on the module's heap, not its stack: a
// pasted link may be of any length.
export function passText(text, call) {
  const size = Module.lengthBytesUTF8(text) + 1;
  const at = Module._malloc(size);
  Module.stringToUTF8(text, at, size);
  try {
    return call(at);
  } finally {
    Module._free(at);
  }
}

// Module._vvApplyLinkText(text): applies a link's text; tests call it too.
export function addApplyLinkText() {
  Module._vvApplyLinkText = (text) => { passText(text, Module._vvApplyLink); };
}

export function applyFragment() {
  const fragment = window.location.hash.replace(/^#/, "");
  if (fragment)
    Module._vvApplyLinkText(fragment);
}

export function copyLink() {
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
