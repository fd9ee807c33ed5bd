// render-worker.js -- the viewer's program and its renderer off the page's
// main thread (host.js), on the canvas the page hands over: the water, the
// optics and every GPU call (a software renderer's first context alone can
// take a second) hold nothing the user sees, and a phone's slower main thread
// keeps only the page. First the worker says whether it can draw at all
// (WebGL2 on an OffscreenCanvas; WebKit, for one, offers none to workers);
// the page runs the program itself when it cannot.
// Messages from the page: { canvas, script } once, then { call, args },
// { ask, name, args }, { resize }, { lose }, { restore }, { hold } and { scene }; to the page:
// { canDraw } once, then { host, args } (a call of host.js's page interface)
// and { answer, value } for each ask, once its answer is known.
import { hostProgram } from "./host.js";

let program = null;

function canDraw() {
  try {
    const gl = new OffscreenCanvas(1, 1).getContext("webgl2", { antialias: false });
    // A pixel read back waits until the GPU side has really started.
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
    return typeof requestAnimationFrame === "function";
  } catch {
    return false; // no OffscreenCanvas, or no WebGL2 on it
  }
}

// What the program tells the page travels as a message.
const toPage = new Proxy({}, { get: (_, name) => (...args) => postMessage({ host: name, args }) });

onmessage = ({ data }) => {
  if (data.canvas) {
    program = hostProgram(data.canvas, toPage, data.script);
  } else if (!program) {
    // not started
  } else if (data.call) {
    program.call(data.call, data.args);
  } else if (data.ask) {
    Promise.resolve(program.ask(data.name, data.args)).then(value => postMessage({ answer: data.ask, value }));
  } else if (data.resize) {
    program.resize(...data.resize);
  } else if (data.lose) {
    program.loseContext();
  } else if (data.restore) {
    program.restoreContext();
  } else if ("hold" in data) {
    program.hold(data.hold);
  } else if (data.scene) {
    program.playScene(data.scene);
  }
};

postMessage({ canDraw: canDraw() });
