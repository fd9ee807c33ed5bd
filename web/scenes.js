// scenes.js -- what a visitor keeps and shares, from the bar: the scene so
// far as a link (or as a file, when too long for a link), a scene file opened
// or dropped on the page and played, a picture of the canvas, a clip of it,
// and full screen. A scene is the program's own text (its recording runs
// from the start); a link carries it in its fragment (scene-link.js), and
// opening the link plays it, then the water is the visitor's.
//   keepScenes({ canvas, running(), playScene(bytes), ask(name) }) sets up
//   the bar and reads the link (linkRead settles then); it returns what the
//   page tells it, and lastDownload() and linkText(text) for the probes.
import { linkText, sceneLinkLimit, sceneMaxBytes, sceneOfLink } from "./scene-link.js";
import { keepFullScreenButton } from "./viewer.js";

const clipMaxSeconds = 60; // a clip's memory stays bounded

const sceneStatus = document.getElementById("scene-status");
const shareLink = document.getElementById("share-link");
const embedCode = document.getElementById("embed-code");
const playSceneButton = document.getElementById("play-scene");
const reducedMotion = matchMedia("(prefers-reduced-motion: reduce)");
const sceneFile = document.getElementById("scene-file");
const clipButton = document.getElementById("record-clip");
const clipIndicator = document.getElementById("clip-indicator");
let pendingScene = null; // bytes to play once the program runs
let sceneSource = ""; // where the scene played last came from, as messages name it
let scenePlaying = false; // handed to the program, not yet played to its end
let partedWhere = ""; // where the scene playing parted from its recording
let lastDownload = null; // { name, url, blob } of the last file offered (tests read it)
let viewer = null;

function sayScene(text) {
  sceneStatus.textContent = text;
}

// ---- Playing a scene (the program reads and refuses it)

function playSceneBytes(bytes, source) {
  sceneSource = source;
  if (!viewer.running()) {
    pendingScene = bytes;
    return;
  }
  sayScene(`Playing the scene ${source}…`);
  scenePlaying = true;
  partedWhere = "";
  viewer.playScene(bytes);
}

// As the program starts, before the canvas is sized: a scene from the link
// plays from its very start; for a visitor who asks for reduced motion, once
// asked to.
function playPendingScene() {
  const bytes = pendingScene;
  pendingScene = null;
  if (!bytes) return;
  if (!reducedMotion.matches) return playSceneBytes(bytes, sceneSource);
  sayScene(`The scene ${sceneSource} waits for you to play it: your system asks for reduced motion.`);
  playSceneButton.hidden = false;
  playSceneButton.onclick = () => {
    playSceneButton.hidden = true;
    playSceneBytes(bytes, sceneSource);
  };
}

function sceneRefused(why) {
  scenePlaying = false;
  sayScene(`Cannot play the scene ${sceneSource}: ${why}. Nothing was played.`);
}

// A check found other state than the recording had: said at once, and again
// at the end; the scene plays on.
function sceneParted(where) {
  partedWhere = where;
  sayScene(`The scene ${sceneSource} parted from its recording ${where}; it plays on…`);
}

// What the scene's checks showed (a scene of format 1 has none).
function checksSaid(matched) {
  if (partedWhere) return ` It parted from its recording ${partedWhere}.`;
  return matched > 0 ? ` Played exactly: ${matched} checks matched.` : "";
}

function scenePlayed(checksMatched) {
  scenePlaying = false;
  sayScene(`Played the scene ${sceneSource}; the water is yours now.${checksSaid(checksMatched)}`);
}

// The program has ended: a scene may end it (Esc, q).
function sceneEndedProgram(status, checksMatched) {
  if (!scenePlaying) return;
  scenePlaying = false;
  sayScene(`Played the scene ${sceneSource}: it ended Tarnwick with status ${status}.${checksSaid(checksMatched)}`);
}

function recordingStopped(inputs) {
  sayScene(`The recording stopped at ${inputs} inputs: Share gives the scene up to there.`);
}

async function openSceneFile(file) {
  if (!file) return;
  const source = `file ${file.name}`;
  if (file.size > sceneMaxBytes) {
    sceneSource = source;
    return sceneRefused(`it is ${file.size} bytes, more than the ${sceneMaxBytes} a scene may have`);
  }
  playSceneBytes(new Uint8Array(await file.arrayBuffer()), source);
}

// ---- The scene in the page's own link

async function sceneFromLink() {
  const source = "in the link";
  try {
    const bytes = await sceneOfLink(location.hash);
    if (bytes) playSceneBytes(bytes, source);
  } catch (error) {
    sceneSource = source;
    sceneRefused(error.message);
  }
}

// ---- Files offered to the visitor

function timeStamp() {
  const d = new Date(), two = n => String(n).padStart(2, "0");
  return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}-${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
}

function offerFile(blob, name) {
  if (lastDownload) URL.revokeObjectURL(lastDownload.url);
  lastDownload = { name, url: URL.createObjectURL(blob), blob };
  const link = document.createElement("a");
  link.href = lastDownload.url;
  link.download = name;
  link.click();
}

// ---- The bar's buttons

// A scene too long for a link (or a browser that cannot compress) is offered
// as a file.
function offerSceneFile(text, encoded) {
  offerFile(new Blob([text], { type: "text/plain" }), `tarnwick-scene-${timeStamp()}.txt`);
  const why = encoded === null ? "This browser cannot make scene links" : "The scene is too long for a link";
  return `${why}: it is offered as the file ${lastDownload.name} instead`;
}

async function copyField(field, copied, below) {
  try {
    await navigator.clipboard.writeText(field.value);
    sayScene(copied);
  } catch {
    field.select();
    sayScene(below);
  }
}

async function shareScene() {
  const text = await viewer.ask("recordedScene");
  if (!text) return sayScene("Nothing to share yet.");
  const encoded = await linkText(text);
  if (encoded === null || encoded.length > sceneLinkLimit)
    return sayScene(`${offerSceneFile(text, encoded)}; Open scene plays it.`);
  shareLink.value = `${location.href.split("#")[0]}#scene=${encoded}`;
  shareLink.hidden = false;
  if (navigator.share) {
    try {
      await navigator.share({ title: "Tarnwick", text: "Water I made in Tarnwick", url: shareLink.value });
      return sayScene("Link shared.");
    } catch (error) {
      if (error.name === "AbortError") return sayScene("The link is below.");
    }
  }
  await copyField(shareLink, "Link copied.", "The link is below: copy it from there.");
}

const attribute = text => text.replace(/&/g, "&amp;").replace(/"/g, "&quot;");

// The code of a frame for another page (embed.html) that plays the scene so
// far, at the size the program last had.
async function embedScene() {
  const text = await viewer.ask("recordedScene");
  if (!text) return sayScene("Nothing to embed yet.");
  const encoded = await linkText(text);
  const inLink = encoded !== null && encoded.length <= sceneLinkLimit;
  const address = new URL("embed.html", location.href).href + (inLink ? `#scene=${encoded}` : "");
  // The window's last size in the scene (or its first): the frame shows the
  // water as it was made. (A window made as small as nothing is not a size.)
  const [, width, height] = [...text.matchAll(/^(?:size|\d+ resize) ([1-9]\d*) ([1-9]\d*)$/gm)].pop();
  embedCode.value = `<iframe src="${attribute(address)}" title="Tarnwick: water rippling in real time" ` +
    `width="${width}" height="${height}" loading="lazy" allow="fullscreen" style="border: 0"></iframe>`;
  embedCode.hidden = false;
  if (!inLink) {
    const offered = offerSceneFile(text, encoded);
    return sayScene(`${offered}; the code below shows calm water, and your page can play the file in it by a message.`);
  }
  await copyField(embedCode, "Embed code copied.", "The embed code is below: copy it from there.");
}

async function savePicture() {
  const picture = await viewer.ask("picture");
  offerFile(picture, `tarnwick-${timeStamp()}.png`);
  sayScene(`Picture saved as ${lastDownload.name}.`);
}

// A clip where the engine can film a canvas into WebM; the button is hidden
// where it cannot.
const clipType = ["video/webm;codecs=vp9", "video/webm;codecs=vp8", "video/webm"].find(
  type => typeof MediaRecorder === "function" && MediaRecorder.isTypeSupported(type));
let clip = null;

function showClipTime() {
  const seconds = Math.floor((performance.now() - clip.started) / 1000);
  clipIndicator.textContent = `● Recording ${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, "0")}`;
}

// The recorder's file with its duration and cues (webm.js, fetched only
// now), so that players show its length and seek in it; as it came if that fails.
async function seekableClip(chunks) {
  const recorded = new Blob(chunks, { type: "video/webm" });
  try {
    const { seekableWebm } = await import("./webm.js");
    return new Blob([seekableWebm(new Uint8Array(await recorded.arrayBuffer()))], { type: "video/webm" });
  } catch (error) {
    console.warn(`The clip is saved as the browser recorded it: ${error.message}`);
    return recorded;
  }
}

function startClip() {
  const stream = viewer.canvas.captureStream(30);
  // A key frame every second where the engine takes the option: a player's
  // seek lands within a second of where it was asked to.
  const recorder = new MediaRecorder(stream, { mimeType: clipType, videoKeyFrameIntervalDuration: 1000 });
  const chunks = [];
  recorder.ondataavailable = event => event.data.size && chunks.push(event.data);
  recorder.onstop = async () => {
    stream.getTracks().forEach(track => track.stop());
    offerFile(await seekableClip(chunks), `tarnwick-${timeStamp()}.webm`);
    sayScene(`Clip saved as ${lastDownload.name}.`);
  };
  clip = { recorder, started: performance.now() };
  clip.ticker = setInterval(showClipTime, 500);
  clip.limit = setTimeout(stopClip, clipMaxSeconds * 1000);
  recorder.start(1000);
  showClipTime();
  clipIndicator.hidden = false;
  clipButton.textContent = "Stop clip";
  clipButton.setAttribute("aria-pressed", "true");
}

function stopClip() {
  if (!clip) return;
  clearInterval(clip.ticker);
  clearTimeout(clip.limit);
  clip.recorder.stop();
  clip = null;
  clipIndicator.hidden = true;
  clipButton.textContent = "Record clip";
  clipButton.setAttribute("aria-pressed", "false");
}

export function keepScenes(viewerOfPage) {
  viewer = viewerOfPage;
  document.getElementById("share").addEventListener("click", shareScene);
  document.getElementById("embed").addEventListener("click", embedScene);
  document.getElementById("save-picture").addEventListener("click", savePicture);
  document.getElementById("open-scene").addEventListener("click", () => sceneFile.click());
  sceneFile.addEventListener("change", () => {
    openSceneFile(sceneFile.files[0]);
    sceneFile.value = ""; // the same file may be opened again
  });
  window.addEventListener("dragover", event => event.preventDefault());
  window.addEventListener("drop", event => {
    event.preventDefault();
    openSceneFile(event.dataTransfer.files[0]);
  });
  clipButton.hidden = !clipType || typeof viewer.canvas.captureStream !== "function";
  clipButton.addEventListener("click", () => (clip ? stopClip() : startClip()));
  keepFullScreenButton(document.getElementById("full-screen"), sayScene);
  return {
    linkRead: sceneFromLink(),
    playPending: playPendingScene,
    refused: sceneRefused,
    parted: sceneParted,
    played: scenePlayed,
    endedProgram: sceneEndedProgram,
    recordingStopped,
    lastDownload: () => lastDownload,
    linkText,
  };
}
