// What the page says, and whether the viewer runs. `running` is true from the
// viewer's start until it stops (Esc, or a browser without WebGL 2); no input
// reaches the module while it is false. The status line (#status) tells
// everyone; action messages (`say`) are dropped once the viewer has stopped,
// so the reason for the stop stays on show. The live region (#live) gives
// screen readers the time line at most once a second.
import { setText } from "./dom.js";

const status = document.getElementById("status");
const live = document.getElementById("live");
const LIVE_MS = 1000;

export let running = false;
let runningText = "";
let liveTimer = null;

export function startRunning(text) {
  running = true;
  runningText = text;
  status.textContent = text;
}

export function stopRunning(reason) {
  running = false;
  status.classList.add("stopped");
  status.textContent = reason;
}

export function say(text) {
  if (running)
    status.textContent = text;
}

// The state of the graphics context replaces any action message; `givenUp`
// marks it as an error. A stopped viewer keeps its reason on show: the
// context coming back does not make it run again, and one that never comes
// back matters no more.
export function sayContextLost(text, givenUp) {
  if (!running)
    return;
  if (givenUp)
    status.classList.add("lost");
  status.textContent = text;
}

export function sayContextBack() {
  if (!running)
    return;
  status.classList.remove("lost");
  status.textContent = runningText;
}

function speakTime() {
  liveTimer = null;
  if (running)
    setText(live, Module.UTF8ToString(Module._vvTimeLine()));
}

export function speakTimeSoon() {
  if (!liveTimer)
    liveTimer = setTimeout(speakTime, LIVE_MS);
}
