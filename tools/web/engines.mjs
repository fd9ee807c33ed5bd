// engines.mjs -- one way to drive the page in each of the three browser
// engines: Chromium (Blink) and Firefox (Gecko) through playwright-core,
// WebKit through its own WebDriver, all from Debian's packages. Every adapter
// gives the same interface, in the canvas's CSS pixels:
//   version  open(url, viewport)  reload()  key(name)  move(x, y)  press(button)  release(button)
//   click(selector)  evaluate(fn, arg)  title()  picture()  pagePicture()  errors()  close()
// and, with playwright-core, resize(width, height) of the viewport; Chromium
// also gives installabilityErrors()
// (the pictures as PNG bytes: the canvas alone, the whole page)
// with buttons 0 left, 1 middle, 2 right and keys named as one character or
// Esc, Tab, Enter, Backspace, Space.
import { execFile, execFileSync, spawn } from "node:child_process";
import { existsSync } from "node:fs";
import { createServer } from "node:net";
import { promisify } from "node:util";

const run = promisify(execFile);
// Resolves after ms milliseconds.
export const pause = ms => new Promise(resolve => setTimeout(resolve, ms));
const buttonNames = ["left", "middle", "right"];
const namedKeys = { Esc: "Escape", Tab: "Tab", Enter: "Enter", Backspace: "Backspace", Space: " " };

const chromiumPath = process.env.CHROMIUM || "/usr/bin/chromium";
const firefoxPath = "/usr/bin/firefox-esr";
const miniBrowserPath = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
const webKitDriverPath = "/usr/bin/WebKitWebDriver";

// What each engine needs on this machine, and whether it needs an X display.
export const engines = {
  chromium: { needs: { Chromium: chromiumPath }, display: false, start: startChromium },
  firefox: { needs: { "Firefox ESR": firefoxPath }, display: true, start: startFirefox },
  webkit: {
    needs: { "WebKitGTK's MiniBrowser": miniBrowserPath, WebKitWebDriver: webKitDriverPath, xdotool: "/usr/bin/xdotool" },
    display: true,
    start: startWebKit,
  },
};

// The first thing the engine lacks here, or null when it can run.
export function missingFor(name) {
  for (const [what, path] of Object.entries(engines[name].needs)) if (!existsSync(path)) return what;
  return null;
}

// A private X server for the engines that draw through one; resolves to
// { display, close }. -noreset keeps it up between one client and the next.
export function startXvfb() {
  return new Promise((resolve, reject) => {
    const server = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"], {
      stdio: ["ignore", "ignore", "ignore", "pipe"],
    });
    let number = "";
    server.stdio[3].on("data", chunk => {
      number += chunk;
      if (number.includes("\n")) resolve({ display: `:${number.trim()}`, close: () => server.kill() });
    });
    server.on("exit", code => reject(new Error(`Xvfb ended at start (status ${code})`)));
    setTimeout(() => reject(new Error("Xvfb did not start in 15 s")), 15000).unref();
  });
}

// Starts the engine; a start refused by the X server ("cannot open display",
// which Xvfb now and then answers) is tried again.
export async function startEngine(name, display) {
  for (let attempt = 1; ; ++attempt) {
    try {
      return movingOnlyWhenMoved(await engines[name].start(display));
    } catch (error) {
      if (attempt >= 3 || !/display/i.test(String(error))) throw error;
      await pause(500);
    }
  }
}

// A user's click makes no motion: a move to where the pointer already is
// sends nothing (as the desktop's X driver does). A new page starts afresh.
function movingOnlyWhenMoved(engine) {
  let at = null;
  const { move, open } = engine;
  engine.move = (x, y) => {
    if (at && at[0] === x && at[1] === y) return Promise.resolve();
    at = [x, y];
    return move(x, y);
  };
  engine.open = (...args) => {
    at = null;
    return open(...args);
  };
  const { reload } = engine;
  engine.reload = () => {
    at = null;
    return reload();
  };
  return engine;
}

// ---- Chromium and Firefox: playwright-core --------------------------------

async function playwright() {
  return import("playwright-core");
}

// Chromium's flags here: WebGL on the CPU (SwiftShader), quiet on the closed
// network, and no sandbox for root.
export const chromiumFlags = ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--disable-background-networking",
  "--disable-component-update", "--disable-sync", "--disable-quic", "--no-first-run",
  ...(process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : [])];

// Lighthouse's report on the page at url, in the categories asked (all by
// default), from a headless Chromium started for it and always ended.
export async function lighthouseReport(url, categories) {
  const { default: audit } = await import("lighthouse");
  const launcher = await import("chrome-launcher");
  const chrome = await launcher.launch({ chromePath: chromiumPath, chromeFlags: ["--headless=new", ...chromiumFlags] });
  try {
    return (await audit(url, { port: chrome.port, logLevel: "error", onlyCategories: categories })).lhr;
  } finally {
    chrome.kill();
  }
}

function startChromium() {
  return playwright()
    .then(({ chromium }) => chromium.launch({ executablePath: chromiumPath, headless: true, args: chromiumFlags }))
    .then(browser => withChromiumExtras(playwrightAdapter(browser)));
}

// Chromium also emulates a phone (open's options: { touch: true, ratio }),
// takes touches, and says whether the page can be installed as an app.
function withChromiumExtras(adapter) {
  // One DevTools session a page: a touch begun in one must end in the same.
  const sessions = new WeakMap();
  const session = async () => {
    const page = adapter.page();
    if (!sessions.has(page)) sessions.set(page, await page.context().newCDPSession(page));
    return sessions.get(page);
  };
  adapter.installabilityErrors = async () => {
    const { installabilityErrors } = await (await session()).send("Page.getInstallabilityErrors");
    return installabilityErrors.map(e => e.errorId);
  };
  // The fingers now on the canvas, at canvas pixels: type is touchStart,
  // touchMove or touchEnd (whose points are those that stay).
  adapter.touch = async (type, points) => {
    const box = await adapter.page().locator("#canvas").boundingBox();
    const touchPoints = points.map(([x, y], id) => ({ x: box.x + x, y: box.y + y, id }));
    await (await session()).send("Input.dispatchTouchEvent", { type, touchPoints });
  };
  return adapter;
}

// Stock Firefox over WebDriver BiDi; headless Firefox has WebGL2 only with an
// X display to reach.
function startFirefox(display) {
  const env = { ...process.env, DISPLAY: display };
  return playwright()
    .then(({ firefox }) => firefox.launch({ channel: "moz-firefox", executablePath: firefoxPath, headless: true, env }))
    .then(browser => playwrightAdapter(browser, firefoxScreenshotStyle));
}

// Playwright takes a screenshot in Firefox through a style element it adds to
// the page, which the page's policy refuses and Firefox reports: its report,
// and only it, is the driver's, not the page's. (Chromium and WebKit still
// report an inline style of the page's own.)
const firefoxScreenshotStyle = /blocked an inline style \(style-src-elem\)/;

function playwrightAdapter(browser, driversOwnError = /^$/) {
  let page = null, box = null, errors = [];
  return {
    version: browser.version(),
    async open(url, viewport, { touch = false, ratio = 1 } = {}) {
      if (page) await page.close();
      const phone = touch ? { hasTouch: true, isMobile: true } : {};
      page = await browser.newPage({ viewport, ...phone, ...(ratio !== 1 && { deviceScaleFactor: ratio }) });
      errors = [];
      const report = text => driversOwnError.test(text) || errors.push(text);
      page.on("console", message => message.type() === "error" && report(message.text()));
      page.on("pageerror", error => report(String(error)));
      await page.goto(url);
      box = null;
    },
    async reload() {
      await page.reload();
      box = null;
    },
    key: name => page.keyboard.press(namedKeys[name] || name),
    async move(x, y) {
      box = box || (await page.locator("#canvas").boundingBox());
      await page.mouse.move(box.x + x, box.y + y);
    },
    press: button => page.mouse.down({ button: buttonNames[button] }),
    release: button => page.mouse.up({ button: buttonNames[button] }),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    click: selector => page.click(selector),
    resize: (width, height) => page.setViewportSize({ width, height }),
    page: () => page,
    title: () => page.title(),
    picture: () => page.locator("#canvas").screenshot(),
    pagePicture: () => page.screenshot(),
    errors: () => errors,
    close: () => browser.close(),
  };
}

// ---- WebKit: MiniBrowser through WebKitWebDriver, the pointer through X ----

function freePort() {
  return new Promise(resolve => {
    const probe = createServer().listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

async function startWebKit(display) {
  const { Builder, By, Key } = await import("selenium-webdriver");
  const port = await freePort();
  const env = { ...process.env, DISPLAY: display };
  const service = spawn(webKitDriverPath, [`--port=${port}`], { env, stdio: "ignore" });
  const stop = () => service.kill();
  try {
    const driver = await connect(Builder, `http://127.0.0.1:${port}`);
    const version = (await driver.getCapabilities()).get("browserVersion");
    return webKitAdapter(driver, { By, Key }, env, stop, version);
  } catch (error) {
    stop();
    throw error;
  }
}

async function connect(Builder, server) {
  const capabilities = {
    browserName: "MiniBrowser",
    "webkitgtk:browserOptions": { binary: miniBrowserPath, args: ["--automation"] },
  };
  for (let waited = 0; ; waited += 100) {
    try {
      return await new Builder().usingServer(server).withCapabilities(capabilities).build();
    } catch (error) {
      if (waited > 15000 || !/ECONNREFUSED/.test(String(error))) throw error;
      await pause(100);
    }
  }
}

// WebKitWebDriver's pointer actions release a middle or right button as
// button 0, with no pointerup: a driver fault, so the pointer goes through
// real X events (xdotool) instead, as a user's mouse would. The page learns
// nothing of this: the adapter counts the mouse events it sees, to know when
// one has arrived, and keeps the errors it reports.
const watchPage = () => {
  window.driverSeen = { events: 0, x: -1, y: -1, errors: [] };
  for (const type of ["mousedown", "mouseup", "mousemove"])
    window.addEventListener(type, e => Object.assign(driverSeen, { events: driverSeen.events + 1, x: e.clientX, y: e.clientY }), true);
  window.addEventListener("error", e => driverSeen.errors.push(String(e.message)));
  window.addEventListener("unhandledrejection", e => driverSeen.errors.push(String(e.reason)));
  const report = console.error.bind(console);
  console.error = (...words) => { driverSeen.errors.push(words.join(" ")); report(...words); };
};

function webKitAdapter(driver, { By, Key }, env, stop, version) {
  const keys = { Esc: Key.ESCAPE, Tab: Key.TAB, Enter: Key.ENTER, Backspace: Key.BACK_SPACE, Space: Key.SPACE };
  const evaluate = (fn, arg) => driver.executeScript(`return (${fn})(arguments[0]);`, arg);
  const xdotool = (...words) => run("xdotool", words.map(String), { env, timeout: 10000 });
  let window = "", canvasAt = [0, 0];

  // Sends an X event and waits until the page has seen it.
  async function sendAndWait(...words) {
    const before = await evaluate(() => driverSeen.events);
    await xdotool(...words);
    for (let waited = 0; waited < 5000; waited += 10) {
      if ((await evaluate(() => driverSeen.events)) > before) return;
      await pause(10);
    }
    throw new Error(`WebKit did not receive: xdotool ${words.join(" ")}`);
  }

  // Where the canvas's (0, 0) lies in the browser window: the web view starts
  // below the toolbar, so a pointer sent there is read back in the page.
  async function findCanvas() {
    if (!window) window = (await xdotool("search", "--sync", "--onlyvisible", "--class", "MiniBrowser")).stdout.split("\n")[0];
    await sendAndWait("mousemove", "--window", window, 300, 300);
    const [x, y, left, top] = await evaluate(() => {
      const box = canvas.getBoundingClientRect();
      return [driverSeen.x, driverSeen.y, box.left, box.top];
    });
    canvasAt = [300 - x + left, 300 - y + top];
  }

  return {
    version: `WebKitGTK ${version}`,
    async open(url) {
      await driver.get("about:blank");
      await driver.get(url);
      await evaluate(watchPage);
      await findCanvas();
    },
    async reload() {
      await driver.navigate().refresh();
      await evaluate(watchPage);
      await findCanvas();
    },
    key: name => driver.actions().sendKeys(keys[name] || name).perform(),
    move: (x, y) => sendAndWait("mousemove", "--window", window, canvasAt[0] + x, canvasAt[1] + y),
    press: button => sendAndWait("mousedown", button + 1),
    release: button => sendAndWait("mouseup", button + 1),
    evaluate,
    // WebKitWebDriver does not scroll an element inside a scrolled box into
    // view before it clicks, and refuses the click: the adapter scrolls it.
    async click(selector) {
      const element = await driver.findElement(By.css(selector));
      await driver.executeScript("arguments[0].scrollIntoView({ block: 'center' });", element);
      await element.click();
    },
    title: () => driver.getTitle(),
    // The page's viewport at this size: the window is the viewport and the
    // browser's own toolbar and borders, measured once set.
    async resize(width, height) {
      await driver.manage().window().setRect({ width, height });
      const [innerWidth, innerHeight] = await evaluate(() => [window.innerWidth, window.innerHeight]);
      await driver.manage().window().setRect({ width: 2 * width - innerWidth, height: 2 * height - innerHeight });
      await findCanvas();
    },
    // An element screenshot of a WebGL canvas comes back black in WebKit: the
    // viewport's screenshot, cropped at the canvas, shows what is drawn. The
    // screenshot shows what was last painted, which on a busy machine can lag
    // a change of the layout (a status line, a scroll) that the canvas's box
    // already has: the page paints two frames first, and a box that moved
    // while the screenshot was taken means another try.
    async picture() {
      const canvasBox = () => {
        const box = canvas.getBoundingClientRect();
        return [box.left, box.top, box.width, box.height];
      };
      for (let attempt = 1; ; ++attempt) {
        await driver.executeAsyncScript(
          "const done = arguments[arguments.length - 1]; requestAnimationFrame(() => requestAnimationFrame(done));");
        const [x, y, width, height] = await evaluate(canvasBox);
        const whole = Buffer.from(await driver.takeScreenshot(), "base64");
        const after = await evaluate(canvasBox);
        if (after.join() === [x, y, width, height].join() || attempt === 5)
          return execFileSync("convert", ["png:-", "-crop", `${width}x${height}+${x}+${y}`, "+repage", "png:-"],
            { input: whole });
      }
    },
    pagePicture: async () => Buffer.from(await driver.takeScreenshot(), "base64"),
    errors: () => evaluate(() => driverSeen.errors),
    async close() {
      await driver.quit().catch(() => {});
      stop();
    },
  };
}
