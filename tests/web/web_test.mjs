// The web page in each browser engine, against the desktop viewer: one table
// of cases, run for the engine named on the command line.
//   desktop: the script of input (inputs.txt) played to the desktop viewer
//            must print exactly expected.txt (every line, title and the exit
//            status); its pictures are kept for the engines' runs.
//   ENGINE (chromium, firefox, webkit), each case of the table below.
// Usage: node web_test.mjs desktop REPLAY-PROGRAM VIEWER OUT-DIR
//        node web_test.mjs ENGINE WEB-BUILD-DIR OUT-DIR
import { execFileSync } from "node:child_process";
import { existsSync, mkdirSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const [target, ...rest] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const failures = [];
const check = (ok, what) => ok || failures.push(what);
const skip = what => {
  console.log(`SKIP: ${what} is missing (scripts/test.sh provides it)`);
  process.exit(77);
};
const script = readFileSync(join(here, "inputs.txt"), "utf8").split("\n").filter(l => l && !l.startsWith("#"));
const expected = readFileSync(join(here, "expected.txt"), "utf8");
const pictureNames = ["from-above", "water-level", "from-below"];

function compareTranscripts(actual, who) {
  if (actual === expected) return;
  const a = actual.split("\n"), e = expected.split("\n");
  const at = a.findIndex((line, k) => line !== e[k]);
  failures.push(`${who}: the transcript differs at line ${at + 1}: "${a[at]}", expected "${e[at]}"`);
}

function finish(name, work) {
  for (const failure of failures) console.log(`FAIL: ${failure}`);
  console.log(failures.length ? `${name}: failed (files in ${work})` : `${name}: passed`);
  process.exit(failures.length ? 1 : 0);
}

if (target === "desktop") {
  const [replayProgram, viewer, out] = rest;
  const work = join(out, "desktop");
  rmSync(work, { recursive: true, force: true });
  mkdirSync(work, { recursive: true });
  execFileSync(replayProgram, [viewer, join(here, "inputs.txt"), work], { stdio: "inherit", timeout: 120000 });
  compareTranscripts(readFileSync(join(work, "transcript.txt"), "utf8"), "desktop");
  finish("desktop", work);
}

const [webDir, out] = rest;
if (!existsSync(join(webDir, "tarnwick.wasm"))) skip("the web build (make web)");
const driverPackages = ["playwright-core", "selenium-webdriver"].map(p => join(here, "../../tools/web/node_modules", p));
if (!driverPackages.every(existsSync)) skip("the browser drivers (npm ci --prefix tools/web)");
const { engines, missingFor, startEngine, startXvfb } = await import("../../tools/web/engines.mjs");
const { nextFrame, openViewer, printedLines, serve, waitFor } = await import("../../tools/web/browser.mjs");
if (!engines[target]) throw new Error(`no engine named ${target}`);
if (missingFor(target)) skip(missingFor(target));
const work = join(out, target);
rmSync(work, { recursive: true, force: true });
mkdirSync(work, { recursive: true });

// Rasterisers may differ along triangle edges: a pixel counts as different
// when a channel is off by more than a tenth, and one in two hundred may be.
const pictureTolerance = 0.005;

function differingShare(a, b) {
  try {
    execFileSync("compare", ["-metric", "AE", "-fuzz", "10%", a, b, "null:"], { stdio: ["ignore", "ignore", "pipe"] });
    return 0;
  } catch (error) {
    return Number.parseFloat(String(error.stderr)) / (300 * 300);
  }
}

// Ripples fade by 0.9 a tick: two hundred ticks leave nothing a pixel shows.
async function calm(engine) {
  const start = await engine.evaluate(() => Module._webTickCount());
  await waitFor(engine, from => Module._webTickCount() >= from + 200, start, 60000);
}

// Plays the script to the page; returns the transcript as the desktop's
// replay writes it. The lines are read after every step: the log keeps only
// the last few hundred.
async function playToPage(engine) {
  let transcript = "", read = (await printedLines(engine)).count;
  const flush = async () => {
    await nextFrame(engine);
    const { count, lines } = await printedLines(engine);
    transcript += lines.slice(lines.length - (count - read)).map(line => line + "\n").join("");
    read = count;
  };
  for (const line of script) {
    const [verb, ...words] = line.split(" ");
    const [a, b, c] = words.map(Number);
    if (verb === "key") await engine.key(words[0]);
    else if (verb === "press") await engine.move(b, c).then(() => engine.press(a));
    else if (verb === "move") await engine.move(a, b);
    else if (verb === "release") await engine.move(b, c).then(() => engine.release(a));
    await flush();
    if (verb === "title") transcript += `# title: ${await engine.title()}\n`;
    else if (verb === "picture") {
      await calm(engine);
      writeFileSync(join(work, `${words[0]}.png`), await engine.picture());
    }
  }
  const status = await waitFor(engine, () => window.exitStatus !== undefined && String(window.exitStatus));
  await flush();
  return transcript + `# exit: ${status}\n`;
}

const startLines = ["there are the number of faces: 7938", "there are the number of faces: 3969", "Resized to 300 300"];

// The whole script: the same lines, titles and exit status as the desktop,
// and the same pictures of the fixed states.
async function replay(engine) {
  const { lines } = await printedLines(engine);
  check(lines.slice(0, 3).join("\n") === startLines.join("\n"), `start lines: ${lines.slice(0, 3)}`);
  compareTranscripts(await playToPage(engine), target);
  for (const name of pictureNames) {
    const desktop = join(out, "desktop", `${name}.png`);
    if (!existsSync(desktop)) {
      failures.push(`no desktop picture ${desktop} (the desktop case makes it)`);
      continue;
    }
    const share = differingShare(join(work, `${name}.png`), desktop);
    console.log(`${target} ${name}: ${(100 * share).toFixed(3)} % of pixels differ from the desktop's`);
    check(share <= pictureTolerance, `${name}: ${(100 * share).toFixed(2)} % of pixels differ`);
  }
  const bytes = ["index.html", "tarnwick.js", "tarnwick.wasm"].reduce((sum, f) => sum + statSync(join(webDir, f)).size, 0);
  check(bytes < 1024 * 1024, `the page, loader and module take ${bytes} bytes`);
}

// The wave is seen frame by frame, and holds a key typed after it until it ends.
async function wave(engine) {
  await engine.key("w");
  await engine.key("c");
  const frames = new Set();
  const state = () => engine.evaluate(() => [Module._webWaveRunning(), log.textContent.includes("ORIGIN")]);
  for (let [running, answered] = await state(); running; [running, answered] = await state()) {
    check(!answered, "the key after 'w' was answered during the wave");
    frames.add((await engine.picture()).toString("base64"));
  }
  await nextFrame(engine);
  console.log(`${target} wave: ${frames.size} different frames seen`);
  check(frames.size >= 5, `only ${frames.size} different frames during the wave`);
  check((await printedLines(engine)).lines.includes("ORIGIN is 0"), "the key typed during the wave was not answered after it");
}

const cases = { replay, wave };

const server = await serve(webDir);
const xvfb = engines[target].display ? await startXvfb() : null;
const engine = await startEngine(target, xvfb && xvfb.display);
console.log(`${target}: ${engine.version}`);
try {
  for (const [name, run] of Object.entries(cases)) {
    await openViewer(engine, server.url);
    const before = failures.length;
    await run(engine);
    const errors = await engine.errors();
    check(errors.length === 0, `${name}: console errors: ${errors.join(" | ")}`);
    console.log(`${target} ${name}: ${failures.length === before ? "passed" : "failed"}`);
  }
} finally {
  await engine.close();
  server.close();
  if (xvfb) xvfb.close();
}
finish(target, work);
