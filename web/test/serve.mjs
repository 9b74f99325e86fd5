// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The built site served on 127.0.0.1 at a free port, for the page's test
// and benchmarks, under the strict policy the page declares for itself:
// resolves to the server, whose url is its address. `intercept(path,
// response)`, where given, may answer a request itself (a fault, a delay):
// it returns true, or a promise of true, where it did.
import { createReadStream } from "node:fs";
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

const policy = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'";

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
  ".png": "image/png", ".webmanifest": "application/manifest+json",
};

export async function serveSite(site, intercept = () => false) {
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
    response.setHeader("Content-Security-Policy", policy);
    if (await intercept(path, response)) return;
    const file = join(site, path === "/" ? "index.html" : path.replace(/\.\./g, ""));
    const stream = createReadStream(file);
    stream.on("error", () => response.writeHead(404).end());
    stream.on("open", () => {
      response.writeHead(200, { "Content-Type": types[extname(file)] ?? "application/octet-stream" });
      stream.pipe(response);
    });
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  server.url = `http://127.0.0.1:${server.address().port}/`;
  return server;
}
