// embed.js -- the viewer in another page's frame (embed.html): the canvas
// fills the frame; a scene in the link plays as it was recorded, then the
// water is the visitor's. The host page may drive it by messages.
//   #scene=... the scene to play from the program's start (scene-link.js).
//   ?loop=1 plays the scene again each time it ends, until the visitor
//   takes the water; ?paused=1 shows the first frame and a play button;
//   ?width=W&height=H fixes the canvas size; ?rate=N and ?simd=0 as the page.
// Under prefers-reduced-motion: reduce, a scene waits for the play button.
// The visitor's first input while a scene plays ends it there: the water is
// theirs from then on.
//
// Messages from the host page (the frame's parent), each an object:
//   { type: "play", scene: TEXT }  plays a scene (its text) from the start
//   { type: "key", key: KEY }      a key as KeyboardEvent.key names it ("b", "Escape")
//   { type: "drop", i: I, j: J }   drops water at interior grid vertex (I, J), 1 to 62
//   { type: "pause" }, { type: "resume" }
// Anything else is ignored with a warning on the console. To the host, each
// { source: "tarnwick", type, ... }:
//   "ready" (version), "line" (text), "title" (text), "played" (checksMatched,
//   parted: where it parted from its recording, or ""), "refused" (why),
//   "ended" (status).
import { programScript } from "./host.js";
import { keepFullScreenButton, keyCode, startViewer } from "./viewer.js";
import { linkText, sceneLinkLimit, sceneMaxBytes, sceneOfLink } from "./scene-link.js";

const params = new URLSearchParams(location.search);
const flag = name => params.has(name) && params.get(name) !== "0";
const fixedSize = params.has("width") && params.has("height")
  ? [parseInt(params.get("width"), 10), parseInt(params.get("height"), 10)] : null;
const canvas = document.getElementById("canvas");
const stage = document.getElementById("stage");
const notice = document.getElementById("notice");
const playButton = document.getElementById("play");
const openLink = document.getElementById("open");
const fromFile = location.protocol === "file:";
if (!fromFile) notice.className = "";
const reducedMotion = matchMedia("(prefers-reduced-motion: reduce)");

let scene = null; // the scene's bytes, to play (again)
let sceneWaits = false; // for the play button (a paused start, reduced motion)
let scenePlaying = false;
let looping = flag("loop");
let partedWhere = "";

function tellHost(type, fields = {}) {
  if (window.parent !== window) window.parent.postMessage({ source: "tarnwick", type, ...fields }, "*");
}

function say(text) {
  notice.textContent = text;
  notice.style.display = "block";
}

const fromProgram = {
  print: text => tellHost("line", { text }),
  setTitle: title => {
    document.title = title;
    tellHost("title", { text: title });
  },
  control: () => {},
  started,
  ended: status => {
    scenePlaying = false;
    say(`Tarnwick has ended (exit status ${status}). Reload to start again.`);
    tellHost("ended", { status });
  },
  failed: say,
  cannotStart: what => say(`Tarnwick could not start: ${what}`),
  sceneRefused: why => {
    scenePlaying = false;
    console.warn(`Tarnwick cannot play the scene: ${why}`);
    tellHost("refused", { why });
  },
  sceneParted: where => (partedWhere = where),
  scenePlayed,
  recordingStopped: () => {},
};

const readLink = sceneOfLink(location.hash).then(
  bytes => (scene = bytes),
  error => fromProgram.sceneRefused(error.message));
const viewer = fromFile ? null : startViewer({
  canvas, stage, script: programScript(params.get("simd") !== "0"), fixedSize, tickRate: Number(params.get("rate")),
  ready: readLink, page: fromProgram, beforeInput: visitorTakesTheWater,
});

function started() {
  notice.style.display = "none";
  viewer.call("webPlayScenesInTime", 1);
  tellHost("ready", { version: document.querySelector('meta[name="tarnwick-version"]').content });
  if (flag("paused")) pause();
  if (scene) beginScene();
}

// Nothing moves by itself in a paused frame, or for a visitor who asks for
// reduced motion: the scene waits for the play button.
function beginScene() {
  if (paused || reducedMotion.matches) {
    sceneWaits = true;
    pause();
  } else {
    playScene();
  }
}

function playScene() {
  sceneWaits = false;
  scenePlaying = true;
  partedWhere = "";
  viewer.playScene(scene);
}

function scenePlayed(checksMatched) {
  scenePlaying = false;
  tellHost("played", { checksMatched, parted: partedWhere });
  if (looping) playScene();
}

// The visitor's own input while a scene plays: the scene stops where it is
// (and loops no more), and the input goes to the program.
function visitorTakesTheWater() {
  looping = false;
  if (!scenePlaying) return;
  scenePlaying = false;
  viewer.call("webStopScene");
}

// ---- Paused: the first frame (or the frame where it stopped) and a play button

let paused = false;
function pause() {
  paused = true;
  viewer.hold("paused", true);
  playButton.hidden = false;
}

function resume() {
  playButton.hidden = true;
  paused = false;
  viewer.hold("paused", false);
  if (sceneWaits) playScene();
}

playButton.addEventListener("click", () => {
  resume();
  canvas.focus();
});

// A frame out of sight (scrolled away, hidden by its host) costs nothing.
if ("IntersectionObserver" in window) {
  new IntersectionObserver(entries => {
    for (const entry of entries) viewer && viewer.hold("out of sight", !entry.isIntersecting);
  }).observe(stage);
}

// ---- The corner: the whole page with the same scene, full screen

async function pointOpenLinkAt(text) {
  const encoded = await linkText(text);
  const withScene = encoded !== null && encoded.length <= sceneLinkLimit;
  openLink.href = new URL("./", location.href).href + (withScene ? `#scene=${encoded}` : "");
}
openLink.href = new URL("./", location.href).href + location.hash;
keepFullScreenButton(document.getElementById("full-screen"), why => console.warn(why));

// ---- The host page's messages, each checked before anything is done

const vertex = value => Number.isInteger(value) && value >= 1 && value <= 62;
const messages = {
  play: { fields: { scene: value => typeof value === "string" && value.length <= sceneMaxBytes }, act: hostPlays },
  key: { fields: { key: value => typeof value === "string" && value.length <= 16 && keyCode(value) !== null },
    act: ({ key }) => viewer.call("webKey", keyCode(key)) },
  drop: { fields: { i: vertex, j: vertex }, act: ({ i, j }) => viewer.call("webDropAt", i, j) },
  pause: { fields: {}, act: pause },
  resume: { fields: {}, act: resume },
};

// Why the message is not one the frame takes, or "" when it is.
function fault(data) {
  if (typeof data !== "object" || data === null || Array.isArray(data)) return "it is not an object";
  const message = typeof data.type === "string" && Object.hasOwn(messages, data.type) ? messages[data.type] : null;
  if (!message) return `its type is not one of ${Object.keys(messages).join(", ")}`;
  for (const name of Object.keys(data)) {
    if (name === "type") continue;
    if (!Object.hasOwn(message.fields, name)) return `a ${data.type} message has no field ${name}`;
  }
  for (const [name, valid] of Object.entries(message.fields)) {
    if (!valid(data[name])) return `its ${name} is missing or not valid`;
  }
  return "";
}

function hostPlays({ scene: text }) {
  const bytes = new TextEncoder().encode(text);
  if (bytes.length > sceneMaxBytes) return console.warn(`Tarnwick ignored a scene of more than ${sceneMaxBytes} bytes`);
  scene = bytes;
  looping = flag("loop");
  pointOpenLinkAt(text);
  beginScene();
}

window.addEventListener("message", event => {
  if (event.source !== window.parent || window.parent === window) return;
  const why = fault(event.data);
  if (why) return console.warn(`Tarnwick ignored a message from its host: ${why}`);
  if (!viewer || !viewer.running()) return console.warn("Tarnwick ignored a message from its host: it has not started");
  messages[event.data.type].act(event.data);
});

window.tarnwickProbes = viewer && viewer.probes({ paused: () => paused, scenePlaying: () => scenePlaying });
