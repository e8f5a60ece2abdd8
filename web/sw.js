// The offline copy of the site: every file of one build in one cache, named
// after that build, served before the network. A new build brings a new
// worker with a new name; it fills its own cache and removes the others.
"use strict";

const CACHE = "vedoze-vaderuve-@BUILD@";
const FILES = ["./", "index.html", "viewer.js", "look.js", "vedoze-vaderuve.js", "vedoze-vaderuve.wasm",
               "manifest.webmanifest", "icon-192.png", "icon-512.png"];

self.addEventListener("install", (event) => {
  // Past the HTTP cache, which may still hold the previous build's files.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((f) => new Request(f, { cache: "reload" }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith("vedoze-vaderuve-") && n !== CACHE)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin)
    return;
  // The query string is the viewer's command line, not another file.
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((hit) => hit || fetch(request)));
});
