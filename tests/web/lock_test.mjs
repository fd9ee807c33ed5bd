// The browser tools' npm lock can be installed the same way on any day: no
// dependency is asked for by a tag (`latest`, `next`, ...) or from outside the
// registry unless an override pins it to one version, the lock holds exactly
// the override's version, and every locked package's declared Node.js engines
// admit the Node.js that runs the tools (this one).
//   node tests/web/lock_test.mjs TOOLS_DIR
// The check runs on the real lock, and on copies with faults planted in them,
// which it must find.
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join, resolve } from "node:path";
import test from "node:test";

const toolsDir = process.argv[2];
if (!toolsDir) {
  console.error("usage: node lock_test.mjs TOOLS_DIR (the folder of package.json and package-lock.json)");
  process.exit(2);
}

// Ranges as npm reads them: npm's own semver, from the tools' lock.
const semverPath = resolve(toolsDir, "node_modules", "semver", "index.js");
if (!existsSync(semverPath)) {
  console.log("SKIP: the browser tools are not installed (npm ci --prefix tools/web)");
  process.exit(77);
}
const semver = createRequire(import.meta.url)(semverPath);
const exactVersion = /^\d+\.\d+\.\d+$/;
const satisfies = (version, range) => semver.satisfies(version, range);

// ---- The check

// The version an override pins a package to, if it names one exactly.
function pinnedByOverride(overrides, name) {
  const value = overrides?.[name];
  const version = typeof value === "object" ? value?.["."] : value;
  return typeof version === "string" && exactVersion.test(version) ? version : null;
}

const packageName = path => path.slice(path.lastIndexOf("node_modules/") + "node_modules/".length);

// What is wrong with the lock, one line a fault, each naming the package.
function lockFaults(manifest, lock, nodeVersion) {
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
        if (semver.validRange(asked) === null && !pinnedByOverride(manifest.overrides, name))
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
