// Keeps the page's files for use without a network: after one visit, the page
// and the app added to a home screen open and run offline. The build writes
// in each file of the release with its SHA-256 sum, and a cache named after
// them all (cmake/ServiceWorker.cmake), so that a new release is a new service
// worker. It takes over once no page of the old one is open, and then removes
// the old release's cache: a page never gets files of two releases.
const RELEASE = {/* the build fills this in */};

self.addEventListener('install', (event) => {
  event.waitUntil(keepRelease());
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith('sorvane-') && name !== RELEASE.cache)
    .map((name) => caches.delete(name)))));
});

// The page's files from the cache, the page itself for its folder's address;
// anything else from the network.
self.addEventListener('fetch', (event) => {
  const scope = new URL(self.registration.scope);
  const url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== scope.origin ||
      !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || 'index.html';
  if (!(name in RELEASE.files)) return;
  event.respondWith(caches.open(RELEASE.cache)
    .then((cache) => cache.match(name))
    .then((kept) => kept ?? fetch(event.request)));
});

// Every file, checked against its sum: a host that already serves some files
// of another release fails the install, and the worker in place stays.
async function keepRelease() {
  const cache = await caches.open(RELEASE.cache);
  await Promise.all(Object.entries(RELEASE.files).map(async ([name, sum]) => {
    const response = await fetch(name, { cache: 'no-cache' });
    const digest = await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer());
    const hex = Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('');
    if (!response.ok || hex !== sum) throw new Error(`${name} is not the file of this release`);
    await cache.put(name, response);
  }));
}
