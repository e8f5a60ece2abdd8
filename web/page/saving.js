// "Save picture" (the frame on show as PNG, at device pixels), "Save mesh"
// (the surface on show as GLB, welded in the module by the core's weld, as
// the exporter welds it) and "Record" (a WebM of the canvas until the next press). Files are
// named after the time: eversion-t0.3750.png; each arrives as a download.
import { element } from "./dom.js";
import { redrawCanvas } from "./layout.js";
import { state } from "./link.js";
import { say } from "./status.js";

const canvas = document.getElementById("canvas");
// A canvas stream yields a frame only when the canvas is drawn, and a still
// view is not drawn again: while recording, a view left undrawn for a frame
// of the recording is drawn again as it is.
const RECORD_FPS = 30;
let recorder = null;
let keeping = 0;

function keepDrawing() {
  let drawn = Module._vvFramesDrawn();
  let since = performance.now();
  const tick = (now) => {
    const frames = Module._vvFramesDrawn();
    if (frames !== drawn) {
      drawn = frames;
      since = now;
    } else if (now - since >= 1000 / RECORD_FPS) {
      since = now;
      redrawCanvas();
    }
    keeping = requestAnimationFrame(tick);
  };
  keeping = requestAnimationFrame(tick);
}

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

export function savePicture() {
  // The drawing buffer is kept after compositing: this is the frame shown,
  // at device pixels.
  canvas.toBlob((blob) => { if (blob) download(blob, fileStem() + ".png"); }, "image/png");
}

export function saveMesh() {
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

// Ends a recording in progress; its file is saved when the recorder stops.
// A second press before the file is saved finds it stopping already.
export function stopRecording() {
  if (recorder && recorder.state !== "inactive")
    recorder.stop();
}

export function toggleRecording() {
  const button = document.getElementById("record");
  if (recorder) {
    stopRecording();
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
  const stream = canvas.captureStream(RECORD_FPS);
  recorder = new MediaRecorder(stream, type ? { mimeType: type } : {});
  recorder.addEventListener("dataavailable", (e) => {
    if (!e.data.size)
      return;
    chunks.push(e.data);
    bytes += e.data.size;
    say(`Recording, ${(bytes / 1000).toFixed(1)} kB so far. Press Record again to stop.`);
  });
  recorder.addEventListener("stop", () => {
    recorder = null;
    cancelAnimationFrame(keeping);
    stream.getTracks().forEach((t) => t.stop());
    button.setAttribute("aria-pressed", "false");
    if (!chunks.length) {
      say("Nothing was recorded: the canvas gave no frame before the stop.");
      return;
    }
    download(new Blob(chunks, { type: "video/webm" }), name);
    say(`Saved ${name}.`);
  });
  recorder.start(250);
  keepDrawing();
  // The name stays "Record": aria-pressed and the button's style say that
  // it records.
  button.setAttribute("aria-pressed", "true");
  say("Recording. Press Record again to stop.");
}
