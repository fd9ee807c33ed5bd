// demo.mjs -- serves the web build and, in headless Chromium, plays a short
// tour of the page, saving pictures of it: the web page's side of the
// headless run.
// Usage: node demo.mjs WEB-BUILD-DIR OUTPUT-DIR
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { canvasPicture, drag, launch, openViewer, serve } from "./browser.mjs";

const [webDir, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const server = await serve(webDir);
console.log(`Serving ${webDir} at ${server.url}`);
const browser = await launch();
const saved = [];
async function save(page, name) {
  const file = join(outDir, `${name}.png`);
  writeFileSync(file, await canvasPicture(page));
  saved.push(file);
}
try {
  const { page, seen } = await openViewer(browser, server.url, 480, 360);
  await page.waitForTimeout(500);
  await save(page, "web-start");
  await page.keyboard.press("5");
  await page.waitForTimeout(250);
  await save(page, "web-splash");
  // From below the floor: up past the vertical in one move, zoomed out, a splash.
  await page.keyboard.press("f");
  await drag(page, 0, [240, 300], [240, 150], 1);
  await drag(page, 2, [240, 100], [240, 260]);
  await page.keyboard.press("5");
  await page.waitForTimeout(400);
  await save(page, "web-caustics-from-below");
  await page.screenshot({ path: join(outDir, "web-page.png") });
  saved.push(join(outDir, "web-page.png"));
  await page.keyboard.press("p");
  await page.keyboard.press("w");
  await page.waitForTimeout(300);
  await save(page, "web-wave-side");
  await page.waitForFunction(() => !Module._webWaveRunning(), null, { timeout: 60000 });
  await page.keyboard.press("q");
  await page.waitForFunction(() => window.exitStatus !== undefined);
  if (seen.errors.length) console.log(`console errors: ${seen.errors.join(" | ")}`);
} finally {
  await browser.close();
  server.close();
}
console.log("Saved the web page's pictures:");
for (const file of saved) console.log(`  ${file}`);
