'use strict';
// Keeps the page's files, so that a page visited once plays with no network.
// Each file comes from the network while there is one, so that a new release
// is played as soon as it is served, and from the cache otherwise; the cache
// is named by the release, and a new one's worker drops the older caches.
const CACHE = 'quorvelin-@PROJECT_VERSION@';
const FILES = ['./', '@WEB_CACHED_FILES@'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET')
    return;
  event.respondWith(fetch(event.request).then((response) => {
    if (response.ok) {
      const copy = response.clone();
      caches.open(CACHE).then((cache) => cache.put(event.request, copy));
    }
    return response;
  }).catch(() => caches.match(event.request, { ignoreSearch: true })
    .then((kept) => kept || Response.error())));
});
