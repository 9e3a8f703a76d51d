// The portable maths functions give the same bits natively and in the
// WebAssembly build, over four million arguments per function.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import test from 'node:test';
import { NativeBuild, WebBuild, mustExist } from './support.mjs';

test('sin, cos, atan und hypot: WebAssembly wie nativ', () => {
  const native = path.join(NativeBuild, 'tests', 'zak_math_digest');
  const web = path.join(WebBuild, 'zak_math_digest.js');
  mustExist(native, 'build/ bauen');
  mustExist(web, 'cmake --build --preset web');
  const count = '4000000';
  const expected = execFileSync(native, [count], { encoding: 'utf8' });
  const got = execFileSync(process.execPath, ['--no-experimental-fetch', web, count], { encoding: 'utf8' });
  assert.match(expected, /^sin [0-9a-f]{16}\ncos [0-9a-f]{16}\natan [0-9a-f]{16}\nhypot [0-9a-f]{16}\n$/);
  assert.equal(got, expected);
});
