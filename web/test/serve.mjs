// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The built site served on 127.0.0.1 at a free port, for the page's test
// and benchmark: resolves to the server, whose url is its address.
import { createReadStream } from "node:fs";
import { createServer } from "node:http";
import { extname, join } from "node:path";

const types = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm" };

export async function serveSite(site) {
  const server = createServer((request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
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
