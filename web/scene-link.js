// scene-link.js -- a scene as a link carries it: the program's own text,
// gzip-compressed and base64url-encoded in the address's fragment,
// #scene=.... The page and the embed read it; the page's Share and Embed
// write it.
export const sceneLinkLimit = 8000; // characters of encoded scene a link carries; more becomes a file
export const sceneMaxBytes = 4 * 1024 * 1024; // as the program's reader
const sceneLinkMaxCharacters = 6 * 1024 * 1024; // an encoded scene no longer than this is read at all

function base64url(bytes) {
  let binary = "";
  for (let k = 0; k < bytes.length; k += 0x8000) binary += String.fromCharCode(...bytes.subarray(k, k + 0x8000));
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

function fromBase64url(text) {
  const binary = atob(text.replace(/-/g, "+").replace(/_/g, "/"));
  return Uint8Array.from(binary, c => c.charCodeAt(0));
}

async function gzip(text) {
  const stream = new Blob([text]).stream().pipeThrough(new CompressionStream("gzip"));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

// The fragment's text for a scene, or null where the browser cannot compress.
export async function linkText(text) {
  return typeof CompressionStream === "function" ? base64url(await gzip(text)) : null;
}

// At most limit bytes are inflated: a small link cannot make an enormous scene.
async function gunzip(bytes, limit) {
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip")).getReader();
  const chunks = [];
  let total = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    total += value.length;
    if (total > limit) {
      reader.cancel();
      throw new Error(`its scene is more than the ${sceneMaxBytes} bytes a scene may have`);
    }
    chunks.push(value);
  }
  const whole = new Uint8Array(total);
  chunks.reduce((at, chunk) => (whole.set(chunk, at), at + chunk.length), 0);
  return whole;
}

// The scene's bytes in an address's fragment (location.hash), or null when
// it carries none; a scene that cannot be read throws, saying why.
export async function sceneOfLink(hash) {
  if (!hash.startsWith("#scene=")) return null;
  const encoded = hash.slice(7);
  if (encoded.length > sceneLinkMaxCharacters)
    throw new Error(`its scene is ${encoded.length} characters long, more than a link may carry`);
  if (!/^[A-Za-z0-9_-]*$/.test(encoded)) throw new Error("its scene is not base64url text");
  if (typeof DecompressionStream !== "function") throw new Error("this browser cannot read compressed scenes");
  return gunzip(fromBase64url(encoded), sceneMaxBytes).catch(error => {
    throw /more than/.test(error.message) ? error : new Error("its scene is damaged: it does not decompress");
  });
}
