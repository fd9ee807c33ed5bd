// demo.mjs -- serves the web build and plays a short tour of the page in a
// browser engine (Chromium unless named), saving pictures of it: the web
// page's side of the headless run.
// Usage: node demo.mjs WEB-BUILD-DIR OUTPUT-DIR [chromium|firefox|webkit]
import { execFileSync } from "node:child_process";
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { drag, nextFrame, openViewer, serve, waitFor } from "./browser.mjs";
import { engines, pause, startEngine, startXvfb } from "./engines.mjs";

const [webDir, outDir, engineName = "chromium"] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const server = await serve(webDir);
console.log(`Serving ${webDir} at ${server.url}`);
const xvfb = engines[engineName].display && !process.env.DISPLAY ? await startXvfb() : null;
const engine = await startEngine(engineName, xvfb ? xvfb.display : process.env.DISPLAY);
const saved = [];
async function save(name, picture) {
  const file = join(outDir, `${name}.png`);
  writeFileSync(file, await picture);
  saved.push(file);
}
try {
  await openViewer(engine, server.url, 480, 360);
  await pause(500);
  await save("web-start", engine.picture());
  // The splash a few ticks on: at the page's pace it is gone within a quarter
  // of a second, so the ticks wait for the picture.
  await engine.evaluate(() => tarnwickProbes.ask("webHoldTicks", 1));
  await engine.key("5");
  await engine.evaluate(() => tarnwickProbes.ask("webRunTicks", 6));
  await nextFrame(engine);
  await save("web-splash", engine.picture());
  await engine.evaluate(() => tarnwickProbes.ask("webHoldTicks", 0));
  // From below the floor: up past the vertical in one move, zoomed out, a splash.
  await engine.key("f");
  await drag(engine, 0, [240, 300], [240, 150], 1);
  await drag(engine, 2, [240, 100], [240, 260]);
  await engine.key("5");
  await pause(400);
  await save("web-caustics-from-below", engine.picture());
  await save("web-page", engine.pagePicture());
  // The bar once Share has made the link.
  await engine.click("#share");
  await waitFor(engine, () => !document.getElementById("share-link").hidden);
  const [x, y, width, height] = await engine.evaluate(() => {
    const box = document.getElementById("bar").getBoundingClientRect();
    return [box.left, box.top, box.width, box.height].map(Math.round);
  });
  await save("web-share", execFileSync("convert", ["png:-", "-crop", `${width}x${height}+${x}+${y}`, "+repage", "png:-"],
    { input: await engine.pagePicture() }));
  await engine.key("p");
  await engine.key("w");
  await pause(300);
  await save("web-wave-side", engine.picture());
  await waitFor(engine, async () => !(await tarnwickProbes.ask("webWaveRunning")), undefined, 60000);
  await engine.key("q");
  await waitFor(engine, () => tarnwickProbes.exitStatus() !== undefined);
  const errors = await engine.errors();
  if (errors.length) console.log(`console errors: ${errors.join(" | ")}`);
} finally {
  await engine.close();
  server.close();
  if (xvfb) xvfb.close();
}
console.log("Saved the web page's pictures:");
for (const file of saved) console.log(`  ${file}`);
