// web_pace.mjs -- how the page uses the machine, in headless Chromium at
// 800 x 574, for one or more builds side by side (say, before and after a
// change), each on its own server:
//   the idle loop for 8 s after 2 s of start: ticks a second, frames drawn
//     and frames shown (animation frames), main-thread tasks
//     longer than 50 ms, and the CPU time of all Chromium's processes per
//     second of wall time;
//   the same with burst mode on ('b'): water that moves at every tick;
//   40 keys ('s', the legend): from the driver's key to its line in the log,
//     median, 95th percentile and the longest;
//   the wave ('w'): frames drawn and shown, long tasks.
// A build named NAME=DIR@RATE is opened with ?rate=RATE (a build that paces
// its ticks runs at another build's pace that way); RATE "same" takes the
// idle tick rate measured for the first build.
// With --lighthouse, Lighthouse's categories for each build too.
// Usage: node bench/web_pace.mjs [--lighthouse] NAME=DIR[@RATE] ...
import { readdirSync, readFileSync } from "node:fs";
import { serve, viewerRunning } from "../tools/web/browser.mjs";
import { lighthouseReport, pause, startEngine } from "../tools/web/engines.mjs";

const lighthouse = process.argv.includes("--lighthouse");
const builds = process.argv.slice(2).filter(a => !a.startsWith("--")).map(argument => {
  const [, name, dir, rate] = argument.match(/^([^=]+)=([^@]+)(?:@(.+))?$/);
  return { name, dir, rate };
});

// CPU seconds (user and system) of every process descended from this one.
function cpuSeconds() {
  const stats = readdirSync("/proc").filter(p => /^\d+$/.test(p)).map(pid => {
    try {
      const fields = readFileSync(`/proc/${pid}/stat`, "utf8").replace(/^.*\) /, "").split(" ");
      return { pid: Number(pid), parent: Number(fields[1]), cpu: (Number(fields[11]) + Number(fields[12])) / 100 };
    } catch {
      return null;
    }
  }).filter(Boolean);
  const ours = new Set([process.pid]);
  for (let grew = true; grew;) {
    grew = false;
    for (const s of stats) if (!ours.has(s.pid) && ours.has(s.parent)) ours.add(s.pid), (grew = true);
  }
  return stats.filter(s => s.pid !== process.pid && ours.has(s.pid)).reduce((sum, s) => sum + s.cpu, 0);
}

// Counts in the page from now on: animation frames (shown), frames drawn,
// tasks over 50 ms. The page counts the frames its renderer drew; a build
// from before the renderer draws on the main thread, and its WebGL clears are
// counted instead (one a frame).
const startCounting = engine => engine.evaluate(() => {
  const restart = Boolean(window.paceCounts);
  const clears = restart ? paceCounts.clears : 0;
  window.paceCounts = { shown: 0, clears, longTasks: [] };
  window.framesDrawnNow = () => (typeof framesDrawn === "number" ? framesDrawn : paceCounts.clears);
  paceCounts.drawnFrom = framesDrawnNow();
  if (restart) return;
  const clear = WebGL2RenderingContext.prototype.clear;
  WebGL2RenderingContext.prototype.clear = function (...args) {
    ++paceCounts.clears;
    return clear.apply(this, args);
  };
  const frame = () => (++paceCounts.shown, requestAnimationFrame(frame));
  requestAnimationFrame(frame);
  new PerformanceObserver(list => list.getEntries().forEach(e => paceCounts.longTasks.push(e.duration)))
    .observe({ type: "longtask" });
});

const counts = engine =>
  engine.evaluate(() => ({ ...paceCounts, drawn: framesDrawnNow() - paceCounts.drawnFrom, ticks: Module._webTickCount() }));

async function idleLoop(engine) {
  await startCounting(engine);
  const from = await counts(engine), cpuFrom = cpuSeconds(), started = Date.now();
  await pause(8000);
  const to = await counts(engine), seconds = (Date.now() - started) / 1000;
  return {
    ticksPerSecond: (to.ticks - from.ticks) / seconds,
    drawn: to.drawn - from.drawn,
    shown: to.shown - from.shown,
    longTasks: to.longTasks,
    cpuPerSecond: (cpuSeconds() - cpuFrom) / seconds,
  };
}

async function keyLatencies(engine) {
  const times = [];
  for (let k = 0; k < 40; ++k) {
    await engine.evaluate(() => {
      const before = printedLineCount;
      window.lineSeen = new Promise(done => {
        const look = () => (printedLineCount > before ? done(true) : setTimeout(look, 1));
        look();
      });
    });
    const started = performance.now();
    await engine.key("s");
    await engine.evaluate(() => lineSeen);
    times.push(performance.now() - started);
    await pause(50);
  }
  times.sort((a, b) => a - b);
  return { median: times[20], p95: times[Math.ceil(0.95 * times.length) - 1], longest: times[times.length - 1] };
}

async function wave(engine) {
  await startCounting(engine);
  await engine.key("w");
  await engine.key("c");
  const finished = () => engine.evaluate(() => log.textContent.includes("ORIGIN is"));
  while (!(await finished())) await pause(100);
  const to = await counts(engine);
  return { drawn: to.drawn, shown: to.shown, longTasks: to.longTasks };
}

async function lighthouseScores(url) {
  const report = await lighthouseReport(url);
  const scores = Object.fromEntries(Object.entries(report.categories).map(([k, c]) => [k, c.score]));
  const audit = name => report.audits[name].displayValue;
  return { ...scores, tbt: audit("total-blocking-time"), lcp: audit("largest-contentful-paint") };
}

const describe = tasks => `${tasks.length} (longest ${Math.round(Math.max(0, ...tasks))} ms)`;
let firstRate = null;
for (const build of builds) {
  const server = await serve(build.dir);
  const rate = build.rate === "same" ? Math.round(firstRate) : build.rate;
  const url = `${server.url}${rate ? `?rate=${rate}` : ""}`;
  const engine = await startEngine("chromium");
  try {
    await engine.open(url, { width: 800, height: 574 });
    await viewerRunning(engine);
    await pause(2000);
    const idle = await idleLoop(engine);
    firstRate = firstRate ?? idle.ticksPerSecond;
    await engine.key("b"); // burst mode: water that moves at every tick
    const burst = await idleLoop(engine);
    await engine.key("b");
    const keys = await keyLatencies(engine);
    const waved = await wave(engine);
    console.log(`${build.name}${rate ? ` (?rate=${rate})` : ""}:`);
    console.log(`  idle: ${idle.ticksPerSecond.toFixed(0)} ticks/s, frames drawn ${idle.drawn} / shown ${idle.shown}, ` +
      `long tasks ${describe(idle.longTasks)}, CPU ${idle.cpuPerSecond.toFixed(2)} s per s`);
    console.log(`  burst: ${burst.ticksPerSecond.toFixed(0)} ticks/s, frames drawn ${burst.drawn} / shown ${burst.shown}, ` +
      `long tasks ${describe(burst.longTasks)}, CPU ${burst.cpuPerSecond.toFixed(2)} s per s`);
    console.log(`  keys: median ${keys.median.toFixed(1)} ms, p95 ${keys.p95.toFixed(1)} ms, longest ${keys.longest.toFixed(1)} ms`);
    console.log(`  wave: frames drawn ${waved.drawn} / shown ${waved.shown}, long tasks ${describe(waved.longTasks)}`);
  } finally {
    await engine.close();
  }
  if (lighthouse) console.log(`  lighthouse: ${JSON.stringify(await lighthouseScores(url))}`);
  server.close();
}
