// Bundles the page into build-web/www/ beside the core that the CMake web
// build put there: index.html, styles, app.js and the two workers, the
// examples with their list, the fonts' list, the service worker and manifest.
//   node web/build.mjs [--out DIR]
import * as esbuild from 'esbuild';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.dirname(here);
const outIndex = process.argv.indexOf('--out');
const out = outIndex > 0 ? path.resolve(process.argv[outIndex + 1]) : path.join(root, 'build-web', 'www');

if (!fs.existsSync(path.join(out, 'zak-core.js')) || !fs.existsSync(path.join(out, 'zak-core.wasm'))) {
  console.error(`Der WebAssembly-Kern fehlt in ${out}: zuerst cmake --preset web && cmake --build build-web`);
  process.exit(1);
}

await esbuild.build({
  entryPoints: {
    app: path.join(here, 'src', 'main.js'),
    'run-worker': path.join(here, 'src', 'run-worker.js'),
    'check-worker': path.join(here, 'src', 'check-worker.js'),
  },
  bundle: true,
  format: 'iife',
  target: ['chrome100', 'safari15', 'firefox100'],
  minify: true,
  sourcemap: false,
  outdir: out,
  logLevel: 'warning',
});

for (const name of ['index.html', 'style.css', 'sw.js', 'manifest.webmanifest']) {
  const from = path.join(here, 'src', name);
  if (fs.existsSync(from)) fs.copyFileSync(from, path.join(out, name));
}

// ZAK's icon for the tab and the home screen: the emblem itself, and the
// PNGs that home screens ask for (made by tools/web-icons.sh).
fs.copyFileSync(path.join(root, 'data', 'zak.svg'), path.join(out, 'icon.svg'));
fs.mkdirSync(path.join(out, 'icons'), { recursive: true });
const icons = fs.readdirSync(path.join(here, 'icons')).filter((n) => n.endsWith('.png')).sort();
for (const name of icons) fs.copyFileSync(path.join(here, 'icons', name), path.join(out, 'icons', name));

// The examples as the desktop offers them, with their list.
const examples = path.join(out, 'examples');
fs.mkdirSync(examples, { recursive: true });
const names = fs.readdirSync(path.join(root, 'examples')).filter((n) => n.endsWith('.zak')).sort();
for (const name of names) fs.copyFileSync(path.join(root, 'examples', name), path.join(examples, name));
fs.writeFileSync(path.join(examples, 'index.json'), JSON.stringify(names));

// The fonts the core's text canvas loads by name.
const fonts = path.join(out, 'fonts');
fs.mkdirSync(fonts, { recursive: true });
const fontNames = fs.readdirSync(fonts).filter((n) => /\.(ttf|otf)$/i.test(n)).sort();
fs.writeFileSync(path.join(fonts, 'index.json'), JSON.stringify(fontNames));

// The service worker's list of what a lesson needs offline; its version
// changes with the files, so a new build is taken at the next start.
const cached = ['./', 'index.html', 'style.css', 'app.js', 'run-worker.js', 'check-worker.js', 'zak-core.js',
  'zak-core.wasm', 'manifest.webmanifest', 'icon.svg', 'examples/index.json', 'fonts/index.json',
  ...icons.map((n) => 'icons/' + n), ...names.map((n) => 'examples/' + n), ...fontNames.map((n) => 'fonts/' + n)];
let stamp = 0;
for (const file of cached) {
  const p = path.join(out, file);
  if (file !== './' && fs.existsSync(p)) stamp = (stamp * 31 + fs.statSync(p).size + Math.floor(fs.statSync(p).mtimeMs)) % 2147483647;
}
fs.writeFileSync(path.join(out, 'sw-files.js'),
  `self.ZAK_FILES = ${JSON.stringify(cached)};\nself.ZAK_VERSION = 'zak-${stamp}';\n`);
console.log(`Seite gebaut: ${out}`);
