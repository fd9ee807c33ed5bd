// host.js -- runs the viewer's program (the WebAssembly module) beside its
// renderer (renderer.js), wherever the page puts the two: in render-worker.js,
// on the canvas handed over as an OffscreenCanvas, so that neither the water,
// the optics nor a GPU call holds the page's main thread; or on the page
// itself, where a worker cannot draw (WebKit). The program draws each frame
// straight from its memory: nothing is copied or posted per frame.
//   hostProgram(canvas, page, script) starts the renderer, then the program
//   (script names its loader, programScript's choice). page is
//   what the program tells the page: print(line), setTitle(title),
//   control(keys, action), started(), ended(status), failed(message),
//   cannotStart(what), told(kind) (the renderer's "lost" and "restored"),
//   and for scenes followSize(width, height), sceneRefused(why),
//   sceneParted(where), scenePlayed(checksMatched) and
//   recordingStopped(inputs).
//   It returns { call(name, args), ask(name, args), resize(width, height),
//   loseContext(), restoreContext(), playScene(bytes), hold(held) }: call runs an entry
//   point of the program (web*), ask gives its result or a promise of it, or
//   one of these: "settled" (resolves after the program's next animation
//   frame), "framesDrawn" and "drawnBufferSize" (the frames the renderer has
//   drawn, and the drawing buffer's size at the last), "heapBytes" (the
//   program's memory), "recordedScene" (the session's scene, as text; kept
//   when the program ends), "picture" (a PNG of the newest frame).
//   playScene hands the program a scene's bytes to play from its start;
//   hold(true) stops the frames and the ticks until hold(false).
//   Nothing goes to the page at a frame.

import { startRenderer } from "./renderer.js";

// A tiny module that uses SIMD instructions: valid where the engine has
// WebAssembly SIMD.
const simdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0,
  65, 0, 253, 15, 253, 98, 11]);

// The program's loader: the build with WebAssembly SIMD where the engine has
// it (unless simd is false), the scalar build elsewhere; both give the same bits.
export function programScript(simd = true) {
  return simd && WebAssembly.validate(simdProbe) ? "tarnwick.js" : "tarnwick-scalar.js";
}

// The calm water's beat: 20 a second, so that a beat's ticks (at most 100 at
// the fastest pace) stay well within the tenth of a second a frame catches up.
const calmBeatMilliseconds = 50;

export function hostProgram(canvas, page, script) {
  let framesDrawn = 0;
  let drawnBufferSize = [0, 0];
  const renderer = startRenderer(canvas, (told, size) => {
    if (told !== "drawn") return page.told(told);
    ++framesDrawn;
    drawnBufferSize = size;
  });
  let running = false;
  let endedScene = "";

  // Calls an entry point; the program's own end unwinds through it.
  function call(name, args = []) {
    try {
      return program["_" + name](...args);
    } catch (e) {
      if (!(e && e.name === "ExitStatus")) throw e;
      return undefined;
    }
  }

  function recordedScene() {
    const at = program._webRecordedScene(), bytes = program._webRecordedSceneBytes();
    return new TextDecoder().decode(program.HEAPU8.subarray(at, at + bytes));
  }

  function playScene(bytes) {
    if (!running) return;
    program.HEAPU8.set(bytes, call("webSceneBuffer", [bytes.length]));
    call("webPlayScene");
  }

  // The program runs at every animation frame while anything moves. Calm
  // water (nothing drawn, nothing under way) asks for none: a slower beat
  // keeps the ticks at their pace, well within what a frame may catch up,
  // and whatever comes from the page wakes the frames again before it is
  // handled, so that it shows at the next one.
  let beat = null; // "frame" or "calm" while the next is asked for
  let calmTimer = 0;
  let held = false; // the page holds the frames (paused, hidden)
  function animationFrame() {
    beat = null;
    if (!running) return;
    if (held) call("webFramesResumed"); // a frame made while held runs no tick
    const calm = call("webAnimationFrame");
    if (!running || beat || held) return; // ended, woken while it ran, or held
    if (calm) {
      beat = "calm";
      calmTimer = setTimeout(animationFrame, calmBeatMilliseconds);
    } else {
      beat = "frame";
      requestAnimationFrame(animationFrame);
    }
  }
  function wake() {
    if (beat === "frame") return;
    clearTimeout(calmTimer);
    beat = "frame";
    requestAnimationFrame(animationFrame);
  }
  // While held, the program makes a frame only when something comes from the
  // page (the first frame of a page paused at its start, a key a host sends),
  // and runs no tick; the time held owes none.
  function hold(holding) {
    held = holding;
    if (held && beat === "calm") {
      clearTimeout(calmTimer);
      beat = null;
    }
    if (held || !running) return;
    call("webFramesResumed");
    wake();
  }

  // The loader adds the entry points (_web*) and the memory (HEAPU8) here.
  const program = {
    print: page.print,
    printErr: line => console.warn(line),
    setTitle: page.setTitle,
    control: page.control,
    failed: page.failed,
    onAbort: page.cannotStart,
    followSize: page.followSize,
    sceneRefused: page.sceneRefused,
    scenePlayed: page.scenePlayed,
    sceneParted: page.sceneParted,
    recordingStopped: page.recordingStopped,
    startDrawing: () => renderer !== null,
    drawFrame: frame => renderer.draw(frame),
    started() {
      running = true;
      page.started();
      wake();
    },
    ended(status, checksMatched) {
      endedScene = recordedScene();
      running = false;
      page.ended(status, checksMatched);
    },
  };
  import(`./${script}`).then(
    loader => loader.default(program).catch(() => {}), // onAbort said why
    error => page.cannotStart(`its module, ${script}, could not be loaded (${error.message || error}).`));

  const queries = {
    // Animation frame callbacks run in the order they were asked for: this
    // one after the program's.
    settled: () => new Promise(resolve => requestAnimationFrame(() => resolve(true))),
    framesDrawn: () => framesDrawn,
    drawnBufferSize: () => drawnBufferSize,
    heapBytes: () => program.HEAPU8.length,
    recordedScene: () => (running ? recordedScene() : endedScene),
    picture: () => renderer.picture(),
  };
  const woken = handle => (...args) => (wake(), handle(...args));
  return {
    call: woken((name, args) => running && call(name, args)),
    ask: woken((name, args) => (queries[name] ? queries[name]() : call(name, args))),
    resize: woken((width, height) => renderer && renderer.resize(width, height)),
    loseContext: () => renderer && renderer.loseContext(),
    restoreContext: woken(() => renderer && renderer.restoreContext()),
    playScene: woken(playScene),
    hold,
  };
}
