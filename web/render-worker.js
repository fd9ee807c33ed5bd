// render-worker.js -- draws the viewer's frames off the page's main thread
// (renderer.js), on the canvas the page hands over. A browser's first WebGL
// context costs from milliseconds (a GPU) to a second (a software renderer):
// paid here, it holds nothing the user sees. First the worker says whether it
// can draw at all (WebGL2 on an OffscreenCanvas; WebKit, for one, offers none
// to workers); the page draws on its own canvas when it cannot.
// Messages from the page: { canvas } once, then { frame }, { width, height },
// { lose }, { restore } and { settle }; to the page: { canDraw } once, then
// { told, size } (renderer.js's tell), { framed, spare } for each frame (the
// buffer of the frame before, to be filled again) and { settled }, once every
// message before the settle has been handled.
importScripts("renderer.js");

let renderer = null;

function canDraw() {
  try {
    const gl = new OffscreenCanvas(1, 1).getContext("webgl2", { antialias: false });
    // A pixel read back waits until the GPU side has really started.
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
    return true;
  } catch {
    return false; // no OffscreenCanvas, or no WebGL2 on it
  }
}

onmessage = ({ data }) => {
  if (data.settle) {
    postMessage({ settled: data.settle });
  } else if (data.canvas) {
    renderer = startRenderer(data.canvas, (told, size) => postMessage({ told, size }));
    if (!renderer) postMessage({ told: "failed" });
  } else if (data.frame) {
    // Each frame is answered once drawn, with the one before's buffer, if
    // any, to carry a later frame: the page sends no newer frame meanwhile.
    const before = renderer ? renderer.draw(data.frame) : null;
    const spare = before ? before.corners : null;
    postMessage({ framed: true, spare }, spare ? [spare.buffer] : []);
  } else if (!renderer) {
    // nothing to draw with
  } else if (data.width) {
    renderer.resize(data.width, data.height);
  } else if (data.lose) {
    renderer.loseContext();
  } else if (data.restore) {
    renderer.restoreContext();
  }
};

postMessage({ canDraw: canDraw() });
