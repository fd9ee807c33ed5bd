// browser.mjs -- serves the built page on 127.0.0.1 and drives the viewer in
// it through an engine of engines.mjs: what the headless demo, the
// measurements and the browser tests share.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize } from "node:path";
import { pause } from "./engines.mjs";

const types = {
  ".html": "text/html",
  ".js": "text/javascript",
  ".css": "text/css",
  ".wasm": "application/wasm",
  ".png": "image/png",
  ".webmanifest": "application/manifest+json",
};

// A static file server for folder on a port the system picks; resolves to
// { url, close, serveFolder(folder), goOffline(offline), holdModules(ms) }: a
// test may swap the folder for another build, drop every request as a lost
// network does, or answer for the WebAssembly modules only after ms, as a
// slow network does.
export function serve(folder) {
  let offline = false;
  let moduleHoldMs = 0;
  const server = createServer(async (request, response) => {
    if (offline) return request.socket.destroy();
    const path = normalize(decodeURIComponent(new URL(request.url, "http://localhost").pathname));
    const file = join(folder, path === "/" ? "index.html" : path);
    try {
      const body = await readFile(file);
      if (extname(file) === ".wasm") await pause(moduleHoldMs);
      response.writeHead(200, { "Content-Type": types[extname(file)] || "application/octet-stream" });
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  return new Promise(resolve => {
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      resolve({
        url: `http://127.0.0.1:${port}/`,
        close: () => server.close(),
        serveFolder: another => (folder = another),
        goOffline: state => (offline = state),
        holdModules: ms => (moduleHoldMs = ms),
      });
    });
  });
}

// Opens the page at a fixed canvas size in a started engine (engines.mjs)
// and waits until the viewer runs; more is the address's further query,
// options the engine's (a phone's touch and pixel ratio).
export async function openViewer(engine, url, width = 300, height = 300, more = "", options = {}) {
  await engine.open(`${url}?width=${width}&height=${height}${more}`, { width: width + 40, height: height + 400 }, options);
  await viewerRunning(engine);
}

// Once it runs, the program has handled its start (the first resize). The
// page's probes (window.tarnwickProbes) are what the tools read and do there.
export async function viewerRunning(engine) {
  await waitFor(engine, () => typeof tarnwickProbes === "object" && tarnwickProbes.running());
  await engine.evaluate(() => tarnwickProbes.programSettled());
}

// Polls fn in the page until it returns something true; resolves to that.
export async function waitFor(engine, fn, arg, timeoutMs = 30000) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    const value = await engine.evaluate(fn, arg);
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${fn}`);
    await pause(20);
  }
}

// Resolves once the program has handled what was sent to it and made its next
// frame, and the renderer has drawn it, wherever the two run.
export const nextFrame = engine => engine.evaluate(() => tarnwickProbes.programSettled());

// Every line the program has printed so far: the log keeps the last of them,
// and counts them all.
export async function printedLines(engine) {
  const [count, text] = await engine.evaluate(() => [tarnwickProbes.printedLineCount(), log.textContent]);
  return { count, lines: text.split("\n").slice(0, -1) };
}

// A drag with a button (0 left, 1 middle, 2 right) in canvas pixels, in steps.
export async function drag(engine, button, from, to, steps = 4) {
  await engine.move(...from);
  await engine.press(button);
  for (let s = 1; s <= steps; ++s)
    await engine.move(Math.round(from[0] + ((to[0] - from[0]) * s) / steps), Math.round(from[1] + ((to[1] - from[1]) * s) / steps));
  await engine.release(button);
}
