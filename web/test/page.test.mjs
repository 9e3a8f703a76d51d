// The page as a pupil uses it, in headless Chromium: typing with the
// automatic indentation and the check's hint, the desktop editor's keys and
// undo (against the desktop editor itself), running to the picture,
// breakpoints, pause, step and stop in an endless loop, the program file's
// bytes, the journal after a reload and the page without network.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { serve, launch, openPage, sleep, waitFor, corePictures, readPng, pagePicture, samePicture, root } from './harness.mjs';

let server, browser, url;

before(async () => {
  server = await serve();
  url = `http://127.0.0.1:${server.address().port}/`;
  browser = await launch();
});

after(async () => {
  await browser?.close();
  server?.close();
});

const lines = (page) => page.evaluate(() => window.zak.editor.lines());
const report = (page) => page.evaluate(() => window.zak.lastReport);

// A finger pressed at `from`, moved in a few steps to `to`, held there a
// moment and lifted (lifted while still moving, headless Chromium takes it
// for a fling, and the fling swallows the next tap).
async function touchDrag(page, from, to) {
  await page.touchscreen.touchStart(from.x, from.y);
  for (let k = 1; k <= 4; k++) {
    await page.touchscreen.touchMove(from.x + (to.x - from.x) * k / 4, from.y + (to.y - from.y) * k / 4);
  }
  await sleep(80);
  await page.touchscreen.touchMove(to.x, to.y);
  await page.touchscreen.touchEnd();
}

async function centre(page, selector) {
  return page.$eval(selector, (e) => { const r = e.getBoundingClientRect(); return { x: r.left + r.width / 2, y: r.top + r.height / 2 }; });
}

const rect = (page, selector) => page.$eval(selector, (e) => e.getBoundingClientRect().toJSON());

// The picture a canvas shows, as 0xRRGGBB per pixel.
const canvasPicture = (page, selector) => page.$eval(selector, (c) => {
  const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  const rgb = new Array(c.width * c.height);
  for (let k = 0; k < rgb.length; k++) rgb[k] = (data[k * 4] << 16) | (data[k * 4 + 1] << 8) | data[k * 4 + 2];
  return { width: c.width, height: c.height, rgb };
});

// The title a panel shows with the mouse over pixel (x, y) of its canvas.
async function titleOver(page, panel, x, y) {
  const box = await rect(page, `${panel} canvas`);
  await page.mouse.move(box.left + x + 0.5, box.top + y + 0.5);
  return page.$eval(`${panel} .name`, (n) => n.textContent);
}

async function clickGutter(page, line) {
  const box = await page.evaluate((n) => {
    const view = window.zak.editor.view;
    const rect = view.coordsAtPos(view.state.doc.line(n + 1).from);
    const gutter = document.querySelector('.zk-gutter').getBoundingClientRect();
    return { x: gutter.left + gutter.width / 2, y: (rect.top + rect.bottom) / 2 };
  }, line);
  await page.mouse.click(box.x, box.y);
}

test('a typed program is indented, completed, checked while typing and run to the same picture as the core draws; ' +
  'its windows go by finger and leave the last drawing', async () => {
  const page = await openPage(await browser.createBrowserContext(), url);
  // Before any run the last drawing window has only its note.
  await page.touchscreen.tap(...Object.values(await centre(page, '#bLetztes')));
  await waitFor(page, () => document.getElementById('lastDrawing')?.hidden === false);
  assert.deepEqual(await page.$eval('#lastDrawing canvas', (c) => [c.width, c.height]), [300, 50]);
  await page.touchscreen.tap(...Object.values(await centre(page, '#lastDrawing .close')));
  await waitFor(page, () => document.getElementById('lastDrawing').hidden);
  await page.click('.cm-content');
  // Typed as a pupil types: no indentation, the editor gives it.
  await page.keyboard.type('t: Turtle\ni: integer\nf: Fenster\nf.hintergrundfarbeSetzen(gelb)\n' +
    'wiederhole 90 mal\nt.vor(i * 4)\n');
  // Completion proposes the turtle's methods once the check has seen `t`.
  await sleep(900);
  await page.keyboard.type('t.rechtsd');
  await page.waitForSelector('.cm-tooltip-autocomplete');
  await sleep(150);  // keys within the first moments of the list go to the text
  await page.keyboard.press('Enter');
  await page.keyboard.type('91)\nwenn i > 80 dann\nt.farbeSetzen(rot)\n*wenn\ni := i + 1\n*wiederhole\nt.vor(');
  const expected = ['t: Turtle', 'i: integer', 'f: Fenster', 'f.hintergrundfarbeSetzen(gelb)', 'wiederhole 90 mal',
    '   t.vor(i * 4)', '   t.rechtsdrehen(91)', '   wenn i > 80 dann', '      t.farbeSetzen(rot)', '   *wenn',
    '   i := i + 1', '*wiederhole', 't.vor('];
  assert.deepEqual(await lines(page), expected);
  // The check's hint after a pause in typing, with the line's mark in the gutter.
  await waitFor(page, () => document.querySelector('#errors li')?.textContent.startsWith('Tipp'));
  assert.equal(await page.$$eval('.zk-errmark', (m) => m.length), 1);
  for (let k = 0; k < 7; k++) await page.keyboard.press('Backspace');
  await waitFor(page, () => document.querySelectorAll('#errors li').length === 0 && window.zak.errors.length === 0);
  const program = await lines(page);
  assert.deepEqual(program, expected.slice(0, 12));

  // F9 enters the run mode, F9 again starts.
  await page.keyboard.press('F9');
  await waitFor(page, () => window.zak.lastReport?.state === 'Ready');
  assert.equal(await page.evaluate(() => document.querySelector('.cm-content').contentEditable), 'false');
  await page.keyboard.press('F9');
  await waitFor(page, () => window.zak.lastReport?.state === 'Ended');
  await sleep(100);

  const wanted = await corePictures(program);
  const shown = await page.evaluate(() => window.zak.windows.size);
  assert.equal(shown, wanted.length);
  for (let i = 0; i < wanted.length; i++) {
    assert.equal(samePicture(await pagePicture(page, i), wanted[i]), '', `Fenster ${i + 1}`);
  }
  // The desktop's own picture, where the browser build draws with the raster canvas.
  const zak = process.env.ZAK_NATIVE || path.join(root, 'build', 'zak');
  if (fs.existsSync(zak) && fs.existsSync(path.join(root, 'src', 'graphics', 'raster'))) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zak-page-'));
    fs.writeFileSync(path.join(dir, 'p.zak'), '// ZAK 1.5 - Programm\r\n' + program.join('\r\n') + '\r\n', 'latin1');
    execFileSync(zak, ['--run', path.join(dir, 'p.zak'), '--png', dir], { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
    for (let i = 0; i < wanted.length; i++) {
      assert.equal(samePicture(await pagePicture(page, i), readPng(path.join(dir, `fenster-${i + 1}.png`))), '',
        `Fenster ${i + 1} wie zak --run --png`);
    }
  }

  // A finger moves the window by its title and sizes it by its grip; the
  // drawing takes the new size with the world's origin in its middle again.
  const last = wanted.length - 1;
  const panel = `#windows .zkwin[data-index="${last}"]`;
  const origin = () => page.evaluate((i) => [window.zak.windows.get(i).originX, window.zak.windows.get(i).originY], last);
  // The pixels of the cross through the world's origin, 40 each way.
  const cross = (picture, [ox, oy]) => {
    const out = [];
    for (let d = -40; d <= 40; d++) out.push(picture.rgb[oy * picture.width + ox + d], picture.rgb[(oy + d) * picture.width + ox]);
    return out;
  };
  const crossBefore = cross(await pagePicture(page, last), await origin());
  const before = await rect(page, panel);
  const title = await rect(page, `${panel} .name`);
  const grab = { x: title.left + 20, y: title.top + title.height / 2 };
  await touchDrag(page, grab, { x: grab.x - 150, y: grab.y + 60 });
  const moved = await rect(page, panel);
  assert.deepEqual([moved.left - before.left, moved.top - before.top], [-150, 60]);
  const grip = await centre(page, `${panel} .grip`);
  await touchDrag(page, grip, { x: grip.x - 100, y: grip.y - 80 });
  const sized = await rect(page, panel);
  assert.deepEqual([sized.left, sized.top, Math.round(before.width - sized.width), Math.round(before.height - sized.height)],
    [moved.left, moved.top, 100, 80]);
  await waitFor(page, (sel) => {
    const el = document.querySelector(sel), c = el.querySelector('canvas');
    return c.width === el.clientWidth && c.height === el.clientHeight - el.querySelector('.title').offsetHeight;
  }, panel);
  assert.deepEqual(cross(await pagePicture(page, last), await origin()), crossBefore);
  const shownTitle = await titleOver(page, panel, 20, 30);
  assert.match(shownTitle, / x:-?\d+ y:-?\d+$/);

  // Back to editing by a tap: the windows close, the last of them goes on in the last drawing window.
  const lastShown = await pagePicture(page, last);
  await page.touchscreen.tap(...Object.values(await centre(page, '#bBearbeiten')));
  await waitFor(page, () => document.querySelector('.cm-content').contentEditable === 'true');
  assert.equal(await page.$$eval('#windows .zkwin:not(#lastDrawing)', (l) => l.length), 0);
  await page.touchscreen.tap(...Object.values(await centre(page, '#bLetztes')));
  await waitFor(page, () => document.getElementById('lastDrawing')?.hidden === false);
  assert.equal(samePicture(await canvasPicture(page, '#lastDrawing canvas'), lastShown), '');
  // The same world coordinates as the drawing window showed for the same pixel.
  const lastTitle = await titleOver(page, '#lastDrawing', 20, 30);
  assert.equal(lastTitle, 'Letztes Zeichenfenster' + shownTitle.match(/ x:-?\d+ y:-?\d+$/)[0]);
  await page.touchscreen.tap(...Object.values(await centre(page, '#lastDrawing .close')));

  // An on-screen keyboard takes the lower part of the screen: the layout
  // shrinks to the part left and the caret's line stays in sight.
  await page.click('.cm-content');
  await page.keyboard.down('Control');
  await page.keyboard.press('End');
  await page.keyboard.up('Control');
  await page.setViewport({ width: 1024, height: 330 });
  await waitFor(page, () => Math.round(parseFloat(document.getElementById('app').style.height)) ===
    Math.round(window.visualViewport.height));
  await sleep(100);
  const caret = await page.evaluate(() => {
    const view = window.zak.editor.view;
    const at = view.coordsAtPos(view.state.selection.main.head);
    const scroller = view.scrollDOM.getBoundingClientRect();
    return { top: at.top, bottom: at.bottom, scrollerTop: scroller.top, scrollerBottom: scroller.bottom,
      visible: window.visualViewport.height };
  });
  assert.ok(caret.top >= caret.scrollerTop && caret.bottom <= caret.scrollerBottom && caret.bottom <= caret.visible,
    `die Schreibmarke liegt außerhalb: ${JSON.stringify(caret)}`);
  await page.close();
});

test('the highlighting kept across random edits equals the whole text formatted anew', async () => {
  const page = await openPage(await browser.createBrowserContext(), url);
  const differ = await page.evaluate(() => {
    const pieces = ['wenn i > 1 dann', '*wenn', '{', '}', '{ alt }', '// x', 'solange wahr tue', '*solange', 'sonst',
      '\n', '\n', ' ', 'x := 1', "'text", '*', 'wiederhole 3 mal', '*wiederhole', 'fuer r', '*für'];
    let seed = 12345;
    const random = (n) => {
      seed = (seed + 0x6d2b79f5) | 0;
      let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
      t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
      return ((t ^ (t >>> 14)) >>> 0) % n;
    };
    const view = window.zak.editor.view;
    for (let round = 0; round < 400; round++) {
      const length = view.state.doc.length;
      const from = random(length + 1);
      const to = random(3) === 0 ? Math.min(length, from + random(12)) : from;
      view.dispatch({ changes: { from, to, insert: random(4) === 0 ? '' : pieces[random(pieces.length)] } });
      const n = window.zak.editor.formatsDiffer();
      if (n >= 0) return { round, line: n, text: view.state.doc.toString() };
    }
    return view.state.doc.lines < 20 ? 'zu wenig Text' : null;
  });
  assert.equal(differ, null);
  await page.close();
});

// The same random keys played into the desktop editor (zak_editor_keys) and
// into the page: typing with its automatic indentation, caret keys that keep
// behind the indentation, selections by Shift, Backspace and Delete joining
// lines, Enter, the clipboard keys, and undo and redo with the desktop's
// typing runs and linked steps. Text, caret and selection after every chunk.
test('random keys leave the same text, caret and selection as in the desktop editor', async () => {
  const context = await browser.createBrowserContext();
  await context.overridePermissions(url, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
  const page = await openPage(context, url);
  const program = ['b: integer', 'methode zeichne', '   wenn b > 2 dann', '      b := 1', '      { alt', '      }',
    '      sonst', '      wiederhole 3 mal', '         b := b + 1', '      *wiederhole', '   *wenn', 'ende',
    'wiederhole 2 mal', '   zeichne', '*wiederhole'];
  // Without the check, whose hints would change the editor's height and so
  // the lines the page keys move by.
  await page.evaluate((text) => {
    window.zak.checkWorker.terminate();
    window.zak.editor.setCompletion(false);
    window.zak.editor.setLines(text);
    window.zak.editor.view.focus();
  }, program);
  await sleep(300);  // the panels settle first
  const rows = await page.evaluate(() => window.zak.editor.pageLines());
  let seed = 4711;
  const random = (n) => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) % n;
  };
  const words = ['wenn a dann', '*wenn', 'sonst', 'wiederhole 2 mal', '*wiederhole', 'x := 1', '{', '}', 'ende',
    'methode m'];
  const keys = ['Left', 'Right', 'Up', 'Down', 'Left', 'Right', 'Up', 'Down', 'Home', 'End', 'PageUp', 'PageDown',
    'Enter', 'Backspace', 'Delete', 'Tab', 'Insert'];
  // ZAK_KEYS_CHUNK=1 compares after every key, to find where they part.
  const chunk = Number(process.env.ZAK_KEYS_CHUNK || 10);
  const played = [];
  while (played.length < 450) {
    const r = random(100);
    if (r < 22) played.push('type ' + 'abcxyz 1+'[random(9)]);
    else if (r < 32) {
      for (const ch of words[random(words.length)]) played.push('type ' + ch);
      if (random(2)) played.push('key Enter');
    } else if (r < 64) {
      const mod = ['', '', '', 'Shift+', 'Shift+', 'Ctrl+'][random(6)];
      played.push('key ' + mod + keys[random(keys.length)]);
    } else if (r < 74) played.push('key ' + ['Backspace', 'Enter', 'Delete'][random(3)]);
    else if (r < 82) played.push('undo');
    else if (r < 86) played.push('redo');
    else played.push(['cut', 'copy', 'paste', 'key Shift+Delete', 'key Ctrl+Insert', 'key Shift+Insert', 'paste',
      'copy', 'undo', 'undo', 'undo', 'cut', 'key Shift+Home', 'key Shift+Up'][random(14)]);
  }
  played.splice(played.length / 2, 0, 'selectall', 'copy', 'key End', 'paste');
  const script = played.flatMap((step, i) => ((i + 1) % chunk === 0 || i === played.length - 1 ? [step, 'check'] : [step]));
  // More steps than the history keeps: the oldest are gone.
  script.push(...Array(104).fill('key Enter'), 'check', ...Array(102).fill('undo'), 'check', 'redo', 'redo', 'check');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zak-keys-'));
  fs.writeFileSync(path.join(dir, 'p.zak'), program.join('\n') + '\n');
  fs.writeFileSync(path.join(dir, 'keys'), script.join('\n') + '\n');
  const driver = process.env.ZAK_EDITOR_KEYS || path.join(root, 'build', 'tests', 'zak_editor_keys');
  const desktop = execFileSync(driver, [String(rows), path.join(dir, 'p.zak'), path.join(dir, 'keys')],
    { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' }, stdio: ['ignore', 'pipe', 'ignore'] })
    .toString().trim().split('\n').map((l) => JSON.parse(l));

  const press = async (mods, key) => {
    for (const m of mods) await page.keyboard.down(m);
    await page.keyboard.press(key);
    for (const m of [...mods].reverse()) await page.keyboard.up(m);
  };
  const names = { Left: 'ArrowLeft', Right: 'ArrowRight', Up: 'ArrowUp', Down: 'ArrowDown' };
  const chords = { undo: 'z', redo: 'y', cut: 'x', copy: 'c', paste: 'v', selectall: 'a' };
  let checks = 0;
  const done = [];
  for (const step of script) {
    done.push(step);
    if (step.startsWith('type ')) await page.keyboard.type(step.slice(5));
    else if (step.startsWith('key ')) {
      const parts = step.slice(4).split('+');
      const key = parts.pop();
      await press(parts.map((m) => (m === 'Ctrl' ? 'Control' : m)), names[key] || key);
      await page.evaluate(() => window.zak.editor.pasting());
    } else if (chords[step]) await press(['Control'], chords[step]);
    else {
      const state = await page.evaluate(() => {
        const view = window.zak.editor.view;
        const pos = (p) => { const l = view.state.doc.lineAt(p); return [l.number - 1, p - l.from]; };
        const sel = view.state.selection.main;
        const out = { lines: window.zak.editor.lines(), caret: pos(sel.head) };
        if (!sel.empty) out.selection = [...pos(sel.anchor), ...pos(sel.head)];
        return out;
      });
      assert.deepEqual(state, desktop[checks], `nach ${done.length - checks} Tasten (${rows} Zeilen je Seite):\n${done.filter((d) => d !== 'check').slice(-10).join('\n')}`);
      checks++;
    }
  }
  assert.equal(checks, desktop.length);
  assert.equal(await page.evaluate(() => window.zak.editor.pageLines()), rows);

  // A click into the indentation puts the caret behind it, as the arrow keys
  // do; a double click takes a word, which the underscore ends.
  const at = (pos) => page.evaluate((p) => {
    const rect = window.zak.editor.view.coordsAtPos(p);
    return { x: rect.left + 2, y: (rect.top + rect.bottom) / 2 };
  }, pos);
  const selection = () => page.evaluate(() => {
    const s = window.zak.editor.view.state.selection.main;
    return [s.from, s.to];
  });
  await page.evaluate(() => window.zak.editor.setLines(['wenn a dann', '   alt_wert2 := 1']));
  let box = await at(12);
  await page.mouse.click(box.x, box.y);
  assert.deepEqual(await selection(), [15, 15]);
  box = await at(20);
  await page.mouse.click(box.x, box.y, { count: 2 });
  assert.deepEqual(await selection(), [19, 24]);
  await page.close();
});

test('breakpoint, variables, single step and stop in an endless loop, by keyboard', async () => {
  const page = await openPage(await browser.createBrowserContext(), url);
  await page.click('.cm-content');
  await page.keyboard.type('i: integer\nsolange wahr tue\ni := i + 1\n*solange');
  await clickGutter(page, 2);
  assert.deepEqual(await page.evaluate(() => window.zak.editor.breakpoints()), [2]);

  await page.keyboard.press('F9');
  await waitFor(page, () => window.zak.lastReport?.state === 'Ready');
  // Undo is offered while editing only, though the editor has its steps.
  assert.equal(await page.$eval('#bUndo', (b) => b.disabled), true);
  await page.click('#bVariablen');
  await page.keyboard.press('F9');
  await waitFor(page, () => window.zak.lastReport?.state === 'Breakpoint');
  assert.equal((await report(page)).line, 2);
  assert.equal(await page.$eval('.cm-line.zk-current', (l) => l.textContent), '   i := i + 1');
  assert.equal(await page.$eval('#variables', (v) => v.textContent), 'i = 0');
  assert.equal(await page.$eval('#bStart', (b) => getComputedStyle(b).display !== 'none'), true);

  await page.keyboard.press('F8');
  await waitFor(page, () => window.zak.lastReport?.stepped);
  await waitFor(page, () => document.getElementById('variables').textContent === 'i = 1');

  // Without the breakpoint the loop runs on until Stop.
  await clickGutter(page, 2);
  await page.keyboard.press('F9');
  await sleep(400);
  const running = await page.evaluate(() => document.body.classList.contains('running'));
  assert.ok(running);
  // The page answers at once while the loop runs.
  const t0 = Date.now();
  await page.evaluate(() => 1);
  assert.ok(Date.now() - t0 < 100, 'die Seite antwortet während des Laufs');
  const took = await page.evaluate(() => new Promise((resolve) => {
    const start = performance.now();
    window.zak.stopped = false;
    document.dispatchEvent(new KeyboardEvent('keydown', { key: 'F11', bubbles: true }));
    const poll = () => (window.zak.stopped && window.zak.lastReport.restarted && window.zak.lastReport.state === 'Ready'
      ? resolve(performance.now() - start) : setTimeout(poll, 1));
    poll();
  }));
  assert.ok(took < 100, `Stop nach ${took} ms`);
  assert.equal((await report(page)).totalCalls, 0);
  await page.close();
});

test('a desktop file opened and saved stays byte for byte; typed umlauts are saved in its code page', async () => {
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'zak-downloads-'));
  const page = await openPage(await browser.createBrowserContext(), url, { downloads });
  const original = path.join(root, 'examples', '04_turtle_stern.zak');
  // F3 opens, as on the desktop.
  await page.click('.cm-content');
  // The chooser is caught only once puppeteer has told the browser so, which
  // a single key can outrun.
  const choosing = page.waitForFileChooser();
  await sleep(200);
  await page.keyboard.press('F3');
  const chooser = await choosing;
  await chooser.accept([original]);
  await waitFor(page, () => document.title.endsWith('04_turtle_stern.zak'));

  const saved = async (name) => {
    const file = path.join(downloads, name);
    for (let k = 0; k < 200 && !fs.existsSync(file); k++) await sleep(25);
    return fs.readFileSync(file);
  };
  await page.click('#bSpeichernUnter');
  await page.waitForSelector('#fileNameInput');
  await page.$eval('#fileNameInput', (i) => { i.value = 'kopie'; });
  await page.keyboard.press('Enter');
  assert.deepEqual(await saved('kopie.zak'), fs.readFileSync(original));

  // As on the desktop, Strg+Ende is Ende: the page keys reach the last line.
  await page.click('.cm-content');
  for (let k = 0; k < 4; k++) await page.keyboard.press('PageDown');
  await page.keyboard.press('End');
  await page.keyboard.type('\n// Grüße');
  // Strg+S is "Speichern unter", as on the desktop.
  await page.keyboard.down('Control');
  await page.keyboard.press('s');
  await page.keyboard.up('Control');
  await page.waitForSelector('#fileNameInput');
  await page.$eval('#fileNameInput', (i) => { i.value = 'gruss.zak'; });
  await page.keyboard.press('Enter');
  assert.deepEqual(await saved('gruss.zak'),
    Buffer.concat([fs.readFileSync(original), Buffer.from('// Gr\xfc\xdfe\r\n', 'latin1')]));
  await page.close();
});

test('the journal brings the text back after a reload, each tab its own', async () => {
  const context = await browser.createBrowserContext();
  const page = await openPage(context, url);
  await page.click('.cm-content');
  await page.keyboard.type('x: integer\nx := 1');
  const other = await openPage(context, url);
  await other.click('.cm-content');
  await other.keyboard.type('y: real');
  await sleep(2300);  // the journal writes at most every 2 s
  const count = await page.evaluate(() => new Promise((resolve) => {
    const r = indexedDB.open('zak');
    r.onsuccess = () => { const q = r.result.transaction('journal').objectStore('journal').count(); q.onsuccess = () => resolve(q.result); };
  }));
  assert.equal(count, 2);

  await page.bringToFront();
  await page.reload();
  await page.waitForSelector('dialog[open]');
  assert.equal(await page.$eval('#dialogText', (t) => t.textContent), 'Ungespeicherte Änderungen wiederherstellen?');
  await page.click('#dialogButtons button[value="yes"]');
  await waitFor(page, () => document.body.dataset.ready === '1');
  assert.deepEqual(await lines(page), ['x: integer', 'x := 1']);

  // The other tab closed and the page opened again at once: its text is offered.
  await other.close();
  const again = await context.newPage();
  await again.setViewport({ width: 1024, height: 700 });
  await again.goto(url);
  await again.waitForSelector('dialog[open]');
  assert.equal(await again.$eval('#dialogText', (t) => t.textContent), 'Ungespeicherte Änderungen wiederherstellen?');
  await again.click('#dialogButtons button[value="yes"]');
  await waitFor(again, () => document.body.dataset.ready === '1');
  assert.deepEqual(await lines(again), ['y: real']);
  await context.close();
});

test('after the first visit the page starts and runs without network', async () => {
  const context = await browser.createBrowserContext();
  const page = await openPage(context, url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await waitFor(page, () => !!navigator.serviceWorker.controller);
  await page.setOfflineMode(true);
  await page.reload();
  await page.waitForSelector('body[data-ready]', { timeout: 20000 });
  assert.equal(await page.evaluate(() => document.body.dataset.ready), '1');
  // The home screen's icons come from the cache too.
  const icons = await page.evaluate(async () => {
    const manifest = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
    const urls = [...manifest.icons.map((i) => new URL(i.src, location.href).href),
      ...[...document.querySelectorAll('link[rel~=icon], link[rel=apple-touch-icon]')].map((l) => l.href)];
    return Promise.all(urls.map(async (u) => {
      const image = new Image();
      image.src = u;
      await image.decode().catch(() => {});
      return `${u.split('/').pop()} ${image.naturalWidth}`;
    }));
  });
  assert.deepEqual(icons.map((i) => i.split(' ')[0]), ['icon.svg', 'zak-192.png', 'zak-512.png', 'zak-maskable-512.png',
    'icon.svg', 'zak-192.png', 'apple-touch-icon.png']);
  assert.ok(icons.every((i) => Number(i.split(' ')[1]) > 0), icons.join(', '));
  await page.select('#sBeispiele', '02_haus.zak');
  await waitFor(page, () => document.title.endsWith('02_haus.zak'));
  await page.keyboard.press('F9');
  await page.keyboard.press('F9');
  await waitFor(page, () => window.zak.lastReport?.state === 'Ended');
  await context.close();
});
