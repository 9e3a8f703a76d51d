// The web page's numbers in headless Chromium from http://127.0.0.1, by
// hand (the machine is shared, so medians of several tries):
//   node bench/web_page.mjs [LOADS]
// - page load to a usable editor (the editor takes a key), median of LOADS
//   fresh loads (default 10);
// - a key typed into a 10,000-line program until its frame is painted,
//   median and worst of 40 keys;
// - statements per second at speed 30 against the speed table's promise,
//   for an endless counting loop, 500 rectangles and a turtle with a trail
//   of 20,000 segments, each run for 3 s;
// - a turtle spiral of 3,000 growing segments (9,000 statements) from Start
//   to its end, median of 3 (bench_run's BM_IdeSpiralToItsEnd gives the
//   desktop IDE's time).
// Needs build-web/www (./run --web or cmake --build --preset web).
import { serve, launch, openPage, sleep, waitFor } from '../web/test/harness.mjs';

const loads = Number(process.argv[2] || 10);
const median = (v) => { const s = [...v].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };

const server = await serve();
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await launch();

async function setProgram(page, lines) {
  await page.evaluate((l) => window.zak.editor.setLines(l), lines);
}

async function enterRunMode(page) {
  await page.evaluate(() => { document.getElementById('speed').value = '30'; document.getElementById('speed').dispatchEvent(new Event('input', { bubbles: true })); });
  await page.click('#bStarten');
  await waitFor(page, () => window.zak.lastReport?.state === 'Ready', undefined, 20000);
}

// Load: from navigation to the editor taking a typed key.
{
  const times = [];
  for (let i = 0; i < loads; i++) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 1024, height: 700 });
    const t0 = Date.now();
    await page.goto(url);
    await page.waitForSelector('.cm-content[contenteditable="true"]');
    await page.click('.cm-content');
    await page.keyboard.type('x');
    await page.waitForFunction(() => document.querySelector('.cm-content').textContent.includes('x'), { polling: 'raf' });
    times.push(Date.now() - t0);
    await context.close();
  }
  console.log(`Laden bis zum Tippen: Median ${median(times)} ms (${times.join(', ')})`);
}

const page = await openPage(await browser.createBrowserContext(), url);

// A key in a 10,000-line program: keydown to the end of the frame that shows
// it (including the wait for the next frame); a 10-line program beside it.
for (const count of [10, 10000]) {
  const lines = [];
  for (let i = 0; i < count; i++) lines.push(i % 10 === 0 ? `// Zeile ${i}` : `x${i % 7} := x${i % 5} + ${i}`);
  await setProgram(page, lines);
  await page.evaluate(() => {
    const view = window.zak.editor.view;
    view.dispatch({ selection: { anchor: view.state.doc.line(Math.ceil(view.state.doc.lines / 2)).to }, scrollIntoView: true });
    view.focus();
    window.keyTimes = [];
    if (window.keyListener) return;
    window.keyListener = true;
    document.addEventListener('keydown', () => {
      const t0 = performance.now();
      requestAnimationFrame(() => {
        const channel = new MessageChannel();
        channel.port1.onmessage = () => window.keyTimes.push(performance.now() - t0);
        channel.port2.postMessage(0);
      });
    }, true);
  });
  await sleep(500);
  for (let i = 0; i < 40; i++) {
    await page.keyboard.press(i % 2 ? 'Backspace' : 'a');
    await sleep(50);
  }
  const t = await page.evaluate(() => window.keyTimes);
  console.log(`Taste in ${count} Zeilen bis zum Bild: Median ${median(t).toFixed(1)} ms, höchstens ${Math.max(...t).toFixed(1)} ms`);
}

// Speed 30: counted statements per second against the table (10 per 1 ms).
function countingLoop(setup, moving) {
  const p = [...setup, 'runden, n: integer', 'wiederhole immer', ...moving];
  while (p.length < setup.length + 2 + 9) p.push('n := n + 1');
  return [...p, 'runden := runden + 1', '*wiederhole'];
}
const rectangles = [];
for (let i = 1; i <= 500; i++) rectangles.push(`r${i}: Rechteck`, `r${i}.eckenSetzen(${(i * 37) % 560 - 280}, ${(i * 53) % 400 - 170}, ${(i * 37) % 560 - 240}, ${(i * 53) % 400 - 200})`);
const trail = ['s: Turtle', 'i: integer', 'wiederhole 20000 mal', 's.vor(90)', 's.rechtsdrehen(121)', '*wiederhole'];
const cases = [
  ['Endlosschleife', countingLoop([], [])],
  ['500 Rechtecke', countingLoop(rectangles, ['r1.verschieben(1, 0)', 'r1.verschieben(-1, 0)'])],
  ['Turtle mit 20.000 Strecken', countingLoop(trail, ['s.vor(90)', 's.rechtsdrehen(121)'])],
];
for (const [name, program] of cases) {
  await setProgram(page, program);
  await enterRunMode(page);
  await page.keyboard.press('F9');
  await waitFor(page, () => document.body.classList.contains('running'), undefined, 20000);
  // The set-up (the trail, the rectangles) first: the count starts at the loop.
  const count = async () => {
    await page.keyboard.press('F10');
    await waitFor(page, () => window.zak.lastReport?.paused || window.zak.lastReport?.state !== 'Ready', undefined, 30000);
    // Shown anew, the view may first show what it showed last time.
    await page.$eval('#variables', (v) => { v.textContent = ''; });
    await page.click('#bVariablen');
    await waitFor(page, () => /runden = \d+/.test(document.getElementById('variables').textContent), undefined, 30000);
    const runden = Number(/runden = (\d+)/.exec(await page.$eval('#variables', (v) => v.textContent))[1]);
    await page.click('#bVariablen');
    return runden;
  };
  await sleep(name.startsWith('Turtle') ? 8000 : 1000);
  const before = await count();
  const t0 = Date.now();
  await page.keyboard.press('F9');
  await sleep(3000);
  const runden = await count() - before;
  const seconds = (Date.now() - t0) / 1000;
  const perSecond = runden * 10 / seconds;
  console.log(`Geschwindigkeit 30, ${name}: ${Math.round(perSecond)} Anweisungen/s, ${(perSecond / 100).toFixed(0)} % der Tabelle`);
  await page.keyboard.press('F11');
  await page.click('#bBearbeiten');
}

// The spiral to its end.
{
  const spiral = ['s: Turtle', 'a: integer', 'wiederhole 3000 mal', 'a := a + 1', 's.vor(a / 4)', 's.rechtsdrehen(91)', '*wiederhole'];
  const times = [];
  for (let i = 0; i < 3; i++) {
    await setProgram(page, spiral);
    await enterRunMode(page);
    const ms = await page.evaluate(() => new Promise((resolve) => {
      const t0 = performance.now();
      document.dispatchEvent(new KeyboardEvent('keydown', { key: 'F9', bubbles: true }));
      const poll = () => (window.zak.lastReport?.state === 'Ended' ? resolve(performance.now() - t0) : setTimeout(poll, 2));
      poll();
    }));
    times.push(Math.round(ms));
    await page.click('#bBearbeiten');
  }
  console.log(`Spirale aus 3.000 Strecken: Median ${median(times)} ms (${times.join(', ')})`);
}

await browser.close();
server.close();
