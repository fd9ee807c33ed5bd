// page.js -- the viewer's page around the WebAssembly module. It hands the
// viewer its events in GLUT's terms: a key as the byte typed, buttons 0 left,
// 1 middle, 2 right, state 0 pressed, 1 released, pointer positions in canvas
// pixels with y counted down from the top. The module makes a frame on
// animation frames, and paces the water itself; a renderer draws the frame.
//   ?width=W&height=H fixes the canvas size (as -geometry does on the
//   desktop); otherwise it fills the page above the log.
//   ?rate=N runs N idle ticks a second instead of the desktop's pace.
const params = new URLSearchParams(location.search);
const fixedSize = params.has("width") && params.has("height")
  ? [parseInt(params.get("width"), 10), parseInt(params.get("height"), 10)] : null;
const tickRate = Number(params.get("rate"));
const canvas = document.getElementById("canvas");
const stage = document.getElementById("stage");
const log = document.getElementById("log");
const notice = document.getElementById("notice");
const keptLines = 500;
let printedLineCount = 0; // all the lines printed, the log keeps the last keptLines
let running = false;
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

// Calls an entry point of the program; the program's own end unwinds through it.
function call(name, ...args) {
  if (!running) return;
  try {
    Module["_" + name](...args);
  } catch (e) {
    if (!(e && e.name === "ExitStatus")) throw e;
  }
}

// Where the frames are drawn: by render-worker.js, on the canvas handed over
// to it, so that no GPU call holds this thread (a software renderer's can take
// a second); or, where a worker cannot draw, here on the canvas itself
// (renderer.js). The worker says which before the program starts; one that
// does not answer in time leaves the drawing here.
const workerWaitMs = 5000;
let renderWorker = null;
let renderer = null; // this thread's, when the worker cannot draw
let framesDrawn = 0; // frames on the canvas, whoever drew them
let drawnBufferSize = [0, 0]; // the drawing buffer's, as the last frame was drawn
let contextLost = false;
const drawingPlaced = new Promise(resolve => {
  if (typeof Worker === "undefined" || !("transferControlToOffscreen" in canvas)) return resolve();
  let worker;
  try {
    worker = new Worker("render-worker.js");
  } catch {
    return resolve(); // workers refused here (a file:// page, a policy)
  }
  let placed = false;
  const place = canDraw => {
    if (placed) return;
    placed = true;
    if (canDraw) {
      renderWorker = worker;
      const offscreen = canvas.transferControlToOffscreen();
      worker.postMessage({ canvas: offscreen }, [offscreen]);
    } else {
      worker.terminate();
    }
    resolve();
  };
  worker.onmessage = ({ data }) => {
    if ("canDraw" in data) place(data.canDraw);
    else if (data.framed) frameAnswered(data.spare);
    else if (data.settled) settling.get(data.settled)();
    else rendererTold(data.told, data.size);
  };
  worker.onerror = () => place(false);
  setTimeout(() => place(false), workerWaitMs);
});

function rendererTold(told, size) {
  if (told === "drawn") {
    ++framesDrawn;
    drawnBufferSize = size;
  } else if (told === "lost" || told === "restored") {
    contextLost = told === "lost";
  } else if (told === "failed") {
    tell("The page's render worker found no WebGL2 on the canvas: Tarnwick cannot draw here.");
  }
}

function startDrawing() {
  if (renderWorker) return true;
  renderer = startRenderer(canvas, rendererTold);
  return renderer !== null;
}

// A frame's corners travel to the worker in a buffer of their own, which the
// worker sends back once it has drawn a newer frame: no megabyte allocated
// (and collected) at every frame. This thread's renderer draws from one
// buffer, refilled at each frame.
const spareCorners = [];
let frameInWorker = false; // sent, and not yet drawn
function drawFrame(corners, surfaceCorners, matrix) {
  let buffer = spareCorners.pop();
  if (!buffer || buffer.length < corners.length) buffer = new Float32Array(corners.length);
  buffer.set(corners);
  const frame = { corners: buffer, floats: corners.length, surfaceCorners, matrix: Float32Array.from(matrix) };
  if (renderWorker) {
    frameInWorker = true;
    renderWorker.postMessage({ frame }, [buffer.buffer]);
  } else {
    renderer.draw(frame);
    spareCorners.push(buffer);
  }
}

function frameAnswered(spare) {
  frameInWorker = false;
  if (spare) spareCorners.push(spare);
}

// While the worker has not drawn the last frame (its GPU behind), the program
// makes no newer one, as a GPU call would hold it on this thread: frames never
// queue up behind what the screen shows.
const rendererBusy = () => frameInWorker;

// The drawing buffer's size in device pixels; a new one starts cleared, and
// the renderer draws the newest frame on it again.
function resizeDrawingBuffer(width, height) {
  if (renderWorker) renderWorker.postMessage({ width, height });
  else renderer.resize(width, height);
}

// For tests: a promise of the moment every frame sent so far is on the canvas.
const settling = new Map();
let settleCount = 0;
function drawingSettled() {
  if (!renderWorker) return Promise.resolve(true);
  const id = ++settleCount;
  return new Promise(resolve => {
    settling.set(id, () => settling.delete(id) && resolve(true));
    renderWorker.postMessage({ settle: id });
  });
}

// For tests: the GPU context lost, as a driver reset loses it, and given back.
function loseDrawingContext() {
  if (renderWorker) renderWorker.postMessage({ lose: true });
  else renderer.loseContext();
}
function restoreDrawingContext() {
  if (renderWorker) renderWorker.postMessage({ restore: true });
  else renderer.restoreContext();
}

// The canvas's drawing buffer has its CSS size times devicePixelRatio, so it
// is sharp on any screen; the program thinks in CSS pixels all the same
// ("Resized to", clicks and drags), so a gesture turns the camera as far on a
// phone as on a desktop.
let cssSize = [0, 0];
let pixelRatio = 0;
function fitCanvas() {
  if (!running) return; // the start fits it
  const [width, height] = fixedSize || [stage.clientWidth, stage.clientHeight];
  const ratio = window.devicePixelRatio || 1;
  if (width === cssSize[0] && height === cssSize[1] && ratio === pixelRatio) return;
  const resized = width !== cssSize[0] || height !== cssSize[1];
  cssSize = [width, height];
  pixelRatio = ratio;
  canvas.style.width = `${width}px`;
  canvas.style.height = `${height}px`;
  resizeDrawingBuffer(Math.round(width * ratio), Math.round(height * ratio));
  if (resized) call("webResize", width, height);
}

// A window moved to another screen, or the page zoomed: the ratio changes.
function watchPixelRatio() {
  const query = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
  query.addEventListener("change", () => {
    fitCanvas();
    watchPixelRatio();
  }, { once: true });
}

var Module = {
  print,
  preRun: [() => {
    Module.addRunDependency("drawing");
    drawingPlaced.then(() => Module.removeRunDependency("drawing"));
  }],
  printErr: line => console.warn(line),
  started() {
    running = true;
    notice.style.display = "none";
    if (tickRate > 0) call("webSetTickRate", tickRate);
    fitCanvas();
    watchPixelRatio();
    canvas.focus();
    keepForOffline();
  },
  startDrawing,
  drawFrame,
  rendererBusy,
  control: addCommandButtons,
  ended(status) {
    running = false;
    window.exitStatus = status;
    tell("Tarnwick has ended (exit status " + status + "). Reload the page to start again.");
  },
  failed(message) {
    tell(message);
  },
  onAbort: cannotStart,
};

// The module could not be fetched or compiled: say why, if we know.
const fromFile = "Tarnwick needs a web server: browsers do not load its WebAssembly module from file:// pages. "
  + "Serve this folder with any static web server (scripts/web.sh does) and open its address.";
function cannotStart(what) {
  tell(location.protocol === "file:" ? fromFile : `Tarnwick could not start: ${what}`);
}
window.addEventListener("unhandledrejection", event => running || cannotStart(event.reason));
// A browser may fail such a load without a word: say it at once, until the program runs.
if (location.protocol === "file:") tell(fromFile);

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
  return [Math.floor(event.clientX - box.left), Math.floor(event.clientY - box.top)];
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

// The module loads once the page has painted its text, so that the help is
// read while the program downloads and starts, and the worker wakes the GPU.
requestAnimationFrame(() => setTimeout(() => {
  const module = document.createElement("script");
  module.src = "tarnwick.js";
  module.onerror = () => cannotStart("its module, tarnwick.js, could not be loaded.");
  document.body.append(module);
}));
