// page.js -- the viewer's page around the WebAssembly module. It hands the
// viewer its events in GLUT's terms: a key as the byte typed, buttons 0 left,
// 1 middle, 2 right, state 0 pressed, 1 released, pointer positions in canvas
// pixels with y counted down from the top. The module makes a frame on
// animation frames, and paces the water itself; a renderer draws the frame.
//   ?width=W&height=H fixes the canvas size (as -geometry does on the
//   desktop); otherwise it fills the page above the log.
//   ?rate=N runs N idle ticks a second instead of the desktop's pace.
//   ?simd=0 runs the module built without WebAssembly SIMD, as engines
//   without SIMD do.
//   #scene=... plays a scene from the program's start (scenes.js).
import { hostProgram, programScript } from "./host.js";
import { keepScenes } from "./scenes.js";

const params = new URLSearchParams(location.search);
let fixedSize = params.has("width") && params.has("height")
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
let running = false;
let exitStatus; // once the program has ended
let policyViolations = 0; // scripts, styles or workers the page's policy refused

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

// Where the program runs and draws: in render-worker.js, on the canvas handed
// over to it, so that neither its work nor a GPU call holds this thread (a
// software renderer's can take a second); or, where a worker cannot draw,
// here on the canvas itself (host.js). The worker says which before the
// program starts; one that does not answer in time leaves the program here.
const workerWaitMs = 5000;
let program = null; // host.js's interface, or the same through the worker
let drawingPlace = null; // "worker" or "page"
let contextLost = false;
const renderWorker = new Promise(resolve => {
  if (typeof Worker === "undefined" || !("transferControlToOffscreen" in canvas)) return resolve(null);
  let worker;
  try {
    worker = new Worker("render-worker.js", { type: "module" });
  } catch {
    return resolve(null); // workers refused here (a file:// page, a policy)
  }
  let placed = false;
  const place = canDraw => {
    if (placed) return;
    placed = true;
    if (!canDraw) worker.terminate();
    resolve(canDraw ? worker : null);
  };
  worker.onmessage = ({ data }) => place(data.canDraw);
  worker.onerror = () => place(false);
  setTimeout(() => place(false), workerWaitMs);
});

// What the program tells the page, wherever it runs.
const fromProgram = {
  print,
  setTitle: title => (document.title = title),
  control: addCommandButtons,
  started,
  ended,
  failed: tell,
  cannotStart,
  told: rendererTold,
  followSize,
  sceneRefused: why => scenes.refused(why),
  sceneParted: where => scenes.parted(where),
  scenePlayed: checksMatched => scenes.played(checksMatched),
  recordingStopped: inputs => scenes.recordingStopped(inputs),
};

function rendererTold(told) {
  contextLost = told === "lost";
}

// The program in the worker, behind the interface host.js gives here.
function programInWorker(worker) {
  const answers = new Map();
  let asked = 0;
  worker.onmessage = ({ data }) => {
    if (data.host) return fromProgram[data.host](...data.args);
    answers.get(data.answer)(data.value);
    answers.delete(data.answer);
  };
  // The module could not be fetched or run there.
  worker.onerror = event => running || cannotStart(`its module, ${script}, could not be loaded (${event.message}).`);
  const offscreen = canvas.transferControlToOffscreen();
  worker.postMessage({ canvas: offscreen, script }, [offscreen]);
  return {
    call: (name, args) => worker.postMessage({ call: name, args }),
    ask: (name, args) => new Promise(resolve => {
      answers.set(++asked, resolve);
      worker.postMessage({ ask: asked, name, args });
    }),
    resize: (width, height) => worker.postMessage({ resize: [width, height] }),
    loseContext: () => worker.postMessage({ lose: true }),
    restoreContext: () => worker.postMessage({ restore: true }),
    playScene: bytes => worker.postMessage({ scene: bytes }),
  };
}

async function startProgram() {
  await scenes.linkRead;
  const worker = await renderWorker;
  drawingPlace = worker ? "worker" : "page";
  program = worker ? programInWorker(worker) : hostProgram(canvas, fromProgram, script);
}

// Calls an entry point of the program (its web* functions) with numbers.
function call(name, ...args) {
  if (running) program.call(name, args);
}

// A promise of an entry point's result, or of host.js's other answers
// ("settled", "framesDrawn", "drawnBufferSize", "heapBytes", "recordedScene",
// "picture").
const ask = (name, ...args) => Promise.resolve(program.ask(name, args));

const scenes = keepScenes({ canvas, running: () => running, playScene: bytes => program.playScene(bytes), ask });

// A promise of the moment the program has made its next animation frame,
// after everything sent to it so far: its lines are printed, its frame drawn.
const programSettled = () => ask("settled");

// The drawing buffer's size in device pixels; a new one starts cleared, and
// the renderer draws the newest frame on it again.
const resizeDrawingBuffer = (width, height) => program.resize(width, height);

// The canvas's drawing buffer has its CSS size times devicePixelRatio, so it
// is sharp on any screen; the program thinks in CSS pixels all the same
// ("Resized to", clicks and drags), so a gesture turns the camera as far on a
// phone as on a desktop.
let cssSize = [0, 0];
let pixelRatio = 0;
function fitCanvas() {
  if (!running) return; // the start fits it
  const [width, height] = fixedSize || [stage.clientWidth, stage.clientHeight];
  showFitting(width, height);
  const ratio = window.devicePixelRatio || 1;
  if (width === cssSize[0] && height === cssSize[1] && ratio === pixelRatio) return;
  const resized = width !== cssSize[0] || height !== cssSize[1];
  cssSize = [width, height];
  pixelRatio = ratio;
  resizeDrawingBuffer(Math.round(width * ratio), Math.round(height * ratio));
  if (resized) call("webResize", width, height);
}

// A fixed size larger than the stage (a scene's, ?width=&height=) is shown
// scaled down to fit, so that it never covers the panels; the program keeps
// its pixels, and pointer positions are scaled back to them (at below).
function showFitting(width, height) {
  const scale = fixedSize ? Math.min(1, stage.clientWidth / width, stage.clientHeight / height) : 1;
  canvas.style.width = `${width * scale}px`;
  canvas.style.height = `${height * scale}px`;
}

// A played scene's size (as --play takes it on the desktop).
function followSize(width, height) {
  fixedSize = [width, height];
  fitCanvas();
}

// A window moved to another screen, or the page zoomed: the ratio changes.
function watchPixelRatio() {
  const query = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
  query.addEventListener("change", () => {
    fitCanvas();
    watchPixelRatio();
  }, { once: true });
}

function started() {
  running = true;
  notice.style.display = "none";
  if (tickRate > 0) call("webSetTickRate", tickRate);
  scenes.playPending();
  fitCanvas();
  watchPixelRatio();
  canvas.focus();
  keepForOffline();
}

function ended(status, checksMatched) {
  running = false;
  exitStatus = status;
  scenes.endedProgram(status, checksMatched);
  tell("Tarnwick has ended (exit status " + status + "). Reload the page to start again.");
}

// The module could not be fetched or compiled: say why, if we know.
function cannotStart(what) {
  tell(`Tarnwick could not start: ${what}`);
}
window.addEventListener("unhandledrejection", event => running || cannotStart(event.reason));

// Once the program runs, a service worker keeps this build's files for visits
// without network. It is registered only now, so that an update it finds
// cannot mix files of two builds into this visit; the next visit uses it.
function keepForOffline() {
  if (!("serviceWorker" in navigator) || !window.isSecureContext) return;
  const updating = Boolean(navigator.serviceWorker.controller);
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (updating) tell("A new version of Tarnwick is installed: reload the page to use it.");
  });
  navigator.serviceWorker.register("sw.js").catch(error => console.warn(`No offline copy: ${error.message}`));
}

document.addEventListener("securitypolicyviolation", () => ++policyViolations);

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
  fitCanvas();
}
document.getElementById("hide-help").addEventListener("click", () => setHelpShown(false));
const viewShown = document.getElementById("view");
const showView = () => (viewShown.textContent = document.title.replace(/^Tarnwick /, ""));
new MutationObserver(showView).observe(document.querySelector("title"), { childList: true });
showView();
// Folding the commands or the log away gives the canvas their room.
for (const panel of document.querySelectorAll("details")) panel.addEventListener("toggle", fitCanvas);
showHelp.addEventListener("click", () => setHelpShown(true));
try {
  if (localStorage.getItem("tarnwick.helpSeen") === "1") setHelpShown(false);
} catch {
  // as above
}

const namedKeys = { Escape: 27, Enter: 13, Tab: 9, Backspace: 8, Delete: 127 };
function keyCode(event) {
  if (event.key in namedKeys) return namedKeys[event.key];
  const characters = [...event.key];
  if (characters.length !== 1) return null; // Shift, F1, the arrows ...
  const code = characters[0].codePointAt(0);
  return code <= 255 ? code : null;
}

// Browser shortcuts (with Ctrl, Alt or Meta) stay the browser's.
window.addEventListener("keydown", event => {
  if (event.ctrlKey || event.altKey || event.metaKey) return;
  if (event.target instanceof HTMLButtonElement && (event.key === "Enter" || event.key === " ")) return;
  const code = keyCode(event);
  if (code === null) return;
  if (code !== 9) event.preventDefault(); // Tab still moves the focus, as on any page
  call("webKey", code);
});

let buttonsHeld = 0;
function at(event) {
  const box = canvas.getBoundingClientRect();
  const scaleX = cssSize[0] / box.width, scaleY = cssSize[1] / box.height;
  return [Math.floor((event.clientX - box.left) * scaleX), Math.floor((event.clientY - box.top) * scaleY)];
}
canvas.addEventListener("mousedown", event => {
  if (event.button > 2) return;
  event.preventDefault(); // no middle-button scrolling
  canvas.focus();
  buttonsHeld |= 1 << event.button;
  call("webButton", event.button, 0, ...at(event));
});
// A press in the canvas is followed to its release and its drags anywhere.
window.addEventListener("mouseup", event => {
  if (!(buttonsHeld & (1 << event.button))) return;
  buttonsHeld &= ~(1 << event.button);
  call("webButton", event.button, 1, ...at(event));
});
window.addEventListener("mousemove", event => {
  if (buttonsHeld) call("webDrag", ...at(event));
});
canvas.addEventListener("contextmenu", event => event.preventDefault());
window.addEventListener("resize", fitCanvas);

// Touch and pen go to the program as they come; it reads the gestures in the
// desktop's buttons: one finger dragged orbits (the left button), a tap drops
// water (a middle click), two fingers pinched or spread zoom (the right
// button). A finger is followed to its end, anywhere; the mouse keeps its own
// events above.
const touchPhases = { pointerdown: 0, pointermove: 1, pointerup: 2, pointercancel: 2 };
for (const [type, phase] of Object.entries(touchPhases)) {
  canvas.addEventListener(type, event => {
    if (event.pointerType === "mouse") return;
    if (phase === 0) {
      event.preventDefault(); // no mouse events made up from the touch
      canvas.setPointerCapture(event.pointerId);
      canvas.focus();
    }
    call("webTouch", phase, event.pointerId, ...at(event));
  });
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
    button.addEventListener("click", () => call("webKey", code));
    row.append(button, " ");
  }
  row.append(words);
  commands.append(row);
}

// The program loads once the page has painted its text, so that the help is
// read while the module downloads and starts, and the worker wakes the GPU.
if (!fromFile) requestAnimationFrame(() => setTimeout(startProgram));

// What the tests and tools read and do: the page's one global.
window.tarnwickProbes = Object.freeze({
  script,
  running: () => running,
  exitStatus: () => exitStatus,
  drawingPlace: () => drawingPlace,
  policyViolations: () => policyViolations,
  printedLineCount: () => printedLineCount,
  contextLost: () => contextLost,
  call,
  ask,
  programSettled,
  setHelpShown,
  resizeDrawingBuffer,
  // as a driver reset loses the GPU context, and gives it back
  loseDrawingContext: () => program.loseContext(),
  restoreDrawingContext: () => program.restoreContext(),
  lastDownload: () => scenes.lastDownload(),
  linkText: text => scenes.linkText(text),
});
