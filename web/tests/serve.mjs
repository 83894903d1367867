// A static file server for the built site on the loopback address, for the
// browser check (and by hand: node web/tests/serve.mjs build-web/site 8000).
// Serves files only from the folder, with the types browsers insist on
// (application/wasm for WebAssembly.compileStreaming, JavaScript modules).
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.gz': 'application/gzip',
};

// Resolves to {server, url} once listening on 127.0.0.1 (port 0: any free one).
export function serve(root, port = 0) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    let file = path.normalize(path.join(base, decodeURIComponent(url.pathname)));
    if (!file.startsWith(base)) {
      response.writeHead(403).end();
      return;
    }
    if (file.endsWith(path.sep)) file = path.join(file, 'index.html');
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404, { 'content-type': 'text/plain' }).end('not found');
        return;
      }
      response.writeHead(200, {
        'content-type': kTypes[path.extname(file)] || 'application/octet-stream',
        'cache-control': 'no-cache',
      });
      response.end(data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [root = 'build-web/site', port = '8000'] = process.argv.slice(2);
  const { url } = await serve(root, Number(port));
  console.log(`serving ${root} at ${url} (Ctrl-C ends it)`);
}
