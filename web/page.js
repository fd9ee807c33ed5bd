// page.js -- the viewer's page: the viewer (viewer.js) above its help, its
// bar of commands and keepsakes (scenes.js) and its log. The module makes a
// frame on animation frames, and paces the water itself; a renderer draws it.
//   ?width=W&height=H fixes the canvas size (as -geometry does on the
//   desktop); otherwise it fills the page above the log.
//   ?rate=N runs N idle ticks a second instead of the desktop's pace.
//   ?simd=0 runs the module built without WebAssembly SIMD, as engines
//   without SIMD do.
//   #scene=... plays a scene from the program's start (scenes.js).
import { programScript } from "./host.js";
import { startViewer } from "./viewer.js";
import { keepScenes } from "./scenes.js";

const params = new URLSearchParams(location.search);
const fixedSize = params.has("width") && params.has("height")
  ? [parseInt(params.get("width"), 10), parseInt(params.get("height"), 10)] : null;
const tickRate = Number(params.get("rate"));
const script = programScript(params.get("simd") !== "0");
const canvas = document.getElementById("canvas");
const stage = document.getElementById("stage");
const log = document.getElementById("log");
const notice = document.getElementById("notice");
// No WebAssembly runs from a file:// page: the page's own notice says so.
const fromFile = location.protocol === "file:";
if (!fromFile) notice.className = "";
const keptLines = 500;
let printedLineCount = 0; // all the lines printed, the log keeps the last keptLines

// Scrolling to the newest line waits for the next frame: reading the log's
// height at every line would lay the page out at every line.
let scrollPending = false;
function scrollLog() {
  scrollPending = false;
  log.scrollTop = log.scrollHeight;
}

function print(line) {
  ++printedLineCount;
  console.log(line);
  log.append(line + "\n");
  while (log.childNodes.length > keptLines) log.firstChild.remove();
  if (!scrollPending) requestAnimationFrame(scrollLog);
  scrollPending = true;
}

function tell(text) {
  notice.textContent = text;
  notice.style.display = "block";
}

// What the program tells the page besides what the viewer handles itself.
const fromProgram = {
  print,
  setTitle: title => (document.title = title),
  control: addCommandButtons,
  started,
  ended,
  failed: tell,
  cannotStart,
  sceneRefused: why => scenes.refused(why),
  sceneParted: where => scenes.parted(where),
  scenePlayed: checksMatched => scenes.played(checksMatched),
  recordingStopped: inputs => scenes.recordingStopped(inputs),
};

const scenes = keepScenes({
  canvas,
  running: () => Boolean(viewer) && viewer.running(),
  playScene: bytes => viewer.playScene(bytes),
  ask: (...args) => viewer.ask(...args),
});
// No WebAssembly runs from a file:// page: there the page's notice stays.
const viewer = fromFile ? null
  : startViewer({ canvas, stage, script, fixedSize, tickRate, ready: scenes.linkRead, page: fromProgram });

function started() {
  notice.style.display = "none";
  scenes.playPending();
  canvas.focus();
}

function ended(status, checksMatched) {
  scenes.endedProgram(status, checksMatched);
  tell("Tarnwick has ended (exit status " + status + "). Reload the page to start again.");
}

// The module could not be fetched or compiled: say why, if we know.
function cannotStart(what) {
  tell(`Tarnwick could not start: ${what}`);
}


// The help shows on a first visit; once put away it stays away, and the bar's
// Help button brings it back. The bar says which view the title names.
const help = document.getElementById("help");
const showHelp = document.getElementById("show-help");
function setHelpShown(shown) {
  help.hidden = !shown;
  showHelp.hidden = shown;
  try {
    localStorage.setItem("tarnwick.helpSeen", shown ? "" : "1");
  } catch {
    // storage refused (a private window): the help comes back next visit
  }
  viewer && viewer.fitCanvas();
}
document.getElementById("hide-help").addEventListener("click", () => setHelpShown(false));
const viewShown = document.getElementById("view");
const showView = () => (viewShown.textContent = document.title.replace(/^Tarnwick /, ""));
new MutationObserver(showView).observe(document.querySelector("title"), { childList: true });
showView();
// Folding the commands or the log away gives the canvas their room.
for (const panel of document.querySelectorAll("details")) panel.addEventListener("toggle", () => viewer && viewer.fitCanvas());
showHelp.addEventListener("click", () => setHelpShown(true));
try {
  if (localStorage.getItem("tarnwick.helpSeen") === "1") setHelpShown(false);
} catch {
  // as above
}

// The bar's command buttons, one for each key of each row of the program's
// table of controls (the one --help prints); a button sends its key's code.
const namedButtonKeys = { Esc: 27 };
const commands = document.getElementById("commands-list");
function addCommandButtons(keys, action) {
  const row = document.createElement("div");
  row.className = "command";
  row.setAttribute("role", "group");
  row.setAttribute("aria-label", action);
  const words = document.createElement("span");
  words.textContent = action;
  for (const key of keys.split(" ")) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = key;
    button.dataset.key = key;
    button.setAttribute("aria-label", `${key}: ${action}`);
    const code = namedButtonKeys[key] || key.codePointAt(0);
    button.addEventListener("click", () => viewer.call("webKey", code));
    row.append(button, " ");
  }
  row.append(words);
  commands.append(row);
}

window.tarnwickProbes = viewer && viewer.probes({
  printedLineCount: () => printedLineCount,
  setHelpShown,
  lastDownload: () => scenes.lastDownload(),
  linkText: text => scenes.linkText(text),
});
