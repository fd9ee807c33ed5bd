// web_rates.mjs -- the page's pace in each browser engine beside the desktop
// viewer's, measured side by side on this machine at 300 x 300:
//   idle ticks a second, with burst mode on ('b'), over a few seconds;
//   wave frames a second: the 351 steps of 'w', from the key until a key
//   typed after it is answered.
// The desktop's idle ticks come from tick_bench (whole ticks in a real
// window); its wave from the real viewer on a private Xvfb, keys by xdotool.
// Usage: node bench/web_rates.mjs WEB-BUILD-DIR VIEWER TICK-BENCH [ENGINE...]
import { execFile, execFileSync, spawn } from "node:child_process";
import { promisify } from "node:util";
import { openViewer, serve, waitFor } from "../tools/web/browser.mjs";
import { engines, missingFor, pause, startEngine, startXvfb } from "../tools/web/engines.mjs";

const [webDir, viewer, tickBench, ...chosen] = process.argv.slice(2);
const names = chosen.length ? chosen : Object.keys(engines);
const waveSteps = 351;
const idleSeconds = 5;
const run = promisify(execFile);

async function pageRates(engine, url) {
  await openViewer(engine, url);
  await engine.key("b");
  const ticks = () => engine.evaluate(() => tarnwickProbes.ask("webTickCount"));
  const from = await ticks(), started = Date.now();
  await pause(idleSeconds * 1000);
  const idle = ((await ticks()) - from) / ((Date.now() - started) / 1000);
  await engine.key("b");
  const waveStart = Date.now();
  await engine.key("w");
  await engine.key("c");
  await waitFor(engine, () => log.textContent.includes("ORIGIN is"), undefined, 120000);
  return { idle, wave: waveSteps / ((Date.now() - waveStart) / 1000) };
}

// The desktop viewer's wave: 'w' then 'c', timed until "ORIGIN is" is printed.
async function desktopWave(display) {
  const env = { ...process.env, DISPLAY: display };
  const program = spawn(viewer, [], { env, stdio: ["ignore", "pipe", "ignore"] });
  let printed = "";
  program.stdout.on("data", chunk => (printed += chunk));
  try {
    while (!printed.includes("Resized to")) await pause(20);
    const window = (await run("xdotool", ["search", "--sync", "--name", "Tarnwick"], { env })).stdout.split("\n")[0];
    await run("xdotool", ["windowfocus", "--sync", window], { env });
    const started = Date.now();
    await run("xdotool", ["key", "w", "c"], { env });
    while (!printed.includes("ORIGIN is")) await pause(5);
    return waveSteps / ((Date.now() - started) / 1000);
  } finally {
    program.kill();
  }
}

function desktopIdle(display) {
  const report = execFileSync(tickBench, ["--benchmark_filter=BM_TickInWindow"], {
    env: { ...process.env, DISPLAY: display },
    encoding: "utf8",
    stdio: ["ignore", "pipe", "ignore"],
  });
  return Number(/^BM_TickInWindow.* ([\d.]+)\/s$/m.exec(report)[1]);
}

const xvfb = await startXvfb();
const server = await serve(webDir);
const rows = [["desktop (llvmpipe, Xvfb)", desktopIdle(xvfb.display), await desktopWave(xvfb.display)]];
try {
  for (const name of names) {
    if (missingFor(name)) {
      console.log(`${name}: skipped, ${missingFor(name)} is missing`);
      continue;
    }
    const engine = await startEngine(name, xvfb.display);
    try {
      const { idle, wave } = await pageRates(engine, server.url);
      rows.push([`${name} ${engine.version}`, idle, wave]);
    } finally {
      await engine.close();
    }
  }
} finally {
  server.close();
  xvfb.close();
}
console.log(`${"".padEnd(44)} idle ticks/s   wave frames/s`);
for (const [what, idle, wave] of rows) console.log(`${what.padEnd(44)} ${idle.toFixed(0).padStart(12)}   ${wave.toFixed(0).padStart(13)}`);
