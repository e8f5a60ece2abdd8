// A lost GPU context, as the page tells it: the module stops drawing and
// recreates its GL objects when the context comes back; the page says it is
// waiting, and after 5 s without the context that it should be reloaded
// (unless the viewer has stopped meanwhile: then the reason stays on show).
// `contextChanged(lost)` is the module's hook for both events.
import { sayContextBack, sayContextLost } from "./status.js";

const PATIENCE_MS = 5000;
let timer = null;

export function contextChanged(lost) {
  clearTimeout(timer);
  if (lost) {
    sayContextLost("The graphics context was lost; waiting for it to come back…", false);
    timer = setTimeout(() => {
      sayContextLost("The graphics context was lost and has not come back. Reload the page.", true);
    }, PATIENCE_MS);
  } else {
    sayContextBack();
  }
}
