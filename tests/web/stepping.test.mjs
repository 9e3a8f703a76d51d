// The API's stepping: a program run in slices of 1, 7 and 1000 calls, single
// steps and ticks, with breakpoints set and cleared on the way, shows the
// same run state, variables, windows and pixels after every slice through the
// WebAssembly module as through the same API compiled natively
// (tests/web/StepDriver.cpp); the page's RGBA view, updated in the changed
// part only, shows the whole picture after every slice. Code completion after every "." and ":" of the
// programs offers the same proposals in both.
import assert from 'node:assert/strict';
import path from 'node:path';
import fs from 'node:fs';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';

import { NativeBuild, WebBuild, fixedPrograms, mustExist } from './support.mjs';

const driver = path.join(NativeBuild, 'tests', 'zak_web_step');
mustExist(driver, 'cmake --build build --target zak_web_step');
const { loadCore } = await import(path.join(WebBuild, 'zak.mjs'));
const core = await loadCore();

function pixelHash(pixels) {
  let hash = 2166136261;
  for (const p of pixels) hash = Math.imul(hash ^ p, 16777619) >>> 0;
  return hash >>> 0;
}

function toArray(list) {
  const out = [];
  for (let i = 0; i < list.size(); ++i) out.push(list.get(i));
  list.delete();
  return out;
}

function runWeb(file, ops) {
  const session = new core.WebSession();
  const lines = [];
  try {
    session.loadFile(fs.readFileSync(file)).lines.delete();
    core.WebSession.setRandomSeed(0);
    session.start(false, 1024);
    for (const op of ops) {
      let report;
      const [kind, a, b] = op.split(':');
      if (kind === 'run') report = session.runCalls(Number(a), 0);
      else if (kind === 'tick') report = session.runStatements(Number(a), 100, 0);
      else if (kind === 'step') report = session.step();
      else { session.setBreakpoint(Number(a), b === '1'); report = session.report(); }
      session.settlePaints();
      let line = `${report.state.value} ${report.line} ${report.totalCalls} ${report.error.itemText}|`;
      for (const cell of toArray(session.variables(true))) line += cell + '\x1f';
      line += '|';
      for (let i = 0; i < session.windowCount(); ++i) {
        const w = session.window(i);
        // The page's RGBA view, brought up to date in the changed part only,
        // must show the whole picture.
        const rgb = session.windowRgb(i), rgba = session.windowPixels(i);
        for (let k = 0; k < rgb.length; ++k)
          if (rgba[4 * k] !== (rgb[k] >>> 16 & 0xFF) || rgba[4 * k + 1] !== (rgb[k] >>> 8 & 0xFF) ||
              rgba[4 * k + 2] !== (rgb[k] & 0xFF) || rgba[4 * k + 3] !== 0xFF) {
            lines.push(`RGBA-Ansicht weicht ab bei Pixel ${k} nach ${op}`);
            break;
          }
        line += `${w.title} ${w.left} ${w.top} ${w.width} ${w.height} ${w.pixelWidth} ${w.pixelHeight} ` +
                `${pixelHash(session.windowRgb(i))};`;
      }
      lines.push(line);
    }
  } finally {
    session.delete();
  }
  return lines;
}

// A fixed script of slices and breakpoint changes for a program of `count` lines.
function script(count, seed) {
  let state = seed;
  const next = (n) => { state = (Math.imul(state, 1103515245) + 12345) >>> 0; return (state >>> 8) % n; };
  const ops = [];
  for (let i = 0; i < 40; ++i) {
    const r = next(10);
    if (r < 2 && count > 0) ops.push(`bp:${next(count)}:${next(2)}`);
    else if (r < 5) ops.push('run:1');
    else if (r < 7) ops.push('run:7');
    else if (r < 8) ops.push('run:1000');
    else if (r < 9) ops.push('step');
    else ops.push('tick:10');
  }
  return ops;
}

test('Schritte, Scheiben und Haltepunkte: WebAssembly wie nativ', () => {
  const programs = fixedPrograms().filter((p, i) => p.name.startsWith('examples/') || i % 5 === 0);
  const failures = [];
  programs.forEach((program, index) => {
    const count = fs.readFileSync(program.file, 'latin1').split(/\r\n|\r|\n/).length;
    const ops = script(count, 1000 + index);
    const native = spawnSync(driver, [program.file, ...ops], { encoding: 'utf8', maxBuffer: 1 << 28 });
    if (native.status !== 0) { failures.push(`${program.name}: Treiber ${native.status} ${native.stderr}`); return; }
    const expected = native.stdout.split('\n').slice(0, -1);
    const got = runWeb(program.file, ops);
    for (let i = 0; i < ops.length; ++i)
      if (got[i] !== expected[i]) {
        failures.push(`${program.name} nach ${ops.slice(0, i + 1).join(' ')}:\n  web:   ${got[i]}\n  nativ: ${expected[i]}`);
        break;
      }
  });
  assert.equal(failures.length, 0, failures.join('\n\n'));
});

test('Vervollständigung: WebAssembly wie nativ', () => {
  const failures = [];
  for (const program of fixedPrograms().filter((p, i) => p.name.startsWith('examples/') || i % 3 === 0)) {
    const native = spawnSync(driver, ['--complete', program.file], { encoding: 'utf8', maxBuffer: 1 << 28 });
    const session = new core.WebSession();
    const got = [];
    try {
      session.loadFile(fs.readFileSync(program.file)).lines.delete();
      for (const line of toArray(session.lines()))
        for (let i = 0; i < line.length; ++i) {
          if (line[i] !== '.' && line[i] !== ':') continue;
          const completion = session.complete(line, i + 1);
          let text = String(completion.startColumn);
          for (let k = 0; k < completion.proposals.size(); ++k) {
            const p = completion.proposals.get(k);
            text += ` ${p.kind}${p.insertText}/${p.description}`;
          }
          completion.proposals.delete();
          got.push(text);
        }
    } finally {
      session.delete();
    }
    const expected = native.stdout.split('\n').slice(0, -1);
    if (native.status !== 0 || got.join('\n') !== expected.join('\n'))
      failures.push(`${program.name}:\n  web:   ${got.join(' | ').slice(0, 400)}\n  nativ: ${expected.join(' | ').slice(0, 400)}`);
  }
  assert.equal(failures.length, 0, failures.join('\n\n'));
});
