// The page works offline once visited: every file of the site is kept in a
// cache named after this build (scripts/build-web.sh fills in the digest and
// the list), answered from there first, and the caches of older builds are
// removed when this one takes over.
const CACHE = 'quillet-k3-@SITE_DIGEST@';
const FILES = @SITE_FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((keys) => Promise.all(keys.filter((k) => k.startsWith('quillet-k3-') && k !== CACHE).map((k) => caches.delete(k))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const url = new URL(event.request.url);
  if (url.origin !== location.origin) return;
  // The address carries the settings: every address of the page is the page.
  const request = url.pathname.endsWith('/') ? new Request(new URL('./', url).href) : event.request;
  event.respondWith(
    caches.open(CACHE).then((cache) =>
      cache.match(request, { ignoreSearch: true }).then((hit) => hit || fetch(event.request)),
    ),
  );
});
