// "Save picture" (the frame on show as PNG, at device pixels), "Save mesh"
// (the surface on show as GLB, welded by the exporter's own code in the
// module) and "Record" (a WebM of the canvas until the next press). Files are
// named after the time: eversion-t0.3750.png; each arrives as a download.
import { element } from "./dom.js";
import { state } from "./link.js";
import { say } from "./status.js";

const canvas = document.getElementById("canvas");
let recorder = null;

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
export function stopRecording() {
  if (recorder)
    recorder.stop();
}

export function toggleRecording() {
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
