// A static server for the built page on 127.0.0.1, for `make web-serve` and
// the tests: node web/serve.mjs SITE_DIR [PORT] (PORT 0 picks a free one).
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.png': 'image/png',
  '.wav': 'audio/wav',
};

// The file under `root` that a request path names, or null.
function FileOf(root, url) {
  let path;
  try {
    path = decodeURIComponent(new URL(url, 'http://host').pathname);
  } catch {
    return null;
  }
  if (path.endsWith('/')) path += 'index.html';
  const file = normalize(join(root, path));
  if (file !== root && !file.startsWith(root + sep)) return null;
  try {
    return statSync(file).isFile() ? file : null;
  } catch {
    return null;
  }
}

// Serves `root`; resolves to { url, bytes(), close() }, bytes() counting
// the body bytes sent so far.
export function Serve(root, port = 0) {
  const top = resolve(root);
  let sent = 0;
  const server = createServer((request, response) => {
    const file = request.method === 'GET' || request.method === 'HEAD' ? FileOf(top, request.url) : null;
    if (file === null) {
      response.writeHead(404, { 'content-type': 'text/plain' }).end('not found\n');
      return;
    }
    const size = statSync(file).size;
    // No cross-origin isolation headers: the page needs none, and they
    // would cost every load a process switch (about 50 ms in chromium).
    response.writeHead(200, {
      'content-type': kTypes[extname(file)] ?? 'application/octet-stream',
      'content-length': size,
      'cache-control': 'no-cache',
    });
    if (request.method === 'HEAD') return response.end();
    sent += size;
    createReadStream(file).pipe(response);
  });
  return new Promise((done, failed) => {
    server.once('error', failed);
    server.listen(port, '127.0.0.1', () => {
      done({
        url: `http://127.0.0.1:${server.address().port}/`,
        bytes: () => sent,
        close: () => new Promise((closed) => {
          server.close(closed);
          server.closeAllConnections();
        }),
      });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [root, port = '8000'] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node serve.mjs SITE_DIR [PORT]');
    process.exit(2);
  }
  const site = await Serve(root, Number(port));
  console.log(`Serving ${resolve(root)} at ${site.url} (Ctrl+C stops)`);
}
