// The browser tools' npm lock can be installed the same way on any day: no
// dependency is asked for by a tag (`latest`, `next`, ...) or from outside the
// registry unless an override pins it to one version, the lock holds exactly
// the override's version, and every locked package's declared Node.js engines
// admit the Node.js that runs the tools (this one).
//   node tests/web/lock_test.mjs TOOLS_DIR
// The check runs on the real lock, and on copies with faults planted in them,
// which it must find.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join } from "node:path";
import test from "node:test";

const toolsDir = process.argv[2];
if (!toolsDir) {
  console.error("usage: node lock_test.mjs TOOLS_DIR (the folder of package.json and package-lock.json)");
  process.exit(2);
}

// ---- Version ranges, as npm reads them, for release versions (a Node.js
// version has no prerelease part).

const exactVersion = /^\d+\.\d+\.\d+$/;

function parts(text) {
  const [major, minor, patch] = text.replace(/^v/, "").split(".");
  const number = p => (p === undefined || /^[xX*]$/.test(p) ? undefined : Number(p));
  return [number(major), number(minor), number(patch)];
}

function compare(a, b) {
  for (let i = 0; i < 3; ++i)
    if (a[i] !== b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

// The lowest version above every version that a partial one stands for:
// 1.2 -> 1.3.0, 1 -> 2.0.0.
function pastPartial(p) {
  if (p[1] === undefined) return [p[0] + 1, 0, 0];
  return [p[0], p[1] + 1, 0];
}

const filled = p => p.map(n => n ?? 0);

// One comparator (">=14", "^22.23.4", "~1.2", "6.*", "*") as [low, high):
// a version v matches when low <= v and v < high (either may be absent).
function bounds(comparator) {
  const match = /^(>=|<=|>|<|=|\^|~)?v?([\dxX*.]*)$/.exec(comparator);
  if (!match) return null;
  const [, op = "", text] = match;
  if (text !== "" && !/^(\d+|[xX*])(\.(\d+|[xX*])){0,2}$/.test(text)) return null;
  const p = text === "" ? [undefined, undefined, undefined] : parts(text);
  if (p[0] === undefined) return op === "<" || op === ">" ? { high: [0, 0, 0] } : {}; // any version
  const partial = p[1] === undefined || p[2] === undefined;
  switch (op) {
    case ">=": return { low: filled(p) };
    case ">": return { low: partial ? pastPartial(p) : [p[0], p[1], p[2] + 1] };
    case "<": return { high: filled(p) };
    case "<=": return { high: partial ? pastPartial(p) : [p[0], p[1], p[2] + 1] };
    case "~": return { low: filled(p), high: p[1] === undefined ? [p[0] + 1, 0, 0] : [p[0], p[1] + 1, 0] };
    case "^": {
      const high = p[0] > 0 || p[1] === undefined ? [p[0] + 1, 0, 0]
                 : p[1] > 0 || p[2] === undefined ? [0, p[1] + 1, 0] : [0, 0, p[2] + 1];
      return { low: filled(p), high };
    }
    default: return { low: filled(p), high: partial ? pastPartial(p) : [p[0], p[1], p[2] + 1] };
  }
}

// The range's comparator sets, each a list of [low, high) bounds; null when
// the text is not a range (a tag, a URL).
export function parseRange(range) {
  const sets = [];
  for (const alternative of range.trim().split("||")) {
    const text = alternative.trim().replace(/(>=|<=|>|<|=|\^|~)\s+/g, "$1");
    const hyphen = /^(\S+)\s+-\s+(\S+)$/.exec(text);
    const comparators = hyphen ? [`>=${hyphen[1]}`, `<=${hyphen[2]}`] : text === "" ? [""] : text.split(/\s+/);
    const set = comparators.map(bounds);
    if (set.includes(null)) return null;
    sets.push(set);
  }
  return sets;
}

export function satisfies(version, range) {
  const v = filled(parts(version));
  const sets = parseRange(range);
  return sets !== null && sets.some(set => set.every(({ low, high }) =>
    (!low || compare(low, v) <= 0) && (!high || compare(v, high) < 0)));
}

// ---- The check

// The version an override pins a package to, if it names one exactly.
function pinnedByOverride(overrides, name) {
  const value = overrides?.[name];
  const version = typeof value === "object" ? value?.["."] : value;
  return typeof version === "string" && exactVersion.test(version) ? version : null;
}

const packageName = path => path.slice(path.lastIndexOf("node_modules/") + "node_modules/".length);

// What is wrong with the lock, one line a fault, each naming the package.
export function lockFaults(manifest, lock, nodeVersion) {
  const faults = [];
  const wanted = manifest.engines?.node;
  if (wanted && !satisfies(nodeVersion, wanted))
    faults.push(`the tools want Node.js ${wanted}; this is ${nodeVersion}`);
  for (const [name, asked] of Object.entries(manifest.dependencies ?? {}))
    if (!exactVersion.test(asked)) faults.push(`${name} is asked for as "${asked}", not one version`);
  for (const [path, entry] of Object.entries(lock.packages ?? {})) {
    const who = path === "" ? manifest.name : `${packageName(path)}@${entry.version}`;
    for (const kind of ["dependencies", "optionalDependencies", "peerDependencies"])
      for (const [name, asked] of Object.entries(entry[kind] ?? {}))
        if (parseRange(asked) === null && !pinnedByOverride(manifest.overrides, name))
          faults.push(`${who} asks for ${name} by "${asked}", which no override pins`);
    const engine = entry.engines?.node;
    if (typeof engine === "string" && !satisfies(nodeVersion, engine))
      faults.push(`${who} wants Node.js ${engine}; this is ${nodeVersion}`);
  }
  for (const name of Object.keys(manifest.overrides ?? {})) {
    const pinned = pinnedByOverride(manifest.overrides, name);
    const locked = lock.packages?.[`node_modules/${name}`]?.version;
    if (!pinned) faults.push(`the override of ${name} names no one version`);
    else if (locked !== pinned) faults.push(`the override pins ${name} to ${pinned}; the lock holds ${locked}`);
  }
  return faults;
}

// ---- The tests

const manifest = JSON.parse(readFileSync(join(toolsDir, "package.json"), "utf8"));
const lock = JSON.parse(readFileSync(join(toolsDir, "package-lock.json"), "utf8"));
const copy = value => JSON.parse(JSON.stringify(value));

test("the lock installs the same packages on any day, on this Node.js", () => {
  assert.deepEqual(lockFaults(manifest, lock, process.version), []);
  assert.ok(Object.keys(lock.packages).length > 100, "the lock holds the drivers' packages");
});

test("a dependency asked for by a tag is found, unless an override pins it", () => {
  const planted = copy(lock);
  const [path, entry] = Object.entries(planted.packages).find(([p, e]) => p && e.dependencies);
  const name = Object.keys(entry.dependencies)[0];
  entry.dependencies[name] = "latest";
  const who = `${packageName(path)}@${entry.version}`;
  assert.deepEqual(lockFaults(manifest, planted, process.version),
                   [`${who} asks for ${name} by "latest", which no override pins`]);

  const pinned = copy(manifest);
  pinned.overrides = { ...pinned.overrides, [name]: planted.packages[`node_modules/${name}`]?.version ?? "1.0.0" };
  const faults = lockFaults(pinned, planted, process.version);
  assert.ok(!faults.some(f => f.includes('"latest"')), faults.join("\n"));

  entry.dependencies[name] = "github:someone/something";
  assert.equal(lockFaults(manifest, planted, process.version).length, 1);
});

test("an override that pins nothing, or another version than the lock's, is found", () => {
  const [name, version] = Object.entries(manifest.overrides)[0];
  const unpinned = lockFaults({ ...manifest, overrides: { ...manifest.overrides, [name]: "latest" } }, lock,
                              process.version);
  assert.ok(unpinned.includes(`the override of ${name} names no one version`), unpinned.join("\n"));
  const other = version.replace(/\d+$/, n => String(Number(n) + 1));
  assert.deepEqual(lockFaults({ ...manifest, overrides: { ...manifest.overrides, [name]: other } }, lock,
                              process.version), [`the override pins ${name} to ${other}; the lock holds ${version}`]);
});

test("a package whose engines leave out this Node.js is found, and a driver asked for by a range", () => {
  const planted = copy(lock);
  planted.packages["node_modules/playwright-core"].engines = { node: "^22.23.4 || >= 26.12.1" };
  const version = planted.packages["node_modules/playwright-core"].version;
  assert.deepEqual(lockFaults(manifest, planted, "v20.20.2"),
                   [`playwright-core@${version} wants Node.js ^22.23.4 || >= 26.12.1; this is v20.20.2`]);
  assert.ok(lockFaults(manifest, lock, "v18.20.4").some(f => f.startsWith("the tools want Node.js")));
  const ranged = copy(manifest);
  ranged.dependencies["playwright-core"] = "^1.64.1";
  assert.deepEqual(lockFaults(ranged, lock, process.version), ['playwright-core is asked for as "^1.64.1", not one version']);
});

test("ranges are read as npm reads them", () => {
  const cases = [
    [">=20", "20.0.0", true], [">=20", "18.20.4", false], [">= 14", "20.20.2", true],
    ["^22.23.4 || ^24.22.1 || >= 26.12.1", "22.23.4", true], ["^22.23.4 || ^24.22.1 || >= 26.12.1", "20.20.2", false],
    ["^22.23.4 || ^24.22.1 || >= 26.12.1", "23.0.0", false], ["^22.23.4 || ^24.22.1 || >= 26.12.1", "26.12.1", true],
    ["6.* || 8.* || >= 10.*", "7.1.0", false], ["6.* || 8.* || >= 10.*", "8.3.0", true], ["6.* || 8.* || >= 10.*", "20.1.0", true],
    [">=16 || 14 >=14.17", "14.16.0", false], [">=16 || 14 >=14.17", "14.17.0", true], [">=16 || 14 >=14.17", "15.0.0", false],
    ["*", "0.1.0", true], ["", "3.0.0", true], ["~1.2", "1.2.9", true], ["~1.2", "1.3.0", false],
    ["^0.2.3", "0.2.9", true], ["^0.2.3", "0.3.0", false], ["^0.0.3", "0.0.4", false], ["1.2.3 - 2.3", "2.3.9", true],
    ["1.2.3 - 2.3", "2.4.0", false], ["<20", "19.9.9", true], ["<=20.1", "20.1.5", true], [">20.1", "20.1.9", false],
  ];
  for (const [range, version, expected] of cases)
    assert.equal(satisfies(version, range), expected, `${version} in "${range}"`);
  for (const tag of ["latest", "next", "beta", "github:a/b", "file:../x", "npm:other@1"])
    assert.equal(parseRange(tag), null, tag);
});
