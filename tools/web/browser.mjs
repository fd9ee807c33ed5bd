// browser.mjs -- serves the built page on 127.0.0.1 and drives it in the
// system's Chromium (headless, WebGL through SwiftShader): what the headless
// demo and the browser tests share.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize } from "node:path";
import { chromium } from "playwright-core";

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png" };

// A static file server for folder on a port the system picks; resolves to
// { url, close }.
export function serve(folder) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://localhost").pathname));
    const file = join(folder, path === "/" ? "index.html" : path);
    try {
      const body = await readFile(file);
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
      resolve({ url: `http://127.0.0.1:${port}/`, close: () => server.close() });
    });
  });
}

// Headless Chromium with WebGL on the CPU, quiet on the network.
export function launch() {
  const args = ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-quic", "--no-first-run"];
  if (process.getuid && process.getuid() === 0) args.push("--no-sandbox");
  return chromium.launch({ executablePath: process.env.CHROMIUM || "/usr/bin/chromium", headless: true, args });
}

// Opens the page with a fixed canvas size and waits until the viewer runs;
// collects the log lines and any console error.
export async function openViewer(browser, url, width = 300, height = 300) {
  const page = await browser.newPage({ viewport: { width: width + 40, height: height + 200 } });
  const seen = { lines: [], errors: [] };
  page.on("console", message => {
    if (message.type() === "log") seen.lines.push(message.text());
    if (message.type() === "error") seen.errors.push(message.text());
  });
  page.on("pageerror", error => seen.errors.push(String(error)));
  await page.goto(`${url}?width=${width}&height=${height}`);
  await page.waitForFunction(() => document.title && window.Module && Module.calledRun && canvas.width > 0);
  return { page, seen };
}

// A drag with a button (0 left, 1 middle, 2 right) in canvas pixels, in steps.
export async function drag(page, button, from, to, steps = 4) {
  const box = await page.locator("#canvas").boundingBox();
  const name = ["left", "middle", "right"][button];
  await page.mouse.move(box.x + from[0], box.y + from[1]);
  await page.mouse.down({ button: name });
  await page.mouse.move(box.x + to[0], box.y + to[1], { steps });
  await page.mouse.up({ button: name });
}

// The canvas alone, as PNG bytes.
export function canvasPicture(page) {
  return page.locator("#canvas").screenshot();
}
