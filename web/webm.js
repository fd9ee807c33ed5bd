// webm.js -- a recorder's WebM made seekable. A MediaRecorder writes its file
// as a live stream: the segment and its clusters of unknown size, no duration
// (or 0), no cues, so that players can neither show the clip's length nor
// seek in it. seekableWebm(bytes) writes the same frames again with the
// segment's and the clusters' sizes, the duration in the segment's info, and
// cues (one for each key frame) before the first cluster. It throws on a file it
// does not understand; the caller then keeps the recorder's own.

const ids = {
  segment: 0x18538067, seekHead: 0x114d9b74, info: 0x1549a966, tracks: 0x1654ae6b, cluster: 0x1f43b675,
  cues: 0x1c53bb6b, tags: 0x1254c367, chapters: 0x1043a770, attachments: 0x1941a469, void: 0xec,
  timecodeScale: 0x2ad7b1, duration: 0x4489, timecode: 0xe7, simpleBlock: 0xa3, blockGroup: 0xa0, block: 0xa1,
  referenceBlock: 0xfb, cuePoint: 0xbb, cueTime: 0xb3, cueTrackPositions: 0xb7, cueTrack: 0xf7, cueClusterPosition: 0xf1,
};
// What may follow a cluster of unknown size: it ends where one of these begins.
const segmentChildren = new Set([ids.seekHead, ids.info, ids.tracks, ids.cluster, ids.cues, ids.tags, ids.chapters,
  ids.attachments]);

// A variable-length integer at p: { value, length }; an element's size of all
// ones (unknown) is null.
function readVint(bytes, p, isId) {
  const first = bytes[p];
  if (first === undefined || first === 0) throw new Error(`no EBML number at byte ${p}`);
  const length = Math.clz32(first) - 23;
  let value = isId ? first : first & (0xff >> length);
  let allOnes = value === 0xff >> length;
  for (let k = 1; k < length; ++k) {
    if (p + k >= bytes.length) throw new Error("the file ends inside an EBML number");
    value = value * 256 + bytes[p + k];
    allOnes = allOnes && bytes[p + k] === 0xff;
  }
  return { value: !isId && allOnes ? null : value, length };
}

// The element at p: { id, start (of its body), end }. A segment of unknown
// size ends with the file; a cluster of unknown size, where the next element
// of the segment begins.
function readElement(bytes, p, end) {
  const id = readVint(bytes, p, true);
  const size = readVint(bytes, p + id.length, false);
  const start = p + id.length + size.length;
  if (size.value !== null) {
    if (start + size.value > end) throw new Error(`an element at byte ${p} runs past its parent`);
    return { id: id.value, start, end: start + size.value };
  }
  let q = id.value === ids.segment ? end : start;
  while (q < end) {
    const child = readVint(bytes, q, true).value;
    if (segmentChildren.has(child)) break;
    q = readElement(bytes, q, end).end;
  }
  return { id: id.value, start, end: q };
}

function children(bytes, element) {
  const found = [];
  for (let p = element.start; p < element.end;) {
    const child = readElement(bytes, p, element.end);
    found.push({ ...child, at: p });
    p = child.end;
  }
  return found;
}

const unsigned = (bytes, element) => bytes.subarray(element.start, element.end).reduce((v, b) => v * 256 + b, 0);

// ---- Writing: everything as lists of byte chunks

function idBytes(id) {
  const length = id >= 0x1000000 ? 4 : id >= 0x10000 ? 3 : id >= 0x100 ? 2 : 1;
  return Array.from({ length }, (_, k) => Math.floor(id / 256 ** (length - 1 - k)) % 256);
}

// Numbers in eight bytes, and sizes so (the marker, then seven): a size or a
// position then never changes the length of what holds it.
const eightBytes = value => Array.from({ length: 8 }, (_, k) => Math.floor(value / 256 ** (7 - k)) % 256);
const sizeBytes = size => [0x01, ...eightBytes(size).slice(1)];
const byteLength = chunks => chunks.reduce((sum, chunk) => sum + chunk.length, 0);

function element(id, chunks) {
  return [Uint8Array.from([...idBytes(id), ...sizeBytes(byteLength(chunks))]), ...chunks];
}
const unsignedElement = (id, value) => element(id, [Uint8Array.from(eightBytes(value))]);
function floatElement(id, value) {
  const body = new Uint8Array(8);
  new DataView(body.buffer).setFloat64(0, value);
  return element(id, [body]);
}

function concatenate(chunks) {
  const whole = new Uint8Array(byteLength(chunks));
  chunks.reduce((at, chunk) => (whole.set(chunk, at), at + chunk.length), 0);
  return whole;
}

// ---- The clusters' times

// A block's track, time within its cluster and whether it is a key frame (a
// SimpleBlock says so in its flags; a BlockGroup's Block is one when the group
// refers to no other frame).
function blockOf(bytes, found) {
  if (found.id === ids.simpleBlock) return readBlock(bytes, found, null);
  if (found.id !== ids.blockGroup) return null;
  const parts = children(bytes, found);
  const block = parts.find(part => part.id === ids.block);
  return block ? readBlock(bytes, block, !parts.some(part => part.id === ids.referenceBlock)) : null;
}

function readBlock(bytes, block, key) {
  const track = readVint(bytes, block.start, false);
  if (block.start + track.length + 3 > block.end) throw new Error(`the block at byte ${block.start} is too short`);
  const view = new DataView(bytes.buffer, bytes.byteOffset + block.start + track.length, 3);
  return { track: track.value, time: view.getInt16(0), key: key ?? (view.getUint8(2) & 0x80) !== 0 };
}

function clusterOf(bytes, found) {
  const parts = children(bytes, found);
  const timecode = parts.find(part => part.id === ids.timecode);
  if (!timecode) throw new Error(`the cluster at byte ${found.at} has no timecode`);
  const time = unsigned(bytes, timecode);
  const blocks = parts.map(part => blockOf(bytes, part)).filter(Boolean);
  return { time, blocks: blocks.map(block => ({ ...block, time: time + block.time })), found };
}

// The last frame's time plus one frame, as the frames came on average.
function durationOf(clusters) {
  const times = clusters.flatMap(cluster => cluster.blocks.map(block => block.time)).sort((a, b) => a - b);
  if (times.length === 0) return 0;
  const frame = times.length > 1 ? (times[times.length - 1] - times[0]) / (times.length - 1) : 0;
  return times[times.length - 1] + frame;
}

export function seekableWebm(bytes) {
  const header = readElement(bytes, 0, bytes.length);
  const segment = readElement(bytes, header.end, bytes.length);
  if (segment.id !== ids.segment) throw new Error("no segment after the EBML header");
  const parts = children(bytes, segment);
  const info = parts.find(part => part.id === ids.info);
  if (!info) throw new Error("the segment has no info");
  const clusters = parts.filter(part => part.id === ids.cluster).map(found => clusterOf(bytes, found));
  if (clusters.length === 0) throw new Error("the segment has no cluster");

  // The info again, with the duration in its own time scale.
  const infoParts = children(bytes, info);
  const scale = infoParts.find(part => part.id === ids.timecodeScale);
  const nanoseconds = scale ? unsigned(bytes, scale) : 1000000;
  const kept = infoParts.filter(part => part.id !== ids.duration).map(part => bytes.subarray(part.at, part.end));
  const newInfo = element(ids.info, [...kept, ...floatElement(ids.duration, (durationOf(clusters) * 1000000) / nanoseconds)]);

  // Before the first cluster: what the segment had there (its tracks), then
  // the cues; after the clusters, the rest (tags). The old seek head and cues
  // would point at the old places.
  const dropped = new Set([ids.seekHead, ids.info, ids.cues, ids.void, ids.cluster]);
  const firstCluster = parts.findIndex(part => part.id === ids.cluster);
  const copied = list => list.filter(part => !dropped.has(part.id)).map(part => bytes.subarray(part.at, part.end));
  const before = [...newInfo, ...copied(parts.slice(0, firstCluster))];
  const after = copied(parts.slice(firstCluster));
  const newClusters = clusters.map(cluster => element(ids.cluster, [bytes.subarray(cluster.found.start, cluster.found.end)]));

  // A cue for each key frame, at its cluster; positions count from the
  // segment's body, and the cues' length does not depend on them.
  const cuesAt = positions => element(ids.cues, clusters.flatMap((cluster, k) => cluster.blocks.filter(block => block.key)
    .flatMap(block => element(ids.cuePoint, [...unsignedElement(ids.cueTime, block.time),
      ...element(ids.cueTrackPositions, [...unsignedElement(ids.cueTrack, block.track),
        ...unsignedElement(ids.cueClusterPosition, positions[k])])]))));
  let at = byteLength(before) + byteLength(cuesAt(clusters.map(() => 0)));
  const positions = newClusters.map(cluster => (at += byteLength(cluster)) - byteLength(cluster));
  const body = [...before, ...cuesAt(positions), ...newClusters.flat(), ...after];
  return concatenate([bytes.subarray(0, header.end), ...element(ids.segment, body)]);
}
