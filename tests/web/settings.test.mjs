// A settings file reads the same in the browser as on the desktop: 400
// random and broken zak.set files (valid ones, reordered and foreign keys,
// mutated bytes, careless escapes, binary garbage, huge tokens, non-ASCII
// text in both encodings, odd font sizes), written by the native test
// program together with what the desktop's settings dialog read from each
// through a real file, are read by the WebAssembly module as the page reads
// a teacher's file; every setting must come out the same.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';

import { NativeBuild, WebBuild, mustExist, tempDir } from './support.mjs';

test('Einstellungsdateien: WebAssembly liest wie der Desktop', async () => {
  const binary = path.join(NativeBuild, 'tests', 'test_app');
  mustExist(binary, 'cmake --build build --target test_app');
  mustExist(path.join(WebBuild, 'zak.mjs'), 'cmake --build --preset web');
  const dir = tempDir('settings');
  const result = spawnSync(binary, ['--gtest_filter=SettingsFileTest.WrittenForTheBrowserBuild'], {
    env: { ...process.env, ZAK_SETTINGS_FILES_DIR: dir, QT_QPA_PLATFORM: 'offscreen' }, encoding: 'utf8' });
  assert.equal(result.status, 0, result.stdout + result.stderr);

  const { loadCore } = await import(path.join(WebBuild, 'zak.mjs'));
  const core = await loadCore();
  const hex = (text) => Buffer.from(text, 'utf8').toString('hex');
  const files = fs.readdirSync(dir).filter((name) => name.endsWith('.set')).sort();
  assert.equal(files.length, 400);
  const differences = [];
  for (const name of files) {
    const bytes = fs.readFileSync(path.join(dir, name));
    const s = core.readSettingsFile(new Uint8Array(bytes));
    const got = `password ${hex(s.password)}\noption ${s.noAttributeAssignment}\n` +
                `directory ${hex(s.workingDirectory)}\nfontsize ${s.fontSize}\n`;
    const expected = fs.readFileSync(path.join(dir, name.replace(/\.set$/, '.txt')), 'utf8');
    if (got !== expected) differences.push(`${name}:\n${got}statt\n${expected}`);
  }
  fs.rmSync(dir, { recursive: true, force: true });
  assert.deepEqual(differences.slice(0, 5), [], `${differences.length} von ${files.length} Dateien verschieden`);
});
