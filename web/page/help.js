// The help (#help), a modal dialog opened by #helpButton: the version, the
// keys and mouse drags from the viewer's own tables in the module (lines of
// "what<TAB>effect"), and the touch gestures. The dialog keeps the focus
// inside, closes with Esc and gives the focus back to the Help button.
import { element } from "./dom.js";
import { touchHelp } from "./touch.js";

const help = document.getElementById("help");

function fillTable(id, rows) {
  const table = document.getElementById(id);
  for (const [what, effect] of rows)
    table.append(element("tr", {}, [element("td", { textContent: what }), element("td", { textContent: effect })]));
}

function tableLines(text) {
  return text.split("\n").filter((l) => l).map((l) => l.split("\t"));
}

export function buildHelp() {
  document.getElementById("helpVersion").textContent = "Vedoze Vaderuve " + Module.UTF8ToString(Module._vvVersion());
  fillTable("helpKeys", tableLines(Module.UTF8ToString(Module._vvKeyHelp())));
  fillTable("helpDrags", tableLines(Module.UTF8ToString(Module._vvDragHelp())));
  fillTable("helpTouch", touchHelp);
  const close = document.getElementById("helpClose");
  document.getElementById("helpButton").addEventListener("click", () => {
    help.showModal();
    close.focus();
  });
  close.addEventListener("click", () => help.close());
}
