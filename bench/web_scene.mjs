// web_scene.mjs -- how long a ten-minute scene takes to play, side by side:
// the desktop viewer's --play (on a private Xvfb, from its start until the
// scene's last key ends it) and the page's link in each browser engine (from
// opening the link until that key ends the program, less the time the plain
// page takes to start, measured beside it). The scene: 198,000 ticks (ten
// minutes at the page's pace of 330 a second), burst drops in its first half.
// Usage: node bench/web_scene.mjs WEB-BUILD-DIR VIEWER [ENGINE...]
import { spawn } from "node:child_process";
import { writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { serve, waitFor } from "../tools/web/browser.mjs";
import { engines, missingFor, startEngine, startXvfb } from "../tools/web/engines.mjs";

const [webDir, viewer, ...chosen] = process.argv.slice(2);
const names = chosen.length ? chosen : Object.keys(engines);
const rounds = 3;
const scene = "tarnwick scene 1\nsize 300 300\nprogram bench\n0 resize 300 300\n0 key b\n99000 key b\n" +
  "99000 key 5\n198000 key q\n";
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function desktopSeconds(display) {
  const file = join(tmpdir(), `tarnwick-bench-scene-${process.pid}.txt`);
  writeFileSync(file, scene);
  const started = Date.now();
  return new Promise((resolve, reject) => {
    const program = spawn(viewer, ["--play", file], { env: { ...process.env, DISPLAY: display }, stdio: "ignore" });
    program.on("exit", status => (status === 0 ? resolve((Date.now() - started) / 1000) : reject(new Error(`status ${status}`))));
  });
}

async function pageSeconds(engine, url, link) {
  const open = async address => {
    const started = Date.now();
    await engine.open(address, { width: 340, height: 700 });
    return started;
  };
  const plainStart = await open(`${url}?width=300&height=300`);
  await waitFor(engine, () => typeof tarnwickProbes === "object" && tarnwickProbes.running(), undefined, 60000);
  const plain = (Date.now() - plainStart) / 1000;
  const sceneStart = await open(`${url}${link}`);
  await waitFor(engine, () => tarnwickProbes.exitStatus() === 0, undefined, 300000);
  return (Date.now() - sceneStart) / 1000 - plain;
}

const server = await serve(webDir);
const xvfb = await startXvfb();
try {
  const desktop = [];
  for (let round = 0; round < rounds; ++round) desktop.push(await desktopSeconds(xvfb.display));
  console.log(`desktop --play: ${median(desktop).toFixed(2)} s (${(600 / median(desktop)).toFixed(0)}x real time)`);
  const encoder = await startEngine("chromium", xvfb.display);
  await encoder.open(`${server.url}?width=300&height=300`, { width: 340, height: 700 });
  const link = await encoder.evaluate(async text => `#scene=${await tarnwickProbes.linkText(text)}`, scene);
  await encoder.close();
  console.log(`the link's fragment: ${link.length} characters`);
  for (const name of names) {
    if (missingFor(name)) {
      console.log(`${name}: skipped (${missingFor(name)})`);
      continue;
    }
    const engine = await startEngine(name, xvfb.display);
    try {
      const seconds = [];
      for (let round = 0; round < rounds; ++round) seconds.push(await pageSeconds(engine, server.url, link));
      const page = median(seconds);
      console.log(`${name} link: ${page.toFixed(2)} s (${(600 / page).toFixed(0)}x real time, ` +
        `${(page / median(desktop)).toFixed(2)}x the desktop's)`);
    } finally {
      await engine.close();
    }
  }
} finally {
  server.close();
  xvfb.close();
}
