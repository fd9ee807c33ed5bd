// node-wanted.mjs -- says, and fails, when this Node.js is older than the
// lowest one the browser drivers' package.json asks for ("engines": ">=N").
// Usage: node scripts/node-wanted.mjs PACKAGE.JSON
import { readFileSync } from "node:fs";

const wanted = JSON.parse(readFileSync(process.argv[2], "utf8")).engines?.node ?? "";
const lowest = /^>=\s*(\d+)(?:\.(\d+))?/.exec(wanted);
const [major, minor] = process.versions.node.split(".").map(Number);
if (lowest && (major < Number(lowest[1]) || (major === Number(lowest[1]) && minor < Number(lowest[2] ?? 0)))) {
  console.error(`deps.sh: the browser drivers need Node.js ${wanted}, and this is ${process.version} ` +
                "(Debian 12's own is 18): put a later Node.js first on the PATH");
  process.exit(1);
}
