// The web page in headless Chromium against the desktop viewer.
//   replay: the same script of input (inputs.txt) played to both; the page must
//           load without a console error, print the same lines, show the same
//           titles and end with the same status, and its pictures of the fixed
//           states must match the desktop's but for a few edge pixels.
//   wave:   the wave is seen frame by frame, and holds a key until it ends.
// Usage: node web_test.mjs CASE WEB-BUILD-DIR REPLAY-PROGRAM VIEWER
import { execFileSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const [testCase, webDir, replayProgram, viewer] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const needed = {
  "the web build (make web)": join(webDir, "tarnwick.wasm"),
  "playwright-core (npm ci --prefix tools/web)": join(here, "../../tools/web/node_modules/playwright-core"),
  "Chromium": process.env.CHROMIUM || "/usr/bin/chromium",
};
for (const [what, path] of Object.entries(needed)) {
  if (!existsSync(path)) {
    console.log(`SKIP: ${what} is missing (scripts/test.sh provides it)`);
    process.exit(77);
  }
}
const { canvasPicture, launch, openViewer, serve } = await import("../../tools/web/browser.mjs");
const work = mkdtempSync(join(tmpdir(), "tarnwick-web-"));
const failures = [];
const check = (ok, what) => ok || failures.push(what);
// Rasterisers may differ along triangle edges: a pixel counts as different
// when a channel is off by more than a tenth, and one in two hundred may be.
const pictureTolerance = 0.005;

const startLines = ["there are the number of faces: 7938", "there are the number of faces: 3969", "Resized to 300 300"];
const buttons = ["left", "middle", "right"];

// Plays the script's lines to the page; returns the transcript as the desktop's replay writes it.
async function playToPage(page, seen, lines) {
  const box = await page.locator("#canvas").boundingBox();
  let transcript = "", printed = startLines.length, pointer = null;
  const flush = async () => {
    await page.evaluate(() => new Promise(requestAnimationFrame));
    transcript += seen.lines.slice(printed).map(line => line + "\n").join("");
    printed = seen.lines.length;
  };
  const moveTo = async (x, y) => {
    if (pointer && pointer[0] === x && pointer[1] === y) return;
    pointer = [x, y];
    await page.mouse.move(box.x + x, box.y + y);
  };
  for (const line of lines) {
    const [verb, ...words] = line.split(" ");
    const [a, b, c] = words.map(Number);
    if (verb === "key") await page.keyboard.press(words[0] === "Esc" ? "Escape" : words[0]);
    else if (verb === "press") await moveTo(b, c).then(() => page.mouse.down({ button: buttons[a] }));
    else if (verb === "move") await moveTo(a, b);
    else if (verb === "release") await moveTo(b, c).then(() => page.mouse.up({ button: buttons[a] }));
    else if (verb === "title") await flush().then(async () => (transcript += `# title: ${await page.title()}\n`));
    else if (verb === "picture") {
      await flush();
      await calm(page);
      writeFileSync(join(work, `web-${words[0]}.png`), await canvasPicture(page));
    }
  }
  await page.waitForFunction(() => window.exitStatus !== undefined, null, { timeout: 30000 });
  await flush();
  return transcript + `# exit: ${await page.evaluate(() => window.exitStatus)}\n`;
}

// Ripples fade by 0.9 a tick: two hundred ticks leave nothing a pixel shows.
async function calm(page) {
  const start = await page.evaluate(() => Module._webTickCount());
  await page.waitForFunction(from => Module._webTickCount() >= from + 200, start, { timeout: 60000 });
}

// The share of pixels that differ, the outermost row and column of each side
// aside (the desktop's capture takes them from the window's edge).
function differingShare(a, b) {
  const shaved = [a, b].map(file => {
    const out = `${file}.shaved.png`;
    execFileSync("convert", [file, "-shave", "1x1", out]);
    return out;
  });
  try {
    execFileSync("compare", ["-metric", "AE", "-fuzz", "10%", ...shaved, "null:"], { stdio: ["ignore", "ignore", "pipe"] });
    return 0;
  } catch (error) {
    return Number.parseFloat(String(error.stderr)) / (298 * 298);
  }
}

async function replay(browser, url) {
  const lines = readFileSync(join(here, "inputs.txt"), "utf8").split("\n").filter(l => l && !l.startsWith("#"));
  execFileSync(replayProgram, [viewer, join(here, "inputs.txt"), work], { stdio: "inherit", timeout: 120000 });
  const desktop = readFileSync(join(work, "transcript.txt"), "utf8");
  const { page, seen } = await openViewer(browser, url);
  const web = await playToPage(page, seen, lines);
  check(seen.lines.slice(0, 3).join("\n") === startLines.join("\n"), `start lines: ${seen.lines.slice(0, 3)}`);
  check(seen.errors.length === 0, `console errors: ${seen.errors.join(" | ")}`);
  if (web !== desktop) {
    const w = web.split("\n"), d = desktop.split("\n");
    const at = w.findIndex((line, k) => line !== d[k]);
    failures.push(`transcripts differ at line ${at + 1}: web "${w[at]}", desktop "${d[at]}"`);
  }
  for (const name of ["from-above", "water-level", "from-below"]) {
    const share = differingShare(join(work, `web-${name}.png`), join(work, `${name}.png`));
    console.log(`${name}: ${(100 * share).toFixed(3)} % of pixels differ`);
    check(share <= pictureTolerance, `${name}: ${(100 * share).toFixed(2)} % of pixels differ`);
  }
  const bytes = ["index.html", "tarnwick.js", "tarnwick.wasm"].reduce((sum, f) => sum + statSync(join(webDir, f)).size, 0);
  check(bytes < 1024 * 1024, `the page, loader and module take ${bytes} bytes`);
  console.log(`replay: ${web.split("\n").length - 1} transcript lines; the page ${bytes} bytes`);
}

async function wave(browser, url) {
  const { page, seen } = await openViewer(browser, url);
  await page.keyboard.press("w");
  await page.keyboard.press("c");
  const frames = new Set();
  const state = () => page.evaluate(() => ({ running: Module._webWaveRunning(), answered: log.textContent.includes("ORIGIN") }));
  for (let now = await state(); now.running; now = await state()) {
    check(!now.answered, "the key after 'w' was answered during the wave");
    frames.add((await canvasPicture(page)).toString("base64"));
  }
  await page.evaluate(() => new Promise(requestAnimationFrame));
  console.log(`wave: ${frames.size} different frames seen`);
  check(frames.size >= 5, `only ${frames.size} different frames during the wave`);
  check(seen.lines.includes("ORIGIN is 0"), "the key typed during the wave was not answered after it");
  check(seen.errors.length === 0, `console errors: ${seen.errors.join(" | ")}`);
}

const server = await serve(webDir);
const browser = await launch();
try {
  await (testCase === "replay" ? replay : wave)(browser, server.url);
} finally {
  await browser.close();
  server.close();
}
if (failures.length === 0) rmSync(work, { recursive: true });
for (const failure of failures) console.log(`FAIL: ${failure}`);
console.log(failures.length ? `${testCase}: failed (files in ${work})` : `${testCase}: passed`);
process.exit(failures.length ? 1 : 0);
