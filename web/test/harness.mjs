// What the browser tests share: a static server for build-web/www, headless
// Chromium driven by puppeteer-core, and the core itself under Node to
// compare the page's pictures with.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { readPng as readPngPixels } from '../../tests/web/support.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '..', '..');
export const www = process.env.ZAK_WWW || path.join(root, 'build-web', 'www');
export const chromium = process.env.CHROMIUM || '/usr/bin/chromium';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.json': 'application/json', '.svg': 'image/svg+xml', '.webmanifest': 'application/manifest+json',
  '.png': 'image/png' };

export function serve() {
  const server = http.createServer((req, res) => {
    let file = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (file.endsWith('/')) file += 'index.html';
    const full = path.join(www, path.normalize(file));
    if (!full.startsWith(www) || !fs.existsSync(full) || fs.statSync(full).isDirectory()) {
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200, { 'Content-Type': types[path.extname(full)] || 'application/octet-stream', 'Cache-Control': 'no-cache' });
    fs.createReadStream(full).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

export async function launch() {
  return puppeteer.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'] });
}

// A page of ZAK, ready to type into; without the File System Access API,
// so that saving goes through a download into `downloads`.
// Each test in its own browser context (storage, service worker), its tabs sharing it.
export async function openPage(context, url, { downloads, keepFilePickers = false } = {}) {
  const page = await context.newPage();
  await page.setViewport({ width: 1024, height: 700 });
  page.on('pageerror', (e) => console.log('Fehler auf der Seite:', e.message));
  if (!keepFilePickers) {
    await page.evaluateOnNewDocument(() => { delete window.showOpenFilePicker; delete window.showSaveFilePicker; });
  }
  if (downloads) {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads,
      ...(context.id ? { browserContextId: context.id } : {}) });
  }
  await page.goto(url);
  await page.waitForSelector('body[data-ready="1"]', { timeout: 20000 });
  return page;
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function waitFor(page, fn, arg, timeout = 10000) {
  await page.waitForFunction(fn, { timeout, polling: 10 }, arg);
}

// The core under Node, once.
let corePromise = null;
export function core() {
  if (!corePromise) {
    const require = createRequire(import.meta.url);
    const ZakCore = require(path.join(www, 'zak-core.js'));
    corePromise = ZakCore({ print() {}, printErr() {}, wasmBinary: fs.readFileSync(path.join(www, 'zak-core.wasm')) }).then((c) => {
      const fontDir = path.join(www, 'fonts');
      c.FS.mkdirTree('/fonts');
      for (const name of fs.readdirSync(fontDir).filter((n) => /\.(ttf|otf)$/i.test(n))) {
        c.FS.writeFile('/fonts/' + name, fs.readFileSync(path.join(fontDir, name)));
      }
      return c;
    });
  }
  return corePromise;
}

// The pictures of a run of `lines` to its end, as 0xRRGGBB per pixel.
export async function corePictures(lines) {
  const c = await core();
  const s = new c.WebSession();
  const list = new c.StringList();
  for (const line of lines) list.push_back(line);
  s.loadLines(list);
  list.delete();
  s.start(false, 1024);
  s.runCalls(1e8, 0);
  s.settlePaints();
  const out = [];
  for (let i = 0; i < s.windowCount(); i++) {
    const info = s.window(i);
    out.push({ width: info.pixelWidth, height: info.pixelHeight, rgb: Array.from(s.windowRgb(i), (p) => p & 0xffffff) });
  }
  s.delete();
  return out;
}

// A PNG as zak --run --png writes it, as 0xRRGGBB per pixel.
export function readPng(file) {
  const { width, height, pixels } = readPngPixels(file);
  return { width, height, rgb: Array.from(pixels) };
}

// The page's picture of window `index` as 0xRRGGBB per pixel.
export async function pagePicture(page, index) {
  return page.evaluate((i) => {
    const w = window.zak.windows.get(i);
    const data = w.ctx.getImageData(0, 0, w.width, w.height).data;
    const rgb = new Array(w.width * w.height);
    for (let k = 0; k < rgb.length; k++) rgb[k] = (data[k * 4] << 16) | (data[k * 4 + 1] << 8) | data[k * 4 + 2];
    return { width: w.width, height: w.height, rgb };
  }, index);
}

export function samePicture(a, b) {
  if (a.width !== b.width || a.height !== b.height) return `Größe ${a.width}x${a.height} statt ${b.width}x${b.height}`;
  let differ = 0, first = -1;
  for (let i = 0; i < a.rgb.length; i++) if (a.rgb[i] !== b.rgb[i]) { differ++; if (first < 0) first = i; }
  return differ ? `${differ} Pixel verschieden, das erste bei (${first % a.width}, ${Math.floor(first / a.width)})` : '';
}
