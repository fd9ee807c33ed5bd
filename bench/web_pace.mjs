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
// With --phone, the page as a phone shows it instead (390 x 844 at ratio 3,
// touch, a 64 x 64 canvas so that the software GPU does not limit it), each
// build in turn for several rounds: the CPU of the renderer process's busiest
// thread and of all its threads per frame shown, calm and with burst mode
// on, and the bytes posted between the page's threads per frame drawn; then
// under CDP's CPU throttling at 4x and 6x (which slows the page's main thread
// alone, not its workers): frames drawn and shown a second with burst on,
// the ticks a second against the pace, a key's line while the water moves,
// and the time the wave's 351 frames take. A key's line is timed in the page,
// from the key event's time stamp to the line in the log.
// With --engine=firefox or webkit, the first measurements in that engine
// instead (on a private Xvfb; long tasks are Chromium's alone).
// Usage: node bench/web_pace.mjs [--lighthouse | --phone [--rounds=N] | --engine=NAME] NAME=DIR[@RATE] ...
import { readdirSync, readFileSync } from "node:fs";
import { serve, viewerRunning } from "../tools/web/browser.mjs";
import { engines, lighthouseReport, pause, startEngine, startXvfb } from "../tools/web/engines.mjs";

const lighthouse = process.argv.includes("--lighthouse");
const phone = process.argv.includes("--phone");
const engineName = (process.argv.find(a => a.startsWith("--engine=")) || "--engine=chromium").slice(9);
const builds = process.argv.slice(2).filter(a => !a.startsWith("--")).map(argument => {
  const [, name, dir, rate] = argument.match(/^([^=]+)=([^@]+)(?:@(.+))?$/);
  return { name, dir, rate };
});

// A process's or thread's stat file (/proc/.../stat): its parent and the
// CPU seconds it has spent, user and system.
function readStat(path) {
  const fields = readFileSync(path, "utf8").replace(/^.*\) /, "").split(" ");
  return { parent: Number(fields[1]), cpu: (Number(fields[11]) + Number(fields[12])) / 100 };
}

// CPU seconds (user and system) of every process descended from this one.
function cpuSeconds() {
  const stats = readdirSync("/proc").filter(p => /^\d+$/.test(p)).map(pid => {
    try {
      return { pid: Number(pid), ...readStat(`/proc/${pid}/stat`) };
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

// Counts in the page from now on: animation frames (shown), frames drawn
// (the page's renderer counts them), tasks over 50 ms. The builds compared
// must have the page's probes (window.tarnwickProbes).
const startCounting = engine => engine.evaluate(async () => {
  const restart = Boolean(window.paceCounts);
  window.paceCounts = { shown: 0, longTasks: [], drawnFrom: await tarnwickProbes.ask("framesDrawn") };
  if (restart) return;
  const frame = () => (++paceCounts.shown, requestAnimationFrame(frame));
  requestAnimationFrame(frame);
  new PerformanceObserver(list => list.getEntries().forEach(e => paceCounts.longTasks.push(e.duration)))
    .observe({ type: "longtask" });
});

const counts = engine =>
  engine.evaluate(async () => ({ ...paceCounts, drawn: (await tarnwickProbes.ask("framesDrawn")) - paceCounts.drawnFrom,
    ticks: await tarnwickProbes.ask("webTickCount") }));

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
      const before = tarnwickProbes.printedLineCount();
      window.lineSeen = new Promise(done => {
        const look = () => (tarnwickProbes.printedLineCount() > before ? done(true) : setTimeout(look, 1));
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

// ---- The phone ---------------------------------------------------------------

// CPU seconds of each thread of a process, by thread id: { name, cpu }.
function threadSeconds(pid) {
  const threads = new Map();
  for (const tid of readdirSync(`/proc/${pid}/task`)) {
    try {
      const { cpu } = readStat(`/proc/${pid}/task/${tid}/stat`);
      const name = readFileSync(`/proc/${pid}/task/${tid}/comm`, "utf8").trim();
      threads.set(tid, { name: tid === String(pid) ? "main" : name, cpu });
    } catch {
      // the thread ended
    }
  }
  return threads;
}

// Chromium's renderer processes under this one (a page's own is the busiest).
function rendererPids() {
  return readdirSync("/proc").filter(p => /^\d+$/.test(p)).filter(pid => {
    try {
      return readFileSync(`/proc/${pid}/cmdline`, "utf8").includes("--type=renderer");
    } catch {
      return false;
    }
  });
}

// Animation frames a second, counted by the page for a second. The CPU
// windows below count none: a loop of animation frames on the main thread
// would itself make the browser run its rendering steps there at every frame.
const frameRate = engine => engine.evaluate(() => new Promise(done => {
  let shown = 0;
  const started = performance.now();
  const count = now => (now - started < 1000 ? (++shown, requestAnimationFrame(count)) : done(shown / ((now - started) / 1000)));
  requestAnimationFrame(count);
}));

// What the page has counted so far: frames drawn, ticks, bytes posted.
const pageCounts = engine => engine.evaluate(async () => ({
  drawn: await tarnwickProbes.ask("framesDrawn"),
  ticks: await tarnwickProbes.ask("webTickCount"),
  bytesPosted: window.bytesPosted || 0,
}));

// Per-thread CPU of the busiest renderer process over seconds, per frame shown.
async function threadCpuPerFrame(engine, seconds) {
  const rate = await frameRate(engine);
  const before = new Map(rendererPids().map(pid => [pid, threadSeconds(pid)]));
  const from = await pageCounts(engine), started = Date.now();
  await pause(seconds * 1000);
  const to = await pageCounts(engine), elapsed = (Date.now() - started) / 1000;
  const shown = rate * elapsed, drawn = to.drawn - from.drawn;
  let busiest = null;
  for (const [pid, start] of before) {
    const spent = [];
    for (const [tid, { name, cpu }] of threadSeconds(pid)) spent.push({ name, cpu: cpu - (start.get(tid)?.cpu ?? 0) });
    const total = spent.reduce((sum, t) => sum + t.cpu, 0);
    if (!busiest || total > busiest.total) busiest = { total, spent };
  }
  busiest.spent.sort((a, b) => b.cpu - a.cpu);
  const perFrame = cpu => (1000 * cpu) / shown;
  return {
    busiest: { name: busiest.spent[0].name, ms: perFrame(busiest.spent[0].cpu) },
    all: perFrame(busiest.total),
    threads: busiest.spent.slice(0, 3).map(t => `${t.name} ${perFrame(t.cpu).toFixed(2)}`).join(", "),
    ticksPerSecond: (to.ticks - from.ticks) / elapsed,
    drawnPerSecond: drawn / elapsed,
    shownPerSecond: rate,
    bytesPerDrawn: drawn ? (to.bytesPosted - from.bytesPosted) / drawn : 0,
  };
}

// A key's line, timed in the page: from the key event's time stamp (when the
// browser took the key, before the page's thread saw it) to the line in the log.
async function pageKeyLatencies(engine) {
  await engine.evaluate(() => {
    window.keyTimes = [];
    let pressed = null;
    window.addEventListener("keydown", event => (pressed = event.timeStamp), true);
    new MutationObserver(() => {
      if (pressed !== null) keyTimes.push(performance.now() - pressed);
      pressed = null;
    }).observe(log, { childList: true });
  });
  for (let k = 0; k < 40; ++k) {
    await engine.key("s");
    await pause(60);
  }
  const times = (await engine.evaluate(() => keyTimes)).sort((a, b) => a - b);
  return { median: times[Math.floor(times.length / 2)], p95: times[Math.ceil(0.95 * times.length) - 1], count: times.length };
}

// Counts the bytes of the typed arrays and buffers the page posts to its workers.
const countPostedBytes = engine => engine.evaluate(() => {
  window.bytesPosted = 0;
  const post = Worker.prototype.postMessage;
  const size = value => (ArrayBuffer.isView(value) ? value.byteLength : value instanceof ArrayBuffer ? value.byteLength
    : value && typeof value === "object" ? Object.values(value).reduce((sum, v) => sum + size(v), 0) : 0);
  Worker.prototype.postMessage = function (message, ...rest) {
    window.bytesPosted += size(message);
    return post.call(this, message, ...rest);
  };
});

async function openAsPhone(engine, build) {
  const server = await serve(build.dir);
  await engine.open(`${server.url}?width=64&height=64${build.rate ? `&rate=${build.rate}` : ""}`,
    { width: 390, height: 844 }, { touch: true, ratio: 3 });
  await viewerRunning(engine);
  return server;
}

// From the wave's key to the line of the key typed after it, which the wave holds.
async function timeWave(engine) {
  const answers = () => engine.evaluate(() => log.textContent.split("ORIGIN is").length);
  const before = await answers(), started = Date.now();
  await engine.key("w");
  await engine.key("c");
  while ((await answers()) === before) await pause(20);
  return (Date.now() - started) / 1000;
}

async function phoneRound(build) {
  const engine = await startEngine("chromium");
  let server = null;
  try {
    server = await openAsPhone(engine, build);
    const cdp = await engine.page().context().newCDPSession(engine.page());
    await countPostedBytes(engine).catch(() => {});
    await pause(2000);
    const result = { calm: await threadCpuPerFrame(engine, 8) };
    await engine.key("b");
    result.burst = await threadCpuPerFrame(engine, 8);
    result.pace = await engine.evaluate(() => tarnwickProbes.ask("webTickRate"));
    for (const rate of [1, 4, 6]) {
      await cdp.send("Emulation.setCPUThrottlingRate", { rate });
      await pause(1000);
      const burst = await threadCpuPerFrame(engine, 5);
      const keys = await pageKeyLatencies(engine);
      result[`x${rate}`] = { burst, keys };
      await cdp.send("Emulation.setCPUThrottlingRate", { rate: 1 });
    }
    await engine.key("b");
    for (const rate of [1, 4, 6]) {
      await cdp.send("Emulation.setCPUThrottlingRate", { rate });
      result[`wave${rate}`] = await timeWave(engine);
    }
    return result;
  } finally {
    await engine.close();
    if (server) server.close();
  }
}

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function measurePhone(rounds) {
  const results = new Map(builds.map(b => [b.name, []]));
  for (let round = 0; round < rounds; ++round)
    for (const build of builds) results.get(build.name).push(await phoneRound(build));
  const rows = [
    ["calm: busiest renderer thread, ms CPU per frame shown", r => r.calm.busiest.ms],
    ["calm: all renderer threads, ms CPU per frame shown", r => r.calm.all],
    ["burst: busiest renderer thread, ms CPU per frame shown", r => r.burst.busiest.ms],
    ["burst: all renderer threads, ms CPU per frame shown", r => r.burst.all],
    ["burst: kB posted between the page's threads per frame drawn", r => r.burst.bytesPerDrawn / 1024],
    ["burst: frames drawn a second", r => r.burst.drawnPerSecond],
    ["burst: ticks a second", r => r.burst.ticksPerSecond],
    ["burst: animation frames a second", r => r.burst.shownPerSecond],
    ["4x burst: frames drawn / animation frames a second", r => r.x4.burst.drawnPerSecond, r => r.x4.burst.shownPerSecond],
    ["6x burst: frames drawn / animation frames a second", r => r.x6.burst.drawnPerSecond, r => r.x6.burst.shownPerSecond],
    ["4x burst: ticks a second", r => r.x4.burst.ticksPerSecond],
    ["6x burst: ticks a second", r => r.x6.burst.ticksPerSecond],
    ["1x burst: a key's line, median / p95 ms", r => r.x1.keys.median, r => r.x1.keys.p95],
    ["4x burst: a key's line, median / p95 ms", r => r.x4.keys.median, r => r.x4.keys.p95],
    ["6x burst: a key's line, median / p95 ms", r => r.x6.keys.median, r => r.x6.keys.p95],
    ["the wave at 1x / 4x / 6x, s", r => r.wave1, r => r.wave4, r => r.wave6],
  ];
  console.log(`phone (390 x 844, ratio 3, touch, ?width=64&height=64), medians of ${rounds} rounds`);
  console.log(`| | ${builds.map(b => b.name).join(" | ")} |`);
  console.log(`|---|${builds.map(() => "---:|").join("")}`);
  for (const [label, ...values] of rows) {
    const cells = builds.map(b => values.map(v => median(results.get(b.name).map(v)).toFixed(2)).join(" / "));
    console.log(`| ${label} | ${cells.join(" | ")} |`);
  }
  for (const build of builds) {
    const last = results.get(build.name).at(-1);
    console.log(`${build.name}: pace ${last.pace} ticks/s; busiest threads calm: ${last.calm.threads}; burst: ${last.burst.threads}`);
  }
}

if (phone) {
  const rounds = Number((process.argv.find(a => a.startsWith("--rounds=")) || "--rounds=3").slice(9));
  await measurePhone(rounds);
  process.exit(0);
}

const describe = tasks => `${tasks.length} (longest ${Math.round(Math.max(0, ...tasks))} ms)`;
let firstRate = null;
const xvfb = engines[engineName].display ? await startXvfb() : null;
for (const build of builds) {
  const server = await serve(build.dir);
  const rate = build.rate === "same" ? Math.round(firstRate) : build.rate;
  const url = `${server.url}${rate ? `?rate=${rate}` : ""}`;
  const engine = await startEngine(engineName, xvfb && xvfb.display);
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
if (xvfb) xvfb.close();
