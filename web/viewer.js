// viewer.js -- the viewer on a page: the program (host.js) in the render
// worker or on the page itself, its canvas sized and sharp, and the visitor's
// keys, mouse, touch and pen handed to it in GLUT's terms: a key as the byte
// typed, buttons 0 left, 1 middle, 2 right, state 0 pressed, 1 released,
// pointer positions in canvas pixels with y counted down from the top. The
// page (page.js) and the embed (embed.js) each put their own around it.
//   startViewer({ canvas, stage, script, fixedSize, tickRate, ready, page,
//   beforeInput }) starts the program once the promise ready settles. page
//   is what the program tells the page besides what the viewer handles
//   itself (host.js lists it); beforeInput(), if given, runs before each of
//   the visitor's inputs is sent. It returns { running(), call(name, ...args),
//   ask(name, ...args), playScene(bytes), hold(reason, held), probes(more) }.
import { hostProgram } from "./host.js";

// Where the program runs and draws: in render-worker.js, on the canvas handed
// over to it, so that neither its work nor a GPU call holds this thread (a
// software renderer's can take a second); or, where a worker cannot draw,
// here on the canvas itself (host.js). The worker says which before the
// program starts; one that does not answer in time leaves the program here.
const workerWaitMs = 5000;

function placeRenderWorker(canvas) {
  return new Promise(resolve => {
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
}

// The program in the worker, behind the interface host.js gives here.
function programInWorker(worker, canvas, script, fromProgram, cannotStart) {
  const answers = new Map();
  let asked = 0;
  worker.onmessage = ({ data }) => {
    if (data.host) return fromProgram[data.host](...data.args);
    answers.get(data.answer)(data.value);
    answers.delete(data.answer);
  };
  // The module could not be fetched or run there.
  worker.onerror = event => cannotStart(`its module, ${script}, could not be loaded (${event.message}).`);
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
    hold: held => worker.postMessage({ hold: held }),
  };
}

export function startViewer({ canvas, stage, script, fixedSize = null, tickRate = 0, ready, page, beforeInput }) {
  let program = null; // host.js's interface, or the same through the worker
  let drawingPlace = null; // "worker" or "page"
  let running = false;
  let exitStatus; // once the program has ended
  let contextLost = false;
  let policyViolations = 0; // scripts, styles or workers the page's policy refused
  const renderWorker = placeRenderWorker(canvas);

  // What the program tells the page, wherever it runs.
  const fromProgram = {
    ...page,
    started,
    ended,
    followSize,
    told: told => (contextLost = told === "lost"),
    cannotStart: what => running || page.cannotStart(what),
  };

  async function startProgram() {
    await ready;
    const worker = await renderWorker;
    drawingPlace = worker ? "worker" : "page";
    program = worker
      ? programInWorker(worker, canvas, script, fromProgram, fromProgram.cannotStart)
      : hostProgram(canvas, fromProgram, script);
  }

  // Calls an entry point of the program (its web* functions) with numbers.
  function call(name, ...args) {
    if (running) program.call(name, args);
  }

  // A promise of an entry point's result, or of host.js's other answers.
  const ask = (name, ...args) => Promise.resolve(program.ask(name, args));

  // The canvas's drawing buffer has its CSS size times devicePixelRatio, so
  // it is sharp on any screen; the program thinks in CSS pixels all the same
  // ("Resized to", clicks and drags), so a gesture turns the camera as far on
  // a phone as on a desktop.
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
    program.resize(Math.round(width * ratio), Math.round(height * ratio));
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
    if (tickRate > 0) call("webSetTickRate", tickRate);
    page.started();
    fitCanvas();
    watchPixelRatio();
    if (holds.size) program.hold(true);
    keepForOffline();
  }

  function ended(status, checksMatched) {
    running = false;
    exitStatus = status;
    page.ended(status, checksMatched);
  }

  // Frames held for some reasons ("hidden", "paused", ...): while any holds,
  // the program makes no frame and runs no tick, and the time held owes none.
  const holds = new Set();
  function hold(reason, held) {
    const before = holds.size > 0;
    if (held) holds.add(reason);
    else holds.delete(reason);
    if (running && before !== holds.size > 0) program.hold(!before);
  }
  document.addEventListener("visibilitychange", () => hold("hidden", document.hidden));
  if (document.hidden) holds.add("hidden");

  // Once the program runs, a service worker keeps this build's files for
  // visits without network. It is registered only now, so that an update it
  // finds cannot mix files of two builds into this visit; the next visit uses it.
  function keepForOffline() {
    if (!("serviceWorker" in navigator) || !window.isSecureContext) return;
    const updating = Boolean(navigator.serviceWorker.controller);
    navigator.serviceWorker.addEventListener("controllerchange", () => {
      if (updating) page.failed("A new version of Tarnwick is installed: reload the page to use it.");
    });
    navigator.serviceWorker.register("sw.js").catch(error => console.warn(`No offline copy: ${error.message}`));
  }

  document.addEventListener("securitypolicyviolation", () => ++policyViolations);
  window.addEventListener("unhandledrejection", event => fromProgram.cannotStart(event.reason));
  window.addEventListener("resize", fitCanvas);
  listenToTheVisitor(canvas, (name, ...args) => {
    if (beforeInput) beforeInput();
    call(name, ...args);
  }, event => {
    const box = canvas.getBoundingClientRect();
    const scaleX = cssSize[0] / box.width, scaleY = cssSize[1] / box.height;
    return [Math.floor((event.clientX - box.left) * scaleX), Math.floor((event.clientY - box.top) * scaleY)];
  });

  // The program loads once the page has painted its text, so that it is read
  // while the module downloads and starts, and the worker wakes the GPU.
  requestAnimationFrame(() => setTimeout(startProgram));

  return {
    running: () => running,
    call,
    ask,
    fitCanvas,
    playScene: bytes => program.playScene(bytes),
    hold,
    // What the tests and tools read and do, with the page's own: the page's
    // one global, window.tarnwickProbes.
    probes: more => Object.freeze({
      script,
      running: () => running,
      exitStatus: () => exitStatus,
      drawingPlace: () => drawingPlace,
      policyViolations: () => policyViolations,
      contextLost: () => contextLost,
      call,
      ask,
      // A promise of the moment the program has made its next animation
      // frame, after everything sent to it so far: its lines are printed, its
      // frame drawn.
      programSettled: () => ask("settled"),
      // The drawing buffer's size in device pixels; a new one starts cleared,
      // and the renderer draws the newest frame on it again.
      resizeDrawingBuffer: (width, height) => program.resize(width, height),
      // as a driver reset loses the GPU context, and gives it back
      loseDrawingContext: () => program.loseContext(),
      restoreDrawingContext: () => program.restoreContext(),
      ...more,
    }),
  };
}

// A Full screen button, shown where the page may go full screen; refused(why)
// says so when the browser refuses.
export function keepFullScreenButton(button, refused) {
  button.hidden = !document.fullscreenEnabled;
  button.addEventListener("click", () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(error => refused(`No full screen: ${error.message}`));
  });
  document.addEventListener("fullscreenchange", () => {
    button.textContent = document.fullscreenElement ? "Leave full screen" : "Full screen";
  });
}

const namedKeys = { Escape: 27, Enter: 13, Tab: 9, Backspace: 8, Delete: 127 };

// The byte a key types, or null for a key that types none (Shift, F1, the arrows ...).
export function keyCode(key) {
  if (key in namedKeys) return namedKeys[key];
  const characters = [...key];
  if (characters.length !== 1) return null;
  const code = characters[0].codePointAt(0);
  return code <= 255 ? code : null;
}

// The visitor's keys, mouse, touch and pen, as calls of the program's entry
// points (send(name, ...args)); at(event) is the pointer in canvas pixels.
function listenToTheVisitor(canvas, send, at) {
  // Browser shortcuts (with Ctrl, Alt or Meta) stay the browser's.
  window.addEventListener("keydown", event => {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.target instanceof HTMLButtonElement && (event.key === "Enter" || event.key === " ")) return;
    if (event.target instanceof HTMLAnchorElement && event.key === "Enter") return;
    const code = keyCode(event.key);
    if (code === null) return;
    if (code !== 9) event.preventDefault(); // Tab still moves the focus, as on any page
    send("webKey", code);
  });

  let buttonsHeld = 0;
  canvas.addEventListener("mousedown", event => {
    if (event.button > 2) return;
    event.preventDefault(); // no middle-button scrolling
    canvas.focus();
    buttonsHeld |= 1 << event.button;
    send("webButton", event.button, 0, ...at(event));
  });
  // A press in the canvas is followed to its release and its drags anywhere.
  window.addEventListener("mouseup", event => {
    if (!(buttonsHeld & (1 << event.button))) return;
    buttonsHeld &= ~(1 << event.button);
    send("webButton", event.button, 1, ...at(event));
  });
  window.addEventListener("mousemove", event => {
    if (buttonsHeld) send("webDrag", ...at(event));
  });
  canvas.addEventListener("contextmenu", event => event.preventDefault());

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
      send("webTouch", phase, event.pointerId, ...at(event));
    });
  }
}
