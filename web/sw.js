// sw.js -- keeps one build's files for visits without network. The cache is
// named by the build: a new build's worker fills a cache of its own before it
// takes over, then deletes the old one, so a visit never mixes two builds.
const cacheName = "tarnwick-@VERSION@-@BUILD@";
const files = ["./", "@FILE_LIST@"];

self.addEventListener("install", event => {
  // Past the browser's HTTP cache: the files must be this build's.
  const fresh = files.map(file => new Request(file, { cache: "reload" }));
  event.waitUntil(caches.open(cacheName).then(cache => cache.addAll(fresh)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", event => {
  const old = names => names.filter(name => name.startsWith("tarnwick-") && name !== cacheName);
  event.waitUntil(caches.keys()
    .then(names => Promise.all(old(names).map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page's own files from the cache (its address's query, ?width= and the
// like, names no other file); anything else from the network.
self.addEventListener("fetch", event => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(cacheName)
    .then(cache => cache.match(event.request, { ignoreSearch: true }))
    .then(hit => hit || fetch(event.request)));
});
