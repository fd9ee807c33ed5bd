// The web page in each browser engine, against the desktop viewer: one table
// of cases, run for the engine named on the command line.
//   desktop: the script of input (inputs.txt) played to the desktop viewer
//            must print exactly expected.txt (every line, title and the exit
//            status) and draw the committed pictures; its pictures and its
//            --help are kept for the engines' runs.
//   ENGINE (chromium, firefox, webkit), each case of the table below.
// Usage: node web_test.mjs desktop REPLAY-PROGRAM VIEWER OUT-DIR
//        node web_test.mjs ENGINE WEB-BUILD-DIR OUT-DIR [CASE...]
// (the cases of the table by default; "soak" and "lighthouse" only when named)
import { execFileSync } from "node:child_process";
import { cpSync, existsSync, mkdirSync, readFileSync, rmSync, statSync, writeFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

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

// Rasterisers may differ along triangle edges: a pixel counts as different
// when a channel is off by more than a tenth, and one in two hundred may be.
const pictureTolerance = 0.005;

// The share of the 300 x 300 pixels of picture a that differ from b's; one
// picture is the desktop's unless the desktop has none.
function compareWithDesktop(a, b, name, who) {
  if (!existsSync(b)) return void failures.push(`no desktop picture ${b} (the desktop case makes it)`);
  const share = differingShare(a, b);
  console.log(`${who} ${name}: ${(100 * share).toFixed(3)} % of pixels differ from the desktop's`);
  check(share <= pictureTolerance, `${who} ${name}: ${(100 * share).toFixed(2)} % of pixels differ`);
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
  execFileSync(replayProgram, [viewer, join(here, "inputs.txt"), work, "--record", join(work, "scene.txt")],
    { stdio: "inherit", timeout: 120000 });
  compareTranscripts(readFileSync(join(work, "transcript.txt"), "utf8"), "desktop");
  writeFileSync(join(work, "help.txt"), execFileSync(viewer, ["--help"])); // the page's bar is held against it
  // The pictures of the fixed states against those of a build that was looked at.
  for (const name of pictureNames)
    compareWithDesktop(join(here, "pictures", `${name}.png`), join(work, `${name}.png`), name, "committed");
  finish("desktop", work);
}

const [webDir, out] = rest;
if (!existsSync(join(webDir, "tarnwick.wasm"))) skip("the web build (make web)");
const driverPackages = ["playwright-core", "selenium-webdriver"].map(p => join(here, "../../tools/web/node_modules", p));
if (!driverPackages.every(existsSync)) skip("the browser drivers (npm ci --prefix tools/web)");
const { engines, lighthouseReport, missingFor, pause, startEngine, startXvfb } = await import("../../tools/web/engines.mjs");
const { drag, nextFrame, openViewer, printedLines, serve, viewerRunning, waitFor } =
  await import("../../tools/web/browser.mjs");
if (!engines[target]) throw new Error(`no engine named ${target}`);
if (missingFor(target)) skip(missingFor(target));
const work = join(out, [target, ...process.argv.slice(5)].join("-").replace(/:/g, "-"));
rmSync(work, { recursive: true, force: true });
mkdirSync(work, { recursive: true });


function differingShare(a, b) {
  try {
    execFileSync("compare", ["-metric", "AE", "-fuzz", "10%", a, b, "null:"], { stdio: ["ignore", "ignore", "pipe"] });
    return 0;
  } catch (error) {
    const share = Number.parseFloat(String(error.stderr)) / (300 * 300);
    if (Number.isNaN(share)) console.log(`compare ${a} ${b}: ${error.stderr}`);
    return share;
  }
}

// The program's exit status, once it has ended (as text: 0 is a status).
const exitStatus = (engine, timeoutMs) =>
  waitFor(engine, () => tarnwickProbes.exitStatus() !== undefined && String(tarnwickProbes.exitStatus()), undefined, timeoutMs);

// Ripples fade by 0.9 a tick: two hundred ticks leave nothing a pixel shows.
async function calm(engine) {
  const start = await engine.evaluate(() => tarnwickProbes.ask("webTickCount"));
  await waitFor(engine, async from => (await tarnwickProbes.ask("webTickCount")) >= from + 200, start, 60000);
}

// Plays the script to the page; returns the transcript as the desktop's
// replay writes it. The lines are read after every step: the log keeps only
// the last few hundred.
async function playToPage(engine) {
  let transcript = "";
  const take = async act => (transcript += (await linesOf(engine, act)).map(line => line + "\n").join(""));
  for (const line of script) {
    const [verb, ...words] = line.split(" ");
    const [a, b, c] = words.map(Number);
    await take(async () => {
      if (verb === "key") await engine.key(words[0]);
      else if (verb === "press") await engine.move(b, c).then(() => engine.press(a));
      else if (verb === "move") await engine.move(a, b);
      else if (verb === "release") await engine.move(b, c).then(() => engine.release(a));
    });
    if (verb === "title") transcript += `# title: ${await engine.title()}\n`;
    else if (verb === "picture") {
      await calm(engine);
      writeFileSync(join(work, `${words[0]}.png`), await engine.picture());
    }
  }
  // The last key may wait for a wave's 351 frames: WebKit, drawing on the
  // page with a software renderer, has taken over 30 s for them while the
  // other tests kept both cores busy.
  let status;
  await take(async () => (status = await exitStatus(engine, 120000)));
  return transcript + `# exit: ${status}\n`;
}

// Where the program runs and draws in each engine: in the page's render worker
// where the engine offers WebGL2 on a worker's OffscreenCanvas, on the page
// itself where it does not (WebKit).
const drawingPlace = { chromium: "worker", firefox: "worker", webkit: "page" };

const startLines = ["there are the number of faces: 7938", "there are the number of faces: 3969", "Resized to 300 300"];

// The whole script: the same lines, titles and exit status as the desktop,
// and the same pictures of the fixed states.
async function replay(engine) {
  const { lines } = await printedLines(engine);
  check(lines.slice(0, 3).join("\n") === startLines.join("\n"), `start lines: ${lines.slice(0, 3)}`);
  const place = await engine.evaluate(() => tarnwickProbes.drawingPlace());
  check(place === drawingPlace[target], `the program runs and draws in the ${place}, not in the ${drawingPlace[target]}`);
  const transcript = await playToPage(engine);
  compareTranscripts(transcript, target);
  for (const name of pictureNames)
    compareWithDesktop(join(work, `${name}.png`), join(out, "desktop", `${name}.png`), name, target);
  playOnDesktop(await engine.evaluate(() => tarnwickProbes.ask("recordedScene")), transcript);
  const bytes = ["index.html", "page.js", "page.css", "tarnwick.js", "tarnwick.wasm"].reduce((sum, f) => sum + statSync(join(webDir, f)).size, 0);
  check(bytes < 1024 * 1024, `the page, loader and module take ${bytes} bytes`);
}

// A fixed canvas larger than the room left under a small window is shown
// scaled down: the help's button and the bar's summaries stay clickable, and a
// click lands where it is drawn, in the program's pixels.
async function fits(engine) {
  await engine.open(`${server.url}?width=300&height=300`, { width: 340, height: 520 });
  const before = await engine.evaluate(() => [window.innerWidth, window.innerHeight]);
  await engine.resize(340, 520);
  try {
    await fitsSmall(engine);
  } finally {
    await engine.resize(...before); // WebKit keeps its window for the next page
  }
}

async function fitsSmall(engine) {
  await viewerRunning(engine);
  const [innerWidth, innerHeight] = await engine.evaluate(() => [window.innerWidth, window.innerHeight]);
  // WebKit's MiniBrowser keeps its window as wide as its toolbar (447): the height is what leaves no room.
  check(innerHeight === 520 && (innerWidth === 340 || (target === "webkit" && innerWidth < 460)),
    `the window is ${innerWidth} x ${innerHeight}, not 340 x 520`);
  const shown = await engine.evaluate(() => canvas.getBoundingClientRect().width);
  check(shown < 300, `the 300-pixel canvas is shown ${shown} pixels wide in a 340 x 520 window`);
  for (const summary of ["#commands summary", "#log-panel summary", "#commands summary"]) await engine.click(summary);
  await engine.click("#hide-help");
  check(await engine.evaluate(() => help.hidden), "the help's button did not put it away");
  const lines = await linesOf(engine, async () => {
    await engine.evaluate(() => tarnwickProbes.setHelpShown(true)); // the canvas's room changes again
    const box = await engine.evaluate(() => { const b = canvas.getBoundingClientRect(); return [b.width, b.height]; });
    await engine.move(Math.round(box[0] / 2), Math.round(box[1] / 2));
    await engine.press(1);
    await engine.release(1);
  });
  check(lines.includes("hit at these: 32, 32"), `a click on the scaled canvas's centre printed ${lines.slice(0, 3)}`);
}

// What a transcript says the program printed: its lines without the notes.
const printedOf = transcript => transcript.replace(/\n$/, "").split("\n").filter(line => !line.startsWith("#"));

// The scene the page recorded, played by the desktop viewer (the replay tool
// with nothing more to type, as TARNWICK_REPLAY and TARNWICK_DESKTOP_VIEWER
// name them): the lines the page printed, and the same exit status.
function playOnDesktop(scene, transcript) {
  const { TARNWICK_REPLAY: replayProgram, TARNWICK_DESKTOP_VIEWER: viewer } = process.env;
  writeFileSync(join(work, "page-scene.txt"), scene);
  if (!replayProgram || !viewer) return console.log(`${target}: no desktop viewer named; its scene is not played there`);
  // Its checks, the page's state as it went, hold on the desktop.
  const checked = execFileSync(viewer, ["--check", join(work, "page-scene.txt")], { encoding: "utf8", timeout: 60000 });
  check(/: [1-9]\d* checks matched\n$/.test(checked), `the page's scene checked on the desktop: ${checked}`);
  const played = join(work, "on-desktop");
  mkdirSync(played, { recursive: true });
  writeFileSync(join(played, "nothing.txt"), "# the scene plays itself\n");
  execFileSync(replayProgram, [viewer, join(played, "nothing.txt"), played, "--play", join(work, "page-scene.txt")],
    { stdio: "inherit", timeout: 120000 });
  const desktop = readFileSync(join(played, "transcript.txt"), "utf8");
  check(printedOf(desktop).join("\n") === printedOf(transcript).join("\n"),
    `the page's scene played on the desktop printed other lines (${join(played, "transcript.txt")})`);
  check(desktop.endsWith(transcript.slice(transcript.lastIndexOf("# exit:"))), "the page's scene ended the desktop otherwise");
}

// Every line the page prints from now on, however many (the log keeps only
// the last few hundred).
const collectLines = engine => engine.evaluate(() => {
  window.linesSeen = [];
  if (window.lineWatcher) return;
  window.lineWatcher = new MutationObserver(records => records.forEach(record => record.addedNodes.forEach(node =>
    linesSeen.push(node.textContent.replace(/\n$/, "")))));
  lineWatcher.observe(log, { childList: true });
});

// Plays a scene's text as a file opened on the page; resolves once it has
// played or was refused.
async function openScene(engine, text, name = "scene.txt") {
  await engine.evaluate(([text, name]) => {
    document.getElementById("scene-status").textContent = "";
    const dropped = new DataTransfer();
    dropped.items.add(new File([text], name));
    window.dispatchEvent(new DragEvent("drop", { dataTransfer: dropped, cancelable: true }));
  }, [text, name]);
  return waitFor(engine, () => /^(Played|Cannot)/.test(document.getElementById("scene-status").textContent) && document.getElementById("scene-status").textContent, undefined, 60000);
}

// The desktop's recorded scene played on the page: the desktop's lines, its
// last title and its status; without its last keys, the desktop's picture.
async function scenes(engine) {
  const scene = readFileSync(join(out, "desktop", "scene.txt"), "utf8");
  const beforeWave = scene.slice(0, scene.indexOf(" key w\n"));
  await collectLines(engine);
  await openScene(engine, beforeWave.slice(0, beforeWave.lastIndexOf("\n") + 1), "before-the-wave.txt");
  await calm(engine);
  writeFileSync(join(work, "scene-from-below.png"), await engine.picture());
  compareWithDesktop(join(work, "scene-from-below.png"), join(out, "desktop", "from-below.png"), "scene's from-below", target);
  const lastTitle = expected.split("\n").filter(line => line.startsWith("# title: ")).pop().slice(9);
  check(await engine.title() === lastTitle, `the played scene left the title ${await engine.title()}`);

  await collectLines(engine);
  const said = await openScene(engine, scene, "desktop.txt");
  const checks = scene.split("\n").filter(line => / check /.test(line)).length;
  check(said === `Played the scene file desktop.txt: it ended Tarnwick with status 1. Played exactly: ${checks} checks matched.`,
    `the desktop's scene: ${said}`);
  const status = await exitStatus(engine);
  const lines = await engine.evaluate(() => linesSeen);
  writeFileSync(join(work, "desktop-scene-lines.txt"), lines.join("\n") + "\n");
  // The program starts again for a scene opened after the session began.
  check(lines.slice(0, 2).join("\n") === startLines.slice(0, 2).join("\n"), `a scene started with ${lines.slice(0, 2)}`);
  // Then the scene's first resize, which the desktop's transcript counts among the start lines.
  check(lines.slice(3).join("\n") === printedOf(expected).join("\n"), `the desktop's scene printed other lines: ${lines.slice(2, 6)}...`);
  check(`# exit: ${status}` === expected.trim().split("\n").pop(), `the desktop's scene ended with status ${status}`);
  check(await engine.title() === lastTitle, `the desktop's scene left the title ${await engine.title()}`);
}

// Every golden scene (tests/golden) played through the page from its start:
// each of its checks matches, and the page says so.
async function golden(engine) {
  const folder = join(here, "..", "golden");
  const names = readFileSync(join(folder, "SHA256SUMS"), "utf8").trim().split("\n").map(line => line.split(/\s+/)[1]);
  for (const name of names) {
    const text = readFileSync(join(folder, name), "utf8");
    const checks = text.split("\n").filter(line => / check /.test(line)).length;
    await engine.reload(); // each ends the program
    await viewerRunning(engine);
    const said = await openScene(engine, text, name);
    check(said.endsWith(`. Played exactly: ${checks} checks matched.`), `${name}: ${said}`);
  }
  // Another state at a check (its hash changed) is said, naming where; the
  // scene plays on to its end.
  const text = readFileSync(join(folder, names[0]), "utf8");
  const lines = text.split("\n"), at = lines.findIndex(line => / check /.test(line));
  lines[at] = lines[at].replace(/[0-9a-f]$/, digit => (digit === "0" ? "1" : "0"));
  await engine.reload();
  await viewerRunning(engine);
  const said = await openScene(engine, lines.join("\n"), "changed.scene");
  const where = `at tick ${lines[at].split(" ")[0]} (line ${at + 1}): recorded by Tarnwick 0.1.0, played by Tarnwick`;
  check(said.startsWith("Played the scene file changed.scene: it ended Tarnwick") &&
    said.includes(`It parted from its recording ${where}`), `a scene that parted: ${said}`);
}

// What is not a scene is refused with one message that names the file or
// the link and the line; nothing plays, and the program goes on answering.
const header = "tarnwick scene 1\nsize 300 300\nprogram 0.1.0\n";
const badScenes = [
  ["not a scene", "P3\n300 300\n", /file not-a-scene.txt: line 1: this is not a Tarnwick scene/],
  ["from the future", "tarnwick scene 7\nsize 3 3\nprogram 9\n", /line 1: the scene is in format 7, from a later/],
  ["size 0", "tarnwick scene 1\nsize 0 300\nprogram 1\n", /line 2: the width "0"/],
  ["too large a size", "tarnwick scene 1\nsize 300 99999\nprogram 1\n", /line 2: the height "99999"/],
  ["unknown input", `${header}0 resize 300 300\n5 jump\n`, /line 5: unknown input "jump"/],
  ["ticks going back", `${header}9 key 5\n4 key 5\n`, /line 5: the tick goes back from 9 to 4/],
  ["a pointer far away", `${header}9 press 1 40000 2\n`, /line 4: x "40000"/],
  ["a tick beyond", `${header}999999999999 key 5\n`, /line 4: the tick "999999999999"/],
  ["not text", `${header}9 key 5\u0001\n`, /line 4: the line is not text/],
  ["a check not hex", "tarnwick scene 2\nsize 300 300\nprogram 1\n5 check 0123456789abcdeg\n",
    /line 4: the check "0123456789abcdeg" is not 16 lowercase hexadecimal digits/],
];

async function badScene(engine) {
  const answers = async () => (await linesOf(engine, () => engine.key("s"))).join("\n").startsWith("global axes key:");
  const { count } = await printedLines(engine);
  for (const [name, text, message] of badScenes) {
    const file = `${name.replace(/ /g, "-")}.txt`;
    const said = await openScene(engine, text, file);
    check(said.includes(`Cannot play the scene file ${file}: `) && message.test(said), `${name}: said "${said}"`);
  }
  const enormous = new Array(5 * 1024 * 1024).fill("#").join("");
  const said = await openScene(engine, enormous, "enormous.txt");
  check(/file enormous.txt: it is 5242880 bytes, more than/.test(said), `an enormous file: said "${said}"`);
  check((await printedLines(engine)).count === count, "a refused scene printed lines");
  check(await answers(), "after refused scenes the program does not answer a key");
  // In links: text that is not base64url, a damaged stream, a bomb.
  const bomb = await engine.evaluate(async () => tarnwickProbes.linkText(new Array(5 * 1024 * 1024).fill("#").join("")));
  const links = [
    ["!!!", /in the link: its scene is not base64url text/],
    ["AAAA", /in the link: its scene is damaged/],
    [bomb, /in the link: its scene is more than the 4194304 bytes/],
    [await engine.evaluate(text => tarnwickProbes.linkText(text), badScenes[4][1]), /in the link: line 5: unknown input/],
  ];
  for (const [encoded, message] of links) {
    await openViewer(engine, server.url, 300, 300, `#scene=${encoded}`);
    const linkSaid = await waitFor(engine, () => document.getElementById("scene-status").textContent);
    check(message.test(linkSaid), `a bad link said "${linkSaid}"`);
    const { lines } = await printedLines(engine);
    check(lines.join("\n") === startLines.join("\n"), `a bad link's page printed ${lines.slice(0, 4)}`);
    check(await answers(), "after a bad link the program does not answer a key");
  }
}

// The Share button's link, opened in a new page, plays the scene: the same
// lines, title and picture; a scene too long for a link becomes a file.
async function share(engine) {
  await collectLines(engine);
  await engine.key("b");
  await pause(400);
  for (const [x, y] of [[150, 150], [120, 170], [200, 90]]) {
    await engine.move(x, y);
    await engine.press(1);
    await engine.release(1);
  }
  await engine.key("b");
  await drag(engine, 0, [150, 150], [190, 120]);
  await engine.key("p");
  await calm(engine);
  await nextFrame(engine);
  const lines = await engine.evaluate(() => linesSeen);
  const title = await engine.title();
  writeFileSync(join(work, "shared.png"), await engine.picture());
  await engine.click("#share");
  const link = await waitFor(engine, () => !document.getElementById("share-link").hidden && document.getElementById("share-link").value);
  const said = await engine.evaluate(() => document.getElementById("scene-status").textContent);
  check(/^Link (copied|shared)|link is below/.test(said), `Share said "${said}"`);
  console.log(`${target} share: a link of ${link.length} characters for ${lines.length} lines`);
  await engine.open(link, { width: 340, height: 700 });
  await viewerRunning(engine);
  await waitFor(engine, () => /^Played the scene in the link;.* Played exactly: [1-9]\d* checks matched\.$/.test(document.getElementById("scene-status").textContent));
  await calm(engine);
  await nextFrame(engine);
  const played = (await printedLines(engine)).lines;
  // The program's start, then the scene's first resize: the page's own waits for the scene's end.
  check(played.slice(3).join("\n") === lines.join("\n") && played.slice(0, 3).join("\n") === startLines.join("\n"),
    `the link printed other lines: ${played.slice(0, 6)}...`);
  check(await engine.title() === title, `the link left the title ${await engine.title()}`);
  writeFileSync(join(work, "from-link.png"), await engine.picture());
  const differ = differingShare(join(work, "from-link.png"), join(work, "shared.png"));
  check(differ === 0, `the link shows another picture (${(100 * differ).toFixed(2)} % of pixels differ)`);

  // Drags all over: too much for a link, offered as a file of the same scene
  // (the ticks held, so that the check it ends with is the same).
  await engine.evaluate(() => tarnwickProbes.ask("webHoldTicks", 1));
  await engine.evaluate(() => {
    for (let k = 0, r = 1; k < 4000; ++k) {
      r = (Math.imul(r, 1103515245) + 12345) >>> 0;
      tarnwickProbes.call("webDrag", (r >>> 8) % 300, (r >>> 20) % 300);
    }
  });
  await nextFrame(engine);
  await engine.click("#share");
  const offered = await waitFor(engine, () => /too long/.test(document.getElementById("scene-status").textContent) && tarnwickProbes.lastDownload());
  const [text, recorded] = await engine.evaluate(async () => [await tarnwickProbes.lastDownload().blob.text(), await tarnwickProbes.ask("recordedScene")]);
  check(text === recorded && text.split("\n").length > 4000 && / check [0-9a-f]{16}\n$/.test(text),
    "the scene offered as a file is not the one recorded, ended with a check");
  check(/^tarnwick-scene-\d{4}-\d\d-\d\d-\d{6}\.txt$/.test(offered.name), `the scene's file is named ${offered.name}`);
}

// Save picture gives the canvas's pixels; a clip is a WebM of the canvas's
// size that says its length (about as long as it was recorded) and that a
// player can seek in; full screen comes and goes.
async function keep(engine) {
  await engine.key("5");
  await calm(engine);
  await nextFrame(engine);
  await engine.click("#save-picture");
  const picture = await waitFor(engine, () => /^Picture saved/.test(document.getElementById("scene-status").textContent) && tarnwickProbes.lastDownload());
  check(/^tarnwick-\d{4}-\d\d-\d\d-\d{6}\.png$/.test(picture.name), `the picture is named ${picture.name}`);
  // The page's policy keeps even its own blob: addresses from fetch(): the blob itself is read.
  const fetched = async () => Buffer.from(await engine.evaluate(async () => [...new Uint8Array(await tarnwickProbes.lastDownload().blob.arrayBuffer())]));
  writeFileSync(join(work, "saved.png"), await fetched());
  writeFileSync(join(work, "shown.png"), await engine.picture());
  const differ = differingShare(join(work, "saved.png"), join(work, "shown.png"));
  check(differ <= pictureTolerance, `the saved picture differs from the canvas in ${(100 * differ).toFixed(2)} % of pixels`);

  if (await engine.evaluate(() => document.getElementById("record-clip").hidden)) {
    console.log(`${target} keep: this engine cannot film a canvas; Record clip is hidden`);
  } else {
    await engine.key("b");
    const started = Date.now();
    await engine.click("#record-clip");
    check(await engine.evaluate(() => /Recording/.test(document.getElementById("clip-indicator").textContent) && !document.getElementById("clip-indicator").hidden), "no indicator while a clip records");
    await pause(2500);
    await engine.click("#record-clip");
    const seconds = (Date.now() - started) / 1000;
    const clip = await waitFor(engine, () => /^Clip saved/.test(document.getElementById("scene-status").textContent) && tarnwickProbes.lastDownload());
    writeFileSync(join(work, "clip.webm"), await fetched());
    const file = join(work, "clip.webm");
    const probe = JSON.parse(execFileSync("ffprobe", ["-v", "error", "-show_format", "-show_streams", "-of", "json", file]));
    const video = probe.streams.find(stream => stream.codec_type === "video");
    const duration = Number(probe.format.duration); // NaN when the file does not say
    const packets = execFileSync("ffprobe", ["-v", "error", "-select_streams", "v", "-show_entries", "packet=pts_time,flags",
      "-of", "csv=p=0", file], { encoding: "utf8" }).split("\n").filter(Boolean).map(line => line.split(","));
    const last = Math.max(...packets.map(([time]) => Number(time)));
    console.log(`${target} keep: a clip of ${duration} s and ${packets.length} frames (${seconds} s between the clicks), ${probe.format.format_name}`);
    check(/webm|matroska/.test(probe.format.format_name) && video && video.width === 300 && video.height === 300,
      `the clip is ${probe.format.format_name} ${video && video.width}x${video && video.height}`);
    check(duration > last && duration < last + 0.2 && duration > seconds / 2 && duration < seconds * 1.5,
      `a clip of ${probe.format.duration} s (its last frame at ${last} s) for ${seconds} s recorded`);
    // Its cues: a seek to the middle lands on the last key frame before it, not at the start.
    const middle = duration / 2;
    const keyFrame = Math.max(...packets.filter(([time, flags]) => flags.startsWith("K") && Number(time) <= middle).map(([time]) => Number(time)));
    const landed = parseFloat(execFileSync("ffprobe", ["-v", "error", "-read_intervals", `${middle}%+#1`, "-select_streams", "v",
      "-show_entries", "packet=pts_time", "-of", "csv=p=0", file], { encoding: "utf8" }).split("\n").find(Boolean));
    check(landed === keyFrame, `a seek to ${middle} s landed at ${landed} s, not at the key frame at ${keyFrame} s`);
  }
  if (await engine.evaluate(() => document.getElementById("full-screen").hidden)) {
    console.log(`${target} keep: no Fullscreen API; Full screen is hidden`);
  } else {
    await engine.click("#full-screen");
    // Left only once the button says the page is in full screen (after the
    // fullscreenchange event): under load, WebKit once ignored a leave
    // clicked when the element was set but the button not yet changed.
    check(await waitFor(engine, () => document.getElementById("full-screen").textContent === "Leave full screen"
      || /No full screen/.test(document.getElementById("scene-status").textContent)) === true,
      `Full screen did not enter full screen: ${await engine.evaluate(() => document.getElementById("scene-status").textContent)}`);
    await engine.click("#full-screen");
    check(await waitFor(engine, () => document.fullscreenElement === null), "Full screen did not leave full screen");
  }
}

// The wave is seen frame by frame, and holds a key typed after it until it ends.
async function wave(engine) {
  const drawnBefore = await engine.evaluate(() => tarnwickProbes.ask("framesDrawn"));
  await engine.key("w");
  await engine.key("c");
  const frames = new Set();
  const state = () => engine.evaluate(async () => [await tarnwickProbes.ask("webWaveRunning"), log.textContent.includes("ORIGIN")]);
  for (let [running, answered] = await state(); running; [running, answered] = await state()) {
    check(!answered, "the key after 'w' was answered during the wave");
    frames.add((await engine.picture()).toString("base64"));
    await pause(300); // a picture now and then: each costs the renderer a frame
  }
  await nextFrame(engine);
  const drawn = (await engine.evaluate(() => tarnwickProbes.ask("framesDrawn"))) - drawnBefore;
  console.log(`${target} wave: ${frames.size} different frames seen, ${drawn} drawn`);
  check(frames.size >= 5, `only ${frames.size} different frames during the wave`);
  check(drawn >= 351, `only ${drawn} frames drawn for the wave's 351 steps`);
  check((await printedLines(engine)).lines.includes("ORIGIN is 0"), "the key typed during the wave was not answered after it");
}

// ?rate= sets the ticks' pace; frames are drawn only on frames the browser
// shows, and only when they differ from the one shown.
async function pace(engine) {
  await openViewer(engine, server.url, 300, 300, "&rate=50");
  check(await engine.evaluate(() => tarnwickProbes.ask("webTickRate")) === 50, "?rate=50 did not set the pace");
  await engine.key("5"); // moving water: a frame to draw at every tick
  const [drawn, shown] = await engine.evaluate(async () => {
    const drawnBefore = await tarnwickProbes.ask("framesDrawn");
    let shown = 0;
    await new Promise(done => {
      const count = () => (++shown < 60 ? requestAnimationFrame(count) : done());
      requestAnimationFrame(count);
    });
    return [(await tarnwickProbes.ask("framesDrawn")) - drawnBefore, shown];
  });
  check(drawn > 0 && drawn <= shown, `${drawn} frames drawn while ${shown} were shown`);
}

// The module built without WebAssembly SIMD, which engines without it run,
// plays the desktop's scene of the script as the SIMD build does: the same
// lines, title, status and picture (in Chromium; the engines run the same
// module).
async function scalar(engine) {
  if (target !== "chromium") return console.log(`${target} scalar: played in Chromium alone; skipped`);
  await openViewer(engine, server.url, 300, 300, "&simd=0");
  check(await engine.evaluate(() => tarnwickProbes.script) === "tarnwick-scalar.js", "?simd=0 did not load the scalar module");
  await scenes(engine);
}

// A frame is made from what changed alone: calm water already drawn is
// neither computed nor drawn again; a new view of it is drawn once, and water
// that moves at every tick.
async function calmWater(engine) {
  check(await engine.evaluate(() => tarnwickProbes.script) === "tarnwick.js", "the engine was given the module without SIMD");
  await engine.evaluate(() => tarnwickProbes.ask("webHoldTicks", 1));
  await nextFrame(engine);
  const drawn = () => engine.evaluate(() => tarnwickProbes.ask("framesDrawn"));
  const before = await drawn();
  await engine.evaluate(() => tarnwickProbes.ask("webRunTicks", 5));
  for (let frame = 0; frame < 3; ++frame) await nextFrame(engine);
  check(await drawn() === before, `calm water was drawn ${(await drawn()) - before} times again`);
  // Calm water asks for no animation frames; a key wakes them, and its view
  // shows at the very next one.
  await engine.key("p");
  await nextFrame(engine);
  check(await drawn() === before + 1, `a new view of calm water was drawn ${(await drawn()) - before} times`);
  for (let frame = 0; frame < 3; ++frame) await nextFrame(engine);
  check(await drawn() === before + 1, `a new view of calm water was drawn ${(await drawn()) - before} times`);
  await engine.key("5");
  await nextFrame(engine);
  for (let tick = 1; tick <= 3; ++tick) {
    const from = await drawn();
    await engine.evaluate(() => tarnwickProbes.ask("webRunTicks", 1));
    await nextFrame(engine);
    check(await drawn() === from + 1, `tick ${tick} of moving water drew ${(await drawn()) - from} frames`);
  }
}

// The renderer draws the frame it shows again by itself, though the program
// sends no new one: on a restored GPU context (a lost one stops the drawing,
// not the program), and on a new drawing buffer, which a change of pixel
// ratio brings (a window moved to another screen; no driver here changes the
// ratio of a running page, so the test asks for the buffer as the page does).
async function redraws(engine) {
  await engine.evaluate(() => tarnwickProbes.ask("webHoldTicks", 1));
  await engine.key("5");
  await engine.evaluate(() => tarnwickProbes.ask("webRunTicks", 12));
  await nextFrame(engine);
  const before = join(work, "before-loss.png");
  writeFileSync(before, await engine.picture());
  await engine.evaluate(() => tarnwickProbes.loseDrawingContext());
  await waitFor(engine, () => tarnwickProbes.contextLost());
  const drawn = await engine.evaluate(() => tarnwickProbes.ask("framesDrawn"));
  await engine.key("p");
  await engine.key("p");
  await nextFrame(engine);
  check(await engine.evaluate(() => tarnwickProbes.ask("framesDrawn")) === drawn, "frames were drawn without a context");
  await engine.evaluate(() => tarnwickProbes.restoreDrawingContext());
  await waitFor(engine, async from => (await tarnwickProbes.ask("framesDrawn")) > from, drawn);
  await nextFrame(engine);
  const after = join(work, "after-restore.png");
  writeFileSync(after, await engine.picture());
  const share = differingShare(before, after);
  check(share === 0, `the restored context draws another picture (${(100 * share).toFixed(2)} % of pixels differ)`);
  await engine.evaluate(() => tarnwickProbes.resizeDrawingBuffer(600, 600));
  await waitFor(engine, async () => String(await tarnwickProbes.ask("drawnBufferSize")) === "600,600");
  await nextFrame(engine);
  writeFileSync(join(work, "finer-buffer.png"), await engine.picture());
  const finer = differingShare(join(work, "finer-buffer.png"), before);
  check(finer <= scaledPictureTolerance, `a finer buffer shows another picture (${(100 * finer).toFixed(2)} % of pixels differ)`);
}

// The page can be installed (where the engine says), and the second visit
// needs no network; a build with another version replaces every file the
// visit after it finds the update.
async function offline(engine) {
  if (!(await engine.evaluate(() => "serviceWorker" in navigator && window.isSecureContext))) {
    console.log(`${target} offline: this engine offers no service worker; skipped`);
    return;
  }
  const cacheNames = () => engine.evaluate(() => caches.keys().then(names => names.join(" ")));
  await waitFor(engine, () => navigator.serviceWorker.controller !== null, undefined, 60000);
  const firstCache = await cacheNames();
  if (engine.installabilityErrors) {
    // The test's own browser context is a private one, which Chromium never installs from.
    const errors = (await engine.installabilityErrors()).filter(error => error !== "in-incognito");
    check(errors.length === 0, `the page cannot be installed: ${errors.join(", ")}`);
  }
  server.goOffline(true);
  try {
    await engine.reload();
    await viewerRunning(engine);
    const { lines } = await printedLines(engine);
    check(lines.join("\n").startsWith(startLines.join("\n")), `offline, the page started with: ${lines.slice(0, 3)}`);
    // The embed's files, and the clip's rewriter, come from the cache too.
    const missing = await engine.evaluate(() => Promise.all(["embed.html", "embed.js", "embed.css", "viewer.js", "scene-link.js", "webm.js"]
      .map(file => fetch(file).then(response => (response.ok ? "" : file), () => file))).then(files => files.filter(Boolean)));
    check(missing.length === 0, `offline, the cache lacks ${missing.join(", ")}`);
  } finally {
    server.goOffline(false);
  }
  const rebuilt = join(work, "rebuilt");
  cpSync(webDir, rebuilt, { recursive: true });
  const retag = (file, from, to) => writeFileSync(join(rebuilt, file), readFileSync(join(rebuilt, file), "utf8").replace(from, to));
  retag("sw.js", /tarnwick-[^"]*/, "tarnwick-9.9.9-rebuilt");
  retag("index.html", /name="tarnwick-version" content="[^"]*"/, 'name="tarnwick-version" content="9.9.9"');
  server.serveFolder(rebuilt);
  try {
    await engine.reload();
    await waitFor(engine, () => caches.keys().then(names => names.join(" ") === "tarnwick-9.9.9-rebuilt"), undefined, 60000);
    await engine.reload();
    await viewerRunning(engine);
    const version = await engine.evaluate(() => document.querySelector('meta[name="tarnwick-version"]').content);
    check(version === "9.9.9", `after the update the page is still version ${version} (caches were ${firstCache})`);
  } finally {
    server.serveFolder(webDir);
  }
  // Firefox reports the requests a reload cuts short: the navigation's, not the page's.
  return /NS_BINDING_ABORTED/;
}

// A page that cannot start says why on the page, not in the console alone:
// a module that cannot be loaded, wherever the program runs, and a page
// opened from a file, whose scripts the engines do not run (the page's own
// notice, shown after 3 s). A page whose module is slow to come says nothing.
async function missingModule(engine) {
  const noticeShown = () => {
    const notice = document.getElementById("notice"), style = getComputedStyle(notice);
    return style.display !== "none" && style.visibility === "visible" && notice.textContent;
  };
  const slowServer = await serve(webDir);
  try {
    slowServer.holdModules(8000);
    await engine.open(`${slowServer.url}?width=300&height=300`, { width: 340, height: 700 });
    await pause(4000);
    const said = await engine.evaluate(noticeShown);
    check(!said, `a page waiting for its module said: ${said}`);
    await viewerRunning(engine);
  } finally {
    slowServer.close();
  }
  const broken = join(work, "missing-module");
  cpSync(webDir, broken, { recursive: true });
  for (const file of ["tarnwick.js", "tarnwick-scalar.js", "sw.js"]) rmSync(join(broken, file));
  // A server of its own: another origin, which no cache of the page's serves.
  const brokenServer = await serve(broken);
  try {
    await engine.open(`${brokenServer.url}?width=300&height=300`, { width: 340, height: 700 });
    const said = await waitFor(engine, noticeShown);
    check(/could not start.*tarnwick/i.test(said), `a missing module was said as: ${said}`);
  } finally {
    brokenServer.close();
  }
  await engine.open(pathToFileURL(resolve(webDir, "index.html")).href, { width: 340, height: 700 });
  const said = await waitFor(engine, noticeShown);
  check(/from file:\/\/ pages: serve this folder/.test(said), `a page from a file said: ${said}`);
  return /tarnwick|Failed to load|NetworkError|404|file:|CORS|origin/i;
}

// The page's policy lets its own files run and nothing else: no violation in
// a whole run, and an inline script injected into the page is refused.
async function policy(engine) {
  check(await engine.evaluate(() => tarnwickProbes.policyViolations()) === 0, "the page's own files broke its policy");
  await engine.evaluate(() => {
    const script = document.createElement("script");
    script.textContent = "window.injectedScriptRan = true;";
    document.body.append(script);
  });
  await waitFor(engine, () => tarnwickProbes.policyViolations() > 0);
  check(!(await engine.evaluate(() => window.injectedScriptRan)), "an injected inline script ran");
  return /Content.Security.Policy/;
}

// A seeded random stream of what a user does (every command key but the
// quitting ones, clicks, drags, resizes) for TARNWICK_WEB_SOAK_SECONDS
// (default 60): no error, a heap no larger at the end than after ten
// seconds, the log bounded, the ticks still running and a key still answered.
async function soak(engine) {
  const seconds = Number(process.env.TARNWICK_WEB_SOAK_SECONDS || 60);
  let seed = Number(process.env.TARNWICK_WEB_SOAK_SEED || 1);
  const random = () => { // mulberry32
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  const pick = list => list[Math.floor(random() * list.length)];
  const spot = () => [Math.floor(random() * 300), Math.floor(random() * 300)];
  const keys = [..."5bvcCpPsSf[];'./iIoOkKlLmM,-=xZ1 ", ...Array(20).fill("b")];
  const actions = [
    () => engine.key(pick(random() < 0.02 ? ["w"] : keys)),
    async () => { await engine.move(...spot()); await engine.press(1); await engine.release(1); },
    () => drag(engine, pick([0, 2]), spot(), spot(), 1 + Math.floor(random() * 6)),
    () => engine.resize(320 + Math.floor(random() * 600), 360 + Math.floor(random() * 440)),
  ];
  await engine.open(server.url, { width: 640, height: 480 }); // the canvas fills the page
  await viewerRunning(engine);
  const heap = () => engine.evaluate(() => tarnwickProbes.ask("heapBytes"));
  const started = Date.now();
  let heapAtTen = null, steps = 0;
  while (Date.now() - started < seconds * 1000) {
    await pick(actions)();
    ++steps;
    if (heapAtTen === null && Date.now() - started > 10000) heapAtTen = await heap();
  }
  await waitFor(engine, async () => !(await tarnwickProbes.ask("webWaveRunning")), undefined, 60000);
  const ticks = await engine.evaluate(() => tarnwickProbes.ask("webTickCount"));
  await waitFor(engine, async from => (await tarnwickProbes.ask("webTickCount")) > from, ticks);
  const { count } = await printedLines(engine);
  await engine.key("s");
  await waitFor(engine, from => tarnwickProbes.printedLineCount() > from, count);
  const heapAtEnd = await heap(), logLines = await engine.evaluate(() => log.childNodes.length);
  console.log(`soak: ${steps} steps in ${seconds} s, heap ${heapAtTen} then ${heapAtEnd} bytes, ${count} lines`);
  check(heapAtTen === null || heapAtEnd <= heapAtTen, `the heap grew from ${heapAtTen} to ${heapAtEnd} bytes`);
  check(logLines <= 500, `the log holds ${logLines} lines`);
}

// ---- Fingers, the bar of commands, the pixel ratio

// The lines printed while act runs, read after a frame.
async function linesOf(engine, act) {
  const { count } = await printedLines(engine);
  await act();
  await nextFrame(engine);
  const after = await printedLines(engine);
  return after.lines.slice(after.lines.length - (after.count - count));
}

const eye = engine => engine.evaluate(() => Promise.all([0, 1, 2].map(axis => tarnwickProbes.ask("webEye", axis))));

// Motion only where wanted. An embed out of sight runs no tick until it is
// seen, nor one its host paused, nor a hidden page. For a visitor who asks
// for reduced motion (where the driver can ask), neither a link's scene on
// the page nor an embed's starts by itself: each waits for its play button.
async function stillness(engine) {
  const ticksOf = () => engine.evaluate(() => document.querySelector("iframe").contentWindow.tarnwickProbes.ask("webTickCount"));
  await engine.evaluate(() => {
    const frame = Object.assign(document.createElement("iframe"), { src: "embed.html?rate=2000", title: "Water" });
    Object.assign(frame.style, { position: "absolute", top: "5000px", width: "300px", height: "300px" });
    document.body.append(frame);
  });
  await waitFor(engine, () => { const probes = document.querySelector("iframe").contentWindow.tarnwickProbes; return probes && probes.running(); });
  await pause(500); // a thousand ticks at 2000 a second, had it not been held
  const unseen = await ticksOf();
  check(unseen === 0, `an embed out of sight ran ${unseen} ticks`);
  const refused = await engine.evaluate(() => document.querySelector("iframe").contentWindow.tarnwickProbes.policyViolations());
  check(refused === 0, `the embed's policy refused ${refused} of its own scripts, styles or workers`);
  await engine.evaluate(() => document.querySelector("iframe").scrollIntoView());
  await waitFor(engine, async () => (await document.querySelector("iframe").contentWindow.tarnwickProbes.ask("webTickCount")) > 0);
  // Its host pauses it, and lets it go.
  await engine.evaluate(() => document.querySelector("iframe").contentWindow.postMessage({ type: "pause" }, "*"));
  await waitFor(engine, () => document.querySelector("iframe").contentWindow.tarnwickProbes.paused());
  const pausedAt = await ticksOf();
  await pause(500);
  check(await ticksOf() === pausedAt, "a paused embed ran on");
  await engine.evaluate(() => document.querySelector("iframe").contentWindow.postMessage({ type: "resume" }, "*"));
  await waitFor(engine, async at => (await document.querySelector("iframe").contentWindow.tarnwickProbes.ask("webTickCount")) > at, pausedAt);
  // A hidden tab runs no tick either (the driver cannot hide one: the page is told it is hidden).
  const setHidden = hidden => {
    Object.defineProperty(document, "hidden", { value: hidden, configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
  };
  await engine.evaluate(setHidden, true);
  const hiddenAt = await engine.evaluate(() => tarnwickProbes.ask("webTickCount"));
  await pause(500); // 165 ticks at the page's pace
  check(await engine.evaluate(() => tarnwickProbes.ask("webTickCount")) === hiddenAt, "a hidden page ran on");
  await engine.evaluate(setHidden, false);
  await waitFor(engine, async at => (await tarnwickProbes.ask("webTickCount")) > at, hiddenAt);

  if (!engine.page) return void console.log(`${target} stillness: the driver cannot ask for reduced motion; that part skipped`);
  // (Chromium's can; Firefox's, over WebDriver BiDi, takes the request but the page never sees it.)
  const scene = "tarnwick scene 2\nsize 300 300\nprogram 0.1.0\n0 resize 300 300\n5 key v\n9 key s\n";
  const fragment = `#scene=${await engine.evaluate(text => tarnwickProbes.linkText(text), scene)}`;
  await engine.page().emulateMedia({ reducedMotion: "reduce" });
  await engine.page().goto("about:blank"); // a new document, not a jump to the fragment
  await engine.page().goto(`${server.url}?width=300&height=300${fragment}`);
  await viewerRunning(engine);
  if (!(await engine.evaluate(() => matchMedia("(prefers-reduced-motion: reduce)").matches)))
    return void console.log(`${target} stillness: the driver's reduced motion does not reach the page; that part skipped`);
  const status = () => document.getElementById("scene-status").textContent;
  await waitFor(engine, () => !document.getElementById("play-scene").hidden);
  check(/waits for you to play it/.test(await engine.evaluate(status)), `under reduced motion the page said ${await engine.evaluate(status)}`);
  check((await printedLines(engine)).lines.join("\n") === startLines.join("\n"), "under reduced motion the link's scene played by itself");
  await engine.click("#play-scene");
  await waitFor(engine, () => /^Played the scene in the link/.test(document.getElementById("scene-status").textContent));
  check((await printedLines(engine)).lines.includes("global axes key:"), "the link's scene, played, did not print its legend");

  await engine.page().goto(`${server.url}embed.html?rate=2000${fragment}`);
  await viewerRunning(engine);
  await pause(500);
  const held = await engine.evaluate(async () => [tarnwickProbes.paused(), await tarnwickProbes.ask("webTickCount")]);
  check(held[0] && held[1] === 0, `under reduced motion an embed was ${held[0] ? "" : "not "}paused and ran ${held[1]} ticks`);
  await engine.click("#play");
  await waitFor(engine, async () => !tarnwickProbes.paused() && (await tarnwickProbes.ask("webTickCount")) >= 9);
}

// ---- The embed, in pages of another origin (a second server, another port)

// A host page: the frame (its id canvas, so that pictures and the pointer aim
// at it), what the frame tells it in window.told, and send(message).
function hostPage(name, frame) {
  writeFileSync(join(work, name), `<!doctype html><html lang="en"><head><meta charset="utf-8"><title>A host page</title>
<style>body { margin: 0; padding: 20px 0 0 340px; background: #fff; }</style></head><body>${frame}<script>
window.told = [];
addEventListener("message", event => event.data && event.data.source === "tarnwick" && told.push(event.data));
window.send = message => document.querySelector("iframe").contentWindow.postMessage(message, "*");
</script></body></html>`);
}

// Everything the frame has told, once it has told `count` messages of the type.
const frameSaid = (engine, type, count = 1) =>
  waitFor(engine, ([type, count]) => told.filter(m => m.type === type).length >= count && told, [type, count], 60000);

// From its message `from` to the scene's end, the frame printed the page's
// start, then what the page printed for the scene; it shows the page's title
// and (unless it plays on) its picture; every check of the scene matched.
async function likeThePage(engine, said, from, page, what, playsOn = false) {
  const end = said.findIndex((m, k) => k >= from && m.type === "played");
  const printed = said.slice(from, end).filter(m => m.type === "line").map(m => m.text);
  check(printed.slice(0, 3).join("\n") === startLines.join("\n") && printed.slice(3).join("\n") === page.lines.join("\n"),
    `${what} printed other lines: ${printed.slice(0, 6)}...`);
  const titles = said.slice(0, end).filter(m => m.type === "title");
  check(titles.length && titles.pop().text === page.title, `${what} left another title`);
  check(end >= 0 && said[end].checksMatched > 0 && said[end].parted === "", `${what} played ${JSON.stringify(said[end])}`);
  if (playsOn) return;
  const name = what.replace(/ /g, "-");
  writeFileSync(join(work, `${name}.png`), await engine.picture());
  const differ = differingShare(...pictureParts([`${name}.png`, "page.png"], "300x260+0+0")); // above the corner's links
  check(differ <= pictureTolerance, `${what} shows another picture (${(100 * differ).toFixed(2)} % of pixels differ)`);
}

// The same part of each picture, as files.
function pictureParts(names, geometry) {
  return names.map(name => {
    const part = join(work, `${name.replace(/\.png$/, "")}-part.png`);
    writeFileSync(part, execFileSync("convert", [join(work, name), "-crop", geometry, "+repage", "png:-"]));
    return part;
  });
}

// Messages no host should send: each is ignored, and changes nothing.
function sendHostile() {
  let r = 7;
  const random = () => (r = (Math.imul(r, 1103515245) + 12345) >>> 0) / 2 ** 32;
  const values = [null, undefined, 0, -1, 1e308, NaN, "", "play", true, [], [1, 2], {}, () => 0].filter(v => typeof v !== "function");
  const types = ["play", "key", "drop", "pause", "resume", "eval", "__proto__", "constructor", "toString", 7, null];
  const hostile = [...values, { type: "eval", code: "document.body.remove()" }, { type: "play" }, { type: "play", scene: 7 },
    { type: "play", scene: "x".repeat(10 * 1024 * 1024) }, { type: "key", key: "Shift" }, { type: "key", key: "bb" },
    { type: "key", key: 98 }, { type: "drop", i: 0, j: 5 }, { type: "drop", i: 3.5, j: 5 }, { type: "drop", i: "3", j: "5" },
    { type: "drop", i: 63, j: 5 }, { type: "pause", now: true }, { type: "key", key: "p", also: "q" }];
  for (let k = 0; k < 60; ++k) {
    const message = { type: types[Math.floor(random() * types.length)] };
    for (const field of ["scene", "key", "i", "j"])
      if (random() < 0.5) message[field] = values[Math.floor(random() * values.length)];
    message[["scene", "key", "i", "j", "x"][Math.floor(random() * 5)]] = { nested: [random()] };
    hostile.push(message);
  }
  for (const message of hostile) send(message);
  return hostile.length;
}

// The Embed button's code, pasted in a page, plays the session as the page
// did; the same scene played through messages, looped and paused too; hostile
// messages change nothing.
async function embed(engine) {
  writeFileSync(join(work, "start.png"), await engine.picture());
  await collectLines(engine);
  for (const [x, y] of [[150, 150], [120, 170]]) {
    await engine.move(x, y);
    await engine.press(1);
    await engine.release(1);
  }
  // The pool from below: the reset's view, up past the vertical, zoomed out.
  await engine.key("f");
  await drag(engine, 0, [150, 250], [150, 100], 1);
  await drag(engine, 2, [150, 5], [150, 295]);
  await drag(engine, 2, [150, 5], [150, 295]);
  await calm(engine);
  await nextFrame(engine);
  const page = { lines: await engine.evaluate(() => linesSeen), title: await engine.title() };
  writeFileSync(join(work, "page.png"), await engine.picture());
  await engine.click("#embed");
  const code = await waitFor(engine, () => !document.getElementById("embed-code").hidden && document.getElementById("embed-code").value);
  check(/^<iframe src="http:\/\/127\.0\.0\.1:\d+\/embed\.html#scene=[\w-]+" title="[^"]+" width="300" height="300" loading="lazy" allow="fullscreen"[^>]*><\/iframe>$/.test(code),
    `the Embed button gave ${code.slice(0, 100)}...`);
  const scene = await engine.evaluate(() => tarnwickProbes.ask("recordedScene"));
  const fragment = code.match(/#scene=[\w-]+/)[0];
  const frame = query => `<iframe id="canvas" src="${server.url}embed.html${query}" width="300" height="300" title="Water" style="border: 0"></iframe>`;
  const hosts = await serve(work);
  try {
    hostPage("pasted.html", code.replace("<iframe ", '<iframe id="canvas" '));
    await engine.open(`${hosts.url}pasted.html`, { width: 700, height: 400 });
    await likeThePage(engine, await frameSaid(engine, "played"), 0, page, "the pasted code");

    hostPage("api.html", frame("?rate=2000"));
    await engine.open(`${hosts.url}api.html`, { width: 700, height: 400 });
    let said = await frameSaid(engine, "line", 3); // the program's start, and its first size
    await engine.evaluate(scene => send({ type: "play", scene }), scene);
    await likeThePage(engine, await frameSaid(engine, "played"), said.length, page, "a scene sent");
    said = await engine.evaluate(() => told);
    await engine.evaluate(() => send({ type: "drop", i: 32, j: 32 }));
    const drop = (await waitFor(engine, from => told.length > from && told, said.length)).slice(said.length);
    check(drop.length === 1 && drop[0].text === "hit at these: 32, 32", `a drop at (32, 32) told ${JSON.stringify(drop)}`);

    said = await engine.evaluate(() => told);
    const sent = await engine.evaluate(sendHostile);
    await engine.evaluate(() => send({ type: "play", scene: "tarnwick scene 2\nsize 300\n" }));
    const refused = (await frameSaid(engine, "refused")).find(m => m.type === "refused");
    check(/line 2/.test(refused.why), `a scene that is not one was refused for ${refused.why}`);
    await engine.evaluate(() => send({ type: "key", key: "p" }));
    const after = (await frameSaid(engine, "title", said.filter(m => m.type === "title").length + 1)).slice(said.length);
    const moved = after.filter(m => m.type !== "refused").slice(0, -1);
    check(moved.length === 0 && after.pop().type === "title",
      `after ${sent} hostile messages the frame told ${JSON.stringify(moved).slice(0, 200)}`);
    console.log(`${target} embed: ${sent} hostile messages ignored, a key answered after them`);

    hostPage("loop.html", frame(`?loop=1&rate=2000${fragment}`));
    await engine.open(`${hosts.url}loop.html`, { width: 700, height: 400 });
    said = await frameSaid(engine, "played", 2);
    await likeThePage(engine, said, said.findIndex(m => m.type === "played") + 1, page, "a looped scene", true);
    if (target !== "webkit") { // (the driver's pointer stays in the host page)
      // A visitor's click takes the water: the scene stops there, and loops no more.
      await engine.move(77, 66).then(() => engine.press(1)).then(() => engine.release(1));
      said = await waitFor(engine, () => told.some(m => m.text === "Mouse click at 77 66, button: 1, state 1") && told);
      await pause(800); // time for more than one loop, had it gone on
      const later = (await engine.evaluate(() => told)).slice(said.findIndex(m => m.text === "Mouse click at 77 66, button: 1, state 0"));
      check(!later.some(m => m.type === "played" || m.text === startLines[0]), `the scene looped on after a visitor's click: ${JSON.stringify(later).slice(0, 600)}`);
    }

    hostPage("paused.html", frame(`?paused=1&rate=2000${fragment}`));
    await engine.open(`${hosts.url}paused.html`, { width: 700, height: 400 });
    said = await frameSaid(engine, "ready");
    await pause(800); // time enough to have played, had it not waited
    said = await engine.evaluate(() => told);
    check(said.filter(m => m.type === "line").length === 3 && !said.some(m => m.type === "played"),
      `a paused frame told ${JSON.stringify(said).slice(0, 200)}`);
    // The first frame, beside the play button and the corner's links.
    writeFileSync(join(work, "paused.png"), await engine.picture());
    const differ = differingShare(...pictureParts(["paused.png", "start.png"], "300x90+0+0"));
    check(differ === 0, `a paused frame shows another first frame (${(100 * differ).toFixed(2)} % of pixels differ)`);
    if (target === "webkit") await engine.evaluate(() => send({ type: "resume" })); // the driver's pointer stays in the host page
    else await engine.move(150, 150).then(() => engine.press(0)).then(() => engine.release(0));
    await likeThePage(engine, await frameSaid(engine, "played"), said.length, page, "a scene played after its pause");
  } finally {
    hosts.close();
  }
}

// A phone at ratios 1, 2 and 3: taps print the desktop's lines for middle
// clicks at the same place (between vertices, then on the centre vertex, where
// the water drops); the drawing buffer is the canvas's CSS size times the
// ratio, and its picture the ratio-1 picture, finer.
async function touch(engine) {
  if (!engine.touch) return console.log(`${target} touch: this engine's driver sends no touches; skipped`);
  const lines = expected.split("\n");
  const from = lines.indexOf("this is the mouse click: 162.000000, 150.000000");
  const desktopClicks = lines.slice(from, from + 7).join("\n");
  for (const ratio of [1, 2, 3]) {
    await openViewer(engine, server.url, 300, 300, "", { touch: true, ratio });
    // A pick reads the camera the last frame set: a tick's frame, once.
    await waitFor(engine, async () => (await tarnwickProbes.ask("webTickCount")) > 0 && tarnwickProbes.ask("webHoldTicks", 1).then(() => true));
    const tapped = await linesOf(engine, async () => {
      for (const x of [162, 150]) {
        await engine.touch("touchStart", [[x, 150]]);
        await engine.touch("touchEnd", []);
      }
    });
    check(tapped.join("\n") === desktopClicks, `ratio ${ratio}: the taps printed ${tapped.join(" | ")}`);
    await nextFrame(engine);
    const size = await engine.evaluate(async () => [...(await tarnwickProbes.ask("drawnBufferSize")), canvas.clientWidth, canvas.clientHeight]);
    check(String(size) === String([300 * ratio, 300 * ratio, 300, 300]), `ratio ${ratio}: buffer and CSS size ${size}`);
    await engine.key("f"); // the reset's view: the floor below the water line, and the drop
    await nextFrame(engine);
    writeFileSync(join(work, `ratio-${ratio}.png`), await engine.picture());
  }
  for (const ratio of [2, 3]) compareScaled(`ratio-${ratio}`, "ratio-1");
}

// A picture at a higher pixel ratio, scaled down to 300 x 300, against one at ratio 1.
function compareScaled(name, reference) {
  const scaled = join(work, `${name}-scaled.png`);
  execFileSync("convert", [join(work, `${name}.png`), "-filter", "box", "-resize", "300x300", scaled]);
  const share = differingShare(scaled, join(work, `${reference}.png`));
  console.log(`${target} ${name}: ${(100 * share).toFixed(3)} % of pixels differ from ${reference}'s, scaled`);
  check(share <= scaledPictureTolerance, `${name}: ${(100 * share).toFixed(2)} % of pixels differ from ${reference}'s`);
}

// Edges drawn at a finer ratio and scaled down are smoother than ratio 1's.
const scaledPictureTolerance = 0.02;

// One finger dragged and two pinched give the lines and the camera of the
// same drags with the left and the right button.
async function gestures(engine) {
  if (!engine.touch) return console.log(`${target} gestures: this engine's driver sends no touches; skipped`);
  const path = [[150, 200], [150, 170], [140, 140], [120, 130]];
  const spreads = [40, 60, 90, 70]; // the fingers' distance; the right one moves
  const fingers = spread => [[130, 150], [130 + spread, 150]];
  const playTouches = async () => {
    await engine.touch("touchStart", [path[0]]);
    for (const point of path.slice(1)) await engine.touch("touchMove", [point]);
    await engine.touch("touchEnd", []);
    await engine.touch("touchStart", [fingers(spreads[0])[0]]);
    await engine.touch("touchStart", fingers(spreads[0]));
    for (const spread of spreads.slice(1)) await engine.touch("touchMove", fingers(spread));
    await engine.touch("touchEnd", [fingers(0)[0]]);
    await engine.touch("touchEnd", []);
  };
  const playMouse = async () => {
    await engine.move(...path[0]);
    await engine.press(0);
    for (const point of path.slice(1)) await engine.move(...point);
    await engine.release(0);
    await engine.move(150, 150);
    await engine.press(2);
    for (const spread of spreads.slice(1)) await engine.move(150, 150 - (spread - spreads[0]));
    await engine.release(2);
  };
  const results = [];
  for (const [touch, play] of [[true, playTouches], [false, playMouse]]) {
    await openViewer(engine, server.url, 300, 300, "", { touch, ratio: 2 });
    results.push({ printed: await linesOf(engine, play), eye: await eye(engine) });
  }
  check(results[0].printed.join("\n") === results[1].printed.join("\n"),
    `the gestures printed ${results[0].printed.join(" | ")}, the drags ${results[1].printed.join(" | ")}`);
  check(String(results[0].eye) === String(results[1].eye), `the eye after the gestures ${results[0].eye}, the drags ${results[1].eye}`);
}

// The bar has a button for every key --help lists, and each button prints the
// lines and sets the title its key does.
async function bar(engine) {
  const help = readFileSync(join(out, "desktop", "help.txt"), "utf8").split("\n");
  const rows = help.slice(help.findIndex(l => l.endsWith("does nothing):")) + 1, help.indexOf("Mouse:"));
  const helpKeys = rows.flatMap(row => row.slice(2, 11).trim().split(" "));
  const barKeys = await engine.evaluate(() => [...document.querySelectorAll("#commands-list button")].map(b => b.dataset.key));
  check(helpKeys.length > 20 && [...helpKeys].sort().join(" ") === [...barKeys].sort().join(" "),
    `the bar's keys ${barKeys.join(" ")}, --help's ${helpKeys.join(" ")}`);
  // The wave's button is only seen to start it (the wave case plays a whole
  // wave); the program's end comes last.
  const played = barKeys.filter(key => !["Esc", "q", "Q", "w"].includes(key)).concat("q");
  const transcripts = [];
  for (const byButton of [true, false]) {
    console.log(`${target} bar: the commands by ${byButton ? "button" : "key"}`);
    await openViewer(engine, server.url);
    await engine.click("#commands summary");
    // The lines are read at the end (the log keeps enough of them), the
    // title after every key, once the program has handled it.
    const steps = [], startCount = await engine.evaluate(() => tarnwickProbes.printedLineCount());
    for (const key of played) {
      await (byButton ? engine.click(`#commands-list button[data-key="${key}"]`) : engine.key(key));
      steps.push(await engine.evaluate(() => tarnwickProbes.programSettled().then(() => [tarnwickProbes.printedLineCount(), document.title])));
    }
    const status = await exitStatus(engine);
    const { count, lines } = await printedLines(engine);
    const lineAt = n => lines[lines.length - (count - n)];
    let transcript = "", read = startCount;
    for (const [printed, title] of steps) {
      for (; read < printed; ++read) transcript += `${lineAt(read)}\n`;
      transcript += `# title: ${title}\n`;
    }
    transcripts.push(`${transcript}# exit: ${status}\n`);
  }
  await openViewer(engine, server.url);
  await engine.click("#commands summary");
  await engine.click('#commands-list button[data-key="w"]');
  await nextFrame(engine);
  check(await engine.evaluate(() => tarnwickProbes.ask("webWaveRunning")), "the wave's button started no wave");
  if (transcripts[0] !== transcripts[1]) writeFileSync(join(work, "bar-transcripts.txt"), transcripts.join("\n----\n"));
  check(transcripts[0] === transcripts[1], "the bar's buttons printed other lines or titles than their keys");
}

// Lighthouse's accessibility, best-practices and SEO categories, in Chromium:
// the page's, and the embed's (with a scene, as a host page holds it), whose
// layout must not shift as it starts.
async function lighthouse(engine) {
  const fragment = `#scene=${await engine.evaluate(() => tarnwickProbes.linkText("tarnwick scene 2\nsize 300 300\nprogram 0.1.0\n0 resize 300 300\n5 key 5\n"))}`;
  for (const [page, url] of [["page", server.url], ["embed", `${server.url}embed.html${fragment}`]]) {
    // Performance's score depends on the machine's load; what does not is
    // whether the embed's layout moves as it starts (its canvas taking its size).
    const report = await lighthouseReport(url, ["accessibility", "best-practices", "seo", ...(page === "embed" ? ["performance"] : [])]);
    const { performance, ...scored } = report.categories;
    if (performance) {
      const shift = report.audits["cumulative-layout-shift"].numericValue;
      console.log(`lighthouse ${page} performance: ${performance.score}, layout shift ${shift}`);
      check(shift < 0.1, `Lighthouse ${page}: the layout shifts by ${shift} as it starts`);
    }
    for (const [name, category] of Object.entries(scored)) {
      console.log(`lighthouse ${page} ${name}: ${category.score}`);
      const failing = category.auditRefs.map(ref => report.audits[ref.id]).filter(a => a.score !== null && a.score < 1);
      check(category.score === 1, `Lighthouse ${page} ${name} ${category.score}: ${failing.map(a => a.id).join(", ")}`);
    }
  }
}

// Two halves that run side by side (ctest's Web.chromium.script and .page):
// the cases of the desktop's script and of scenes, and the page's own.
const groups = {
  script: { replay, scenes, golden, scalar, wave, share, redraws },
  page: { fits, badScene, keep, calmWater, pace, offline, policy, missingModule, touch, gestures, bar, embed, stillness },
};
// fits first of all: after the script's replay, WebKitWebDriver finds the bar's
// summaries of the small window not interactable, which a person's click is not
// (the case passes alone, and after any other case).
const cases = { fits, ...groups.script, ...groups.page };
const chosen = process.argv.slice(5);
const named = name => (name.startsWith("group:") ? groups[name.slice(6)] : { [name]: { soak, lighthouse, ...cases }[name] });
const run = chosen.length ? Object.assign({}, ...chosen.map(named)) : cases;

const server = await serve(webDir);
const xvfb = engines[target].display ? await startXvfb() : null;
const engine = await startEngine(target, xvfb && xvfb.display);
console.log(`${target}: ${engine.version}`);
try {
  for (const [name, play] of Object.entries(run)) {
    const started = Date.now();
    const before = failures.length;
    // A page that does not start fails its case, not the run.
    const expectedErrors = (await openViewer(engine, server.url).then(() => play(engine))
      .catch(error => void failures.push(`${name}: ${error.stack || error}`))) || /^$/;
    const errors = (await engine.errors()).filter(error => !expectedErrors.test(error));
    check(errors.length === 0, `${name}: console errors: ${errors.join(" | ")}`);
    const seconds = ((Date.now() - started) / 1000).toFixed(1);
    console.log(`${target} ${name}: ${failures.length === before ? "passed" : "failed"} (${seconds} s)`);
  }
} finally {
  await engine.close();
  server.close();
  if (xvfb) xvfb.close();
}
finish(target, work);
