// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The built site served on 127.0.0.1 at a free port, for the page's test
// and benchmarks, under the strict policy the page declares for itself (its
// index.html's, sent as a header too, as a server would): resolves to the
// server, whose url is its address. `intercept(path, response)`, where
// given, may answer a request itself (a fault, a delay): it returns true,
// or a promise of true, where it did. `inject`, where given, is a script of
// the test's that the page runs before its own: served from the site's
// origin, so that the page's policy allows it, and named first in its head.
import { createReadStream, readFileSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join } from "node:path";

// Headless Chromium (Debian's) as the test and the benchmarks start it,
// with none of its own background traffic.
export const chromium = {
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync"],
};


const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
  ".png": "image/png", ".webmanifest": "application/manifest+json",
};

export async function serveSite(site, { intercept = () => false, inject = null, base = "/" } = {}) {
  const policy = readFileSync(join(site, "index.html"), "utf8")
    .match(/http-equiv="Content-Security-Policy"\s+content="([^"]*)"/)[1];
  const server = createServer(async (request, response) => {
    const url = new URL(request.url, "http://localhost").pathname;
    response.setHeader("Content-Security-Policy", policy);
    if (!url.startsWith(base)) {
      response.writeHead(404).end();
      return;
    }
    const path = `/${url.slice(base.length)}`;
    if (await intercept(path, response)) return;
    if (inject && path === "/test-first.js") {
      response.writeHead(200, { "Content-Type": types[".js"] }).end(inject);
      return;
    }
    if (inject && (path === "/" || path === "/index.html")) {
      const page = readFileSync(join(site, "index.html"), "utf8")
        .replace("<head>", '<head>\n  <script src="test-first.js"></script>');
      response.writeHead(200, { "Content-Type": types[".html"] }).end(page);
      return;
    }
    const file = join(site, path === "/" ? "index.html" : path.replace(/\.\./g, ""));
    const stream = createReadStream(file);
    stream.on("error", () => response.writeHead(404).end());
    stream.on("open", () => {
      response.writeHead(200, { "Content-Type": types[extname(file)] ?? "application/octet-stream" });
      stream.pipe(response);
    });
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  server.url = `http://127.0.0.1:${server.address().port}${base}`;
  return server;
}
