// serve.mjs -- serves the web build on 127.0.0.1, on a port the system picks,
// until interrupted.
// Usage: node serve.mjs WEB-BUILD-DIR
import { serve } from "./browser.mjs";

const server = await serve(process.argv[2]);
console.log(`Tarnwick in a browser: ${server.url}   (Ctrl-C stops the server)`);
