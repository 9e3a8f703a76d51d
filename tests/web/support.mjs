// What the browser build's tests share: where the builds are, the programs
// to compare, running the native zak, and reading PNG pictures.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { spawn, spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

export const SourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
export const NativeBuild = process.env.ZAK_NATIVE_BUILD ?? path.join(SourceDir, 'build');
export const WebBuild = process.env.ZAK_WEB_BUILD ?? path.join(SourceDir, 'build-web');
export const NativeZak = path.join(NativeBuild, 'zak');

export function mustExist(file, hint) {
  if (!fs.existsSync(file)) throw new Error(`${file} fehlt: ${hint}`);
}

export function tempDir(name) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `zak-web-${name}-`));
}

function zakFiles(dir, recursive) {
  const out = [];
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory() && recursive) out.push(...zakFiles(full, true));
    else if (entry.isFile() && entry.name.endsWith('.zak')) out.push(full);
  }
  return out.sort();
}

// The extra arguments a program under tests/programs asks for.
function optionsOf(file) {
  const text = fs.readFileSync(file, 'latin1');
  const match = /^\/\/ optionen: (.*)$/m.exec(text);
  return match ? match[1].trim().split(/\s+/) : [];
}

// The random programs of the core's generator (a fixed seed), written by the
// native test binary.
export function randomPrograms() {
  const dir = tempDir('random');
  const binary = path.join(NativeBuild, 'tests', 'test_core');
  mustExist(binary, 'cmake --build build --target test_core');
  const result = spawnSync(binary, ['--gtest_filter=RandomPrograms.WrittenForTheBrowserBuild'], {
    env: { ...process.env, ZAK_RANDOM_PROGRAMS_DIR: dir }, encoding: 'utf8' });
  if (result.status !== 0) throw new Error('Die Zufallsprogramme fehlen:\n' + result.stdout + result.stderr);
  return zakFiles(dir, false).map((file) => ({
    file, name: 'random/' + path.basename(file),
    // A random program may run for ever; the core's own test stops at 3000.
    options: ['--max-steps', '3000', ...(file.endsWith('-forbid.zak') ? ['--forbid-attribute-assignment'] : [])],
  }));
}

export function fixedPrograms() {
  const named = (dir, recursive) => zakFiles(path.join(SourceDir, dir), recursive).map((file) => ({
    file, name: path.relative(SourceDir, file), options: optionsOf(file) }));
  return [...named('tests/programs', true), ...named('tests/check', false), ...named('examples', false)];
}

// Runs the native zak; resolves to {status, stdout, stderr}.
export function runNative(args, cwd) {
  return new Promise((resolve) => {
    const child = spawn(NativeZak, args, { cwd, env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
    const out = [], err = [];
    child.stdout.on('data', (d) => out.push(d));
    child.stderr.on('data', (d) => err.push(d));
    child.on('close', (status) => resolve({ status, stdout: Buffer.concat(out).toString('utf8'),
                                            stderr: Buffer.concat(err).toString('utf8') }));
  });
}

// Runs the jobs (functions returning promises) at most `width` at a time.
export async function pool(jobs, width) {
  const results = new Array(jobs.length);
  let next = 0;
  await Promise.all(Array.from({ length: width }, async () => {
    while (next < jobs.length) {
      const i = next++;
      results[i] = await jobs[i]();
    }
  }));
  return results;
}

// The pixels of an 8-bit RGB or RGBA PNG as 0xRRGGBB numbers.
export function readPng(file) {
  const bytes = fs.readFileSync(file);
  let at = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const kind = bytes.toString('latin1', at + 4, at + 8);
    const data = bytes.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      type = data[9];
      if (data[8] !== 8 || (type !== 2 && type !== 6) || data[12] !== 0) throw new Error(`${file}: PNG-Art nicht lesbar`);
    } else if (kind === 'IDAT') {
      idat.push(data);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const pixels = new Uint32Array(width * height);
  let prev = Buffer.alloc(stride), pos = 0;
  for (let y = 0; y < height; ++y) {
    const filter = raw[pos++];
    const line = Buffer.from(raw.subarray(pos, pos + stride));
    pos += stride;
    for (let i = 0; i < stride; ++i) {
      const a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      let add = 0;
      if (filter === 1) add = a;
      else if (filter === 2) add = b;
      else if (filter === 3) add = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        add = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = (line[i] + add) & 0xFF;
    }
    for (let x = 0; x < width; ++x)
      pixels[y * width + x] = (line[x * bpp] << 16) | (line[x * bpp + 1] << 8) | line[x * bpp + 2];
    prev = line;
  }
  return { width, height, pixels };
}

// The first differing pixels of two pictures, as a short text; '' when equal.
export function pictureDifference(a, b) {
  if (a.width !== b.width || a.height !== b.height) return `Größe ${a.width}x${a.height} statt ${b.width}x${b.height}`;
  const diffs = [];
  let count = 0;
  for (let i = 0; i < a.pixels.length; ++i)
    if (a.pixels[i] !== b.pixels[i]) {
      if (diffs.length < 5) diffs.push(`(${i % a.width},${Math.floor(i / a.width)}) ` +
        `${a.pixels[i].toString(16)} statt ${b.pixels[i].toString(16)}`);
      ++count;
    }
  return count ? `${count} Pixel verschieden, zuerst ${diffs.join(', ')}` : '';
}
