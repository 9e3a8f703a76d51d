// Keeps the page, the core, the fonts and the examples for lessons without
// network: answered from the cache first; a new build (another version in
// sw-files.js) is fetched whole at the next start and then taken.
self.importScripts('sw-files.js');

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(self.ZAK_VERSION).then((cache) => cache.addAll(self.ZAK_FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((keys) => Promise.all(keys.filter((k) => k !== self.ZAK_VERSION).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(self.ZAK_VERSION).then(async (cache) => {
    const hit = await cache.match(event.request, { ignoreSearch: true });
    if (hit) return hit;
    try {
      return await fetch(event.request);
    } catch (e) {
      return (await cache.match('index.html')) || Response.error();
    }
  }));
});
