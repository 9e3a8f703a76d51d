// The WebAssembly build against the native zak: every program of
// tests/programs, tests/check and examples and 500 random programs of the
// core's generator give the same `--run --vars --json --png` output (standard
// output and error, exit status, pictures pixel for pixel) and the same
// `--check` hint through `build-web/zak.mjs` as through `build/zak`. The
// module is loaded once; the native zak runs as a process per program.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

import { NativeZak, WebBuild, fixedPrograms, mustExist, pictureDifference, pool,
         randomPrograms, readPng, runNative, tempDir } from './support.mjs';

mustExist(NativeZak, 'cmake --build build --target zak');
mustExist(path.join(WebBuild, 'zak.mjs'), 'cmake --preset web && cmake --build --preset web');
const { runMain, loadCore } = await import(path.join(WebBuild, 'zak.mjs'));
await loadCore();

// Runs the twin in this process, in `cwd`.
async function runWeb(args, cwd) {
  const out = [], err = [];
  const before = process.cwd();
  process.chdir(cwd);
  try {
    const status = await runMain(args, (l) => out.push(l + '\n'), (l) => err.push(l + '\n'));
    return { status, stdout: out.join(''), stderr: err.join('') };
  } finally {
    process.chdir(before);
  }
}

async function compare(program, index, root) {
  const problems = [], pictureProblems = [];
  const forbid = program.options.includes('--forbid-attribute-assignment') ? ['--forbid-attribute-assignment'] : [];
  const runArgs = ['--run', program.file, '--vars', '--json', '--png', 'bilder', ...program.options];
  const checkArgs = ['--check', program.file, ...forbid];
  const nativeDir = path.join(root, `native-${index}`), webDir = path.join(root, `web-${index}`);
  fs.mkdirSync(nativeDir);
  fs.mkdirSync(webDir);
  const [nativeRun, nativeCheck] = [await runNative(runArgs, nativeDir), await runNative(checkArgs, nativeDir)];
  const webRun = await runWeb(runArgs, webDir);
  const webCheck = await runWeb(checkArgs, webDir);
  const same = (what, a, b) => { if (a !== b) problems.push(`${what}:\n  web:    ${JSON.stringify(a)}\n  nativ:  ${JSON.stringify(b)}`); };
  same('--run Status', webRun.status, nativeRun.status);
  same('--run Ausgabe', webRun.stdout, nativeRun.stdout);
  same('--run Fehlerausgabe', webRun.stderr, nativeRun.stderr);
  same('--check Status', webCheck.status, nativeCheck.status);
  same('--check Ausgabe', webCheck.stdout, nativeCheck.stdout);
  same('--check Fehlerausgabe', webCheck.stderr, nativeCheck.stderr);
  {
    const pictures = (dir) => fs.existsSync(path.join(dir, 'bilder')) ? fs.readdirSync(path.join(dir, 'bilder')).sort() : [];
    same('Bilder', pictures(webDir).join(' '), pictures(nativeDir).join(' '));
    for (const name of pictures(nativeDir)) {
      if (!fs.existsSync(path.join(webDir, 'bilder', name))) continue;
      const difference = pictureDifference(readPng(path.join(webDir, 'bilder', name)),
                                           readPng(path.join(nativeDir, 'bilder', name)));
      if (difference) pictureProblems.push(`${name}: ${difference}`);
    }
  }
  fs.rmSync(nativeDir, { recursive: true, force: true });
  fs.rmSync(webDir, { recursive: true, force: true });
  return { problems, pictureProblems };
}

async function compareAll(t, programs) {
  const root = tempDir('diff');
  // Two native runs at a time: the twin runs in this process meanwhile.
  const results = await pool(programs.map((program, i) => () => compare(program, i, root)), Math.max(2, os.availableParallelism?.() ?? 2));
  fs.rmSync(root, { recursive: true, force: true });
  const failures = [];
  programs.forEach((program, i) => {
    const { problems, pictureProblems } = results[i];
    problems.push(...pictureProblems);
    if (problems.length > 0) failures.push(`${program.name}\n${problems.join('\n')}`);
  });
  assert.equal(failures.length, 0, `${failures.length} von ${programs.length} Programmen weichen ab:\n` +
                                   failures.join('\n\n'));
}

const fixed = fixedPrograms();
for (const group of ['tests/programs', 'tests/check', 'examples'])
  test(`${group}: WebAssembly wie nativ`, (t) => compareAll(t, fixed.filter((p) => p.name.startsWith(group + '/'))));

test('500 Zufallsprogramme: WebAssembly wie nativ', (t) => compareAll(t, randomPrograms()));
