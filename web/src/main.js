// The pupil's workplace: editor, run control, drawing windows, error list,
// variables, help, files and the journal, on the WebAssembly core.
import { compileCore, instantiateCore, stringList, fromList } from './core.js';
import { createEditor } from './editor.js';
import { Journal } from './journal.js';
import { Transaction } from '@codemirror/state';

const Version = '1.5.9';
const Base = new URL('.', location.href).href;
// The background check waits this long after the last key.
const CheckPauseMs = 600;
// Stop must act within 100 ms even in an endless loop: a worker that has not
// answered by then is replaced.
const StopTimeoutMs = 80;

const $ = (id) => document.getElementById(id);
const app = {
  core: null, module: null, editor: null, runWorker: null, checkWorker: null, journal: new Journal(),
  runMode: false, running: false, speed: 30, variablesShown: false, variablesWereShown: false,
  fileName: '', fileHandle: null, modified: false, errors: [], checkId: 0, checkTimer: 0,
  current: -1, errorLine: -1, windows: new Map(), proposalId: 0, proposalWaiters: new Map(), lastReport: null, stopTimer: 0, ready: false,
  lastDrawing: null, lastPanel: null, gen: 0,
};
window.zak = app;  // for the browser tests and the curious

// ---------------------------------------------------------------- start

// The editor comes first and takes keys at once; the core (compiled while
// the editor is built), its workers, the teacher's settings, the help and
// the journal follow. Until the core is there the text is shown plain and
// Enter does not indent; the core's highlighting then covers what was typed.
async function boot() {
  performance.mark('zak-script');
  const compiled = compileCore(Base);
  const teacherFile = fetchTeacherSettings();
  app.editor = createEditor($('editor'), {
    format: (text, commentOpen, indent) => (app.core ? app.core.WebSession.formatLine(text, commentOpen, indent)
      : plainLine(text, commentOpen, indent)),
    onChange: textChanged,
    onToggleBreakpoint: (line, on) => { if (app.runWorker) app.runWorker.postMessage({ t: 'breakpoint', line, on }); },
    completion: complete,
  });
  loadUserSettings();
  applySettings();
  wirePage();
  app.editor.view.focus();
  document.body.dataset.editor = '1';  // typing works from here on
  performance.mark('zak-editor');

  app.module = await compiled;
  // The core's script comes after this one, so that the editor is up before it is read.
  if (document.readyState === 'loading') await new Promise((resolve) => document.addEventListener('DOMContentLoaded', resolve));
  app.core = await instantiateCore(app.module);
  performance.mark('zak-core');
  reformat();
  applyTeacherSettings(await teacherFile);
  applySettings();
  startCheckWorker();
  app.runReady = startRunWorker(true);
  wireControls();
  fillHelp();
  fillExamples();
  updateCaption();
  setMode(false);
  if (app.modified) scheduleCheck();
  await app.journal.init();
  await app.runReady;
  await offerRecovery();
  app.ready = true;
  document.body.dataset.ready = '1';
  performance.mark('zak-ready');
  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
}

// A line as it stands, all of it normal text: the editor's view of a line
// until the core formats it.
function plainLine(text, commentOpen, indent) {
  return { line: text, classes: '2'.repeat(text.length), commentOpen, nextIndent: indent, lineIndent: indent };
}

// The core is there: what was typed before gets its highlighting, without
// an undo step of its own.
function reformat() {
  const view = app.editor.view;
  const text = view.state.doc.toString();
  if (!text) return;
  view.dispatch({ changes: { from: 0, to: text.length, insert: text }, selection: view.state.selection,
    annotations: Transaction.addToHistory.of(false) });
}

function startCheckWorker() {
  app.checkWorker = new Worker(Base + 'check-worker.js');
  app.checkWorker.postMessage({ t: 'init', base: Base, module: app.module });
  app.checkWorker.onmessage = (e) => {
    const m = e.data;
    if (m.t === 'proposals') {
      const done = app.proposalWaiters.get(m.id);
      app.proposalWaiters.delete(m.id);
      if (done) done(m.result);
      return;
    }
    if (m.t !== 'hint' || m.id !== app.checkId || app.runMode) return;
    app.errors = m.hint.kind ? [m.hint] : [];
    showErrors();
  };
}

// Code completion: the proposals of the check worker for the text left of the caret.
const ProposalIcons = { 0: 'property', 1: 'method', 4: 'type', 5: 'class' };
function complete(context) {
  if (app.runMode || !app.checkWorker) return null;
  const line = context.state.doc.lineAt(context.pos);
  const before = line.text.slice(0, context.pos - line.from);
  // The list opens after a `.` or the `:` of a declaration, and when asked for (Strg+Leertaste).
  if (!context.explicit && !/[.:]\w*$/.test(before)) return null;
  const id = ++app.proposalId;
  return new Promise((resolve) => {
    app.proposalWaiters.set(id, resolve);
    app.checkWorker.postMessage({ t: 'complete', id, line: line.text, column: before.length });
  }).then((result) => {
    if (!result || !result.items.length) return null;
    return {
      from: line.from + result.from,
      options: result.items.map((item, i) => ({ label: item.name, detail: item.description, apply: item.insert,
        type: ProposalIcons[item.kind] || 'text', boost: -i })),
      validFor: /^[A-Za-z0-9_äöüÄÖÜß]*$/,
    };
  });
}

// The first worker warms the shared module up (see run-worker.js); the ones
// that replace it after a stop find it compiled.
function startRunWorker(warm = false) {
  return new Promise((resolve) => {
    const worker = new Worker(Base + 'run-worker.js');
    worker.onmessage = (e) => {
      if (e.data.t === 'ready') { resolve(); return; }
      if (worker === app.runWorker) onRunMessage(e.data);
    };
    worker.postMessage({ t: 'init', base: Base, module: app.module, warm });
    app.runWorker = worker;
  });
}

// ---------------------------------------------------------------- the text

// Undo and redo are offered exactly while editing and the editor has a step.
function updateUndoButtons() {
  const counts = app.editor.undoCounts();
  $('bUndo').disabled = app.runMode || counts.undo < 1;
  $('bRedo').disabled = app.runMode || counts.redo < 1;
}

function textChanged() {
  app.modified = true;
  updateCaption();
  app.journal.changed(() => ({ lines: app.editor.lines(), fileName: app.fileName }));
  scheduleCheck();
}

function scheduleCheck() {
  clearTimeout(app.checkTimer);
  if (!app.checkWorker) return;  // the core is still on its way; it checks when it is there
  app.checkTimer = setTimeout(() => {
    app.checkId++;
    app.checkWorker.postMessage({ t: 'check', id: app.checkId, lines: app.editor.lines(),
      forbid: settings.noAttributeAssignment });
  }, CheckPauseMs);
}

function updateCaption() {
  document.title = app.fileName ? `ZAK ${Version} - ${app.fileName}` : `ZAK ${Version} (Zakwerk)`;
  $('status').textContent = (app.modified ? 'Geändert' : '') + (app.fileName ? (app.modified ? ' – ' : '') + app.fileName : '');
  updateUndoButtons();
}

// ---------------------------------------------------------------- error list

function showErrors() {
  const list = $('errors');
  list.textContent = '';
  app.errors.forEach((error, i) => {
    const li = document.createElement('li');
    li.textContent = error.itemText || `${error.kind}: (Z.${error.line + 1} Sp.${error.column})    ${error.message}`;
    li.setAttribute('role', 'option');
    li.tabIndex = -1;
    li.onclick = () => jumpToError(i);
    list.appendChild(li);
  });
  app.editor.setErrors(app.errors.filter((e) => e.line >= 0).map((e) => ({ line: e.line, column: e.column })));
}

function jumpToError(i) {
  const error = app.errors[i];
  if (!error) return;
  [...$('errors').children].forEach((li, k) => li.classList.toggle('sel', k === i));
  app.editor.jumpTo(error.line, error.column);
}

// ---------------------------------------------------------------- run control

function setMode(run) {
  app.runMode = run;
  document.body.classList.toggle('running-mode', run);
  app.editor.setReadOnly(run);
  if (!run) setRunning(false);
  updateUndoButtons();
}

function setRunning(on) {
  app.running = on;
  document.body.classList.toggle('running', on);
}

function colours() {
  app.editor.setColours({ current: app.current, error: app.errorLine, run: app.runMode });
}

function enterRunMode() {
  if (app.runMode || !app.ready) return;
  setMode(true);
  app.errors = [];
  showErrors();
  app.errorLine = -1;
  app.current = -1;
  colours();
  closeWindows();
  if (app.variablesWereShown) toggleVariables(true);
  app.runWorker.postMessage({ t: 'prepare', gen: ++app.gen, lines: app.editor.lines(),
    breakpoints: app.editor.breakpoints(), speed: app.speed, variables: app.variablesShown,
    forbid: settings.noAttributeAssignment });
  $('bStart').focus();
}

function leaveRunMode() {
  if (!app.runMode) return;
  app.runWorker.postMessage({ t: 'end' });
  app.gen++;
  // The run ends: its windows close, as the desktop's do, and the last of
  // them goes on in the last drawing window.
  closeWindows();
  app.variablesWereShown = app.variablesShown;
  if (app.variablesShown) toggleVariables(false);
  app.current = -1;
  app.errorLine = -1;
  setMode(false);
  colours();
  app.errors = [];
  showErrors();
  scheduleCheck();
  app.editor.view.focus();
}

function start() {
  if (!app.runMode) return;
  app.current = -1;
  app.errorLine = app.errorLine >= 0 ? app.errorLine : -1;
  colours();
  setRunning(true);
  app.runWorker.postMessage({ t: 'start' });
  $('bPause').focus();
}

function pause() {
  if (!app.runMode) return;
  setRunning(false);
  app.runWorker.postMessage({ t: 'pause' });
  $('bStart').focus();
}

function stop() {
  if (!app.runMode) return;
  setRunning(false);
  app.errors = app.errors.filter((e) => e.kind !== 'Laufzeitfehler');
  showErrors();
  app.errorLine = -1;
  app.stopped = false;
  app.runWorker.postMessage({ t: 'stop', gen: ++app.gen });
  // A worker deep in a long slice (or a program that never yields) is
  // replaced: Stop is Start again on a fresh session.
  clearTimeout(app.stopTimer);
  app.stopTimer = setTimeout(async () => {
    if (app.stopped) return;
    // The program ends now; the fresh worker shows its first line when ready.
    app.runWorker.terminate();
    app.stopped = true;
    app.lastReport = { t: 'report', state: 'Ready', line: 0, totalCalls: 0, restarted: true, replaced: true,
      error: { kind: '', line: -1, column: 0, message: '', itemText: '' } };
    closeWindows();
    await startRunWorker();
    app.runWorker.postMessage({ t: 'prepare', gen: app.gen, lines: app.editor.lines(),
      breakpoints: app.editor.breakpoints(), speed: app.speed, variables: app.variablesShown,
      forbid: settings.noAttributeAssignment });
  }, StopTimeoutMs);
  $('bStart').focus();
}

// Also while the program runs: one extra statement between two slices, as on the desktop.
function step() {
  if (!app.runMode) return;
  app.runWorker.postMessage({ t: 'step' });
}

function setSpeed(p) {
  app.speed = Math.max(1, Math.min(30, p));
  $('speed').value = String(app.speed);
  $('speedOut').textContent = String(app.speed);
  const rule = app.core.WebSession.speedRule(app.speed);
  $('speed').title = rule.stepsPerTick > 1 || rule.intervalMs === 1
    ? `${rule.stepsPerTick} Anweisungen je Millisekunde` : `eine Anweisung alle ${rule.intervalMs} ms`;
  if (app.runWorker) app.runWorker.postMessage({ t: 'speed', speed: app.speed });
  if (!rule.followEachStep && app.running) { app.current = -1; colours(); }
}

function onRunMessage(m) {
  if ((m.t === 'pixels' || m.t === 'report') && (m.gen !== app.gen || !app.runMode)) return;
  if (m.t === 'pixels') { drawWindows(m.windows); return; }
  if (m.t !== 'report') return;
  if (m.restarted) { app.stopped = true; clearTimeout(app.stopTimer); closeWindows(); }
  app.lastReport = m;
  if (m.variables) showVariables(m.variables);
  const failed = m.state === 'Failed';
  if (failed && m.error.kind) {
    if (!app.errors.some((e) => e.kind === m.error.kind && e.line === m.error.line && e.message === m.error.message)) {
      app.errors.push(m.error);
    }
    app.errorLine = m.error.line;
    app.current = -1;
    showErrors();
    colours();
    app.editor.showLine(m.error.line, m.error.column);
    return;
  }
  if (m.state === 'Breakpoint' && m.stopped) setRunning(false);
  const follow = app.core.WebSession.speedRule(app.speed).followEachStep;
  if (!app.running || follow || m.stopped || m.paused || m.stepped || m.restarted) {
    app.current = m.line;
    colours();
    app.editor.showLine(m.line);
  }
}

// ---------------------------------------------------------------- variables

function toggleVariables(on = !app.variablesShown) {
  app.variablesShown = on;
  $('variables').hidden = !on;
  $('bVariablen').textContent = on ? 'Variablen ausblenden' : 'Variablen zeigen';
  app.runWorker.postMessage({ t: 'variables', on });
}

// A cell's marks: 1 bold on, 2 bold off, 3 red, 4 black.
function showVariables(lines) {
  const view = $('variables');
  view.textContent = '';
  for (const line of lines) {
    const row = document.createElement('div');
    let bold = false, red = false, text = '';
    const flush = () => {
      if (!text) return;
      const span = document.createElement('span');
      span.textContent = text;
      if (bold) span.style.fontWeight = 'bold';
      if (red) span.style.color = '#f00';
      row.appendChild(span);
      text = '';
    };
    for (const ch of line) {
      const code = ch.charCodeAt(0);
      if (code >= 1 && code <= 4) {
        flush();
        if (code === 1) bold = true; else if (code === 2) bold = false; else red = code === 3;
      } else {
        text += ch;
      }
    }
    flush();
    view.appendChild(row);
  }
}

// ---------------------------------------------------------------- drawing windows

// The run's windows close (back to editing, Stop, a new start): each hands
// its picture to the last drawing window on the way, in the order the
// program made them, so the one closed last is what that window shows.
function closeWindows() {
  const list = [...app.windows.entries()].sort((a, b) => a[0] - b[0]);
  for (const [, w] of list) {
    handOver(w);
    w.el.remove();
  }
  app.windows.clear();
}

// The picture is shown at a whole factor of its pixels, never blurred.
function pixelScale() { return Math.max(1, Math.floor(window.devicePixelRatio || 1)); }

function fitCanvas(canvas, width, height) {
  canvas.width = width;
  canvas.height = height;
  const s = pixelScale() / (window.devicePixelRatio || 1);
  canvas.style.width = (width * s) + 'px';
  canvas.style.height = (height * s) + 'px';
}

// The smallest a panel gets by hand, so that its title stays to grab.
const MinPanelWidth = 120, MinPanelHeight = 60;

// A panel on the page with a title bar to move it by mouse, pen or finger,
// and, when `resizable`, a grip at its bottom right corner to size it
// (`moved` and `resized` are told when the title or the grip is let go).
function makePanel({ resizable, closable, moved, resized }) {
  const el = document.createElement('div');
  el.className = 'zkwin';
  el.setAttribute('role', 'dialog');
  el.innerHTML = '<div class="title"><span class="name"></span></div><div class="body"><canvas></canvas></div>';
  const title = el.querySelector('.title');
  if (closable) {
    const close = document.createElement('button');
    close.type = 'button';
    close.className = 'close';
    close.textContent = '×';
    close.title = 'Schliessen';
    close.setAttribute('aria-label', 'Schliessen');
    close.onclick = () => { el.hidden = true; };
    title.appendChild(close);
  }
  // The pointer is captured, so a quick finger does not lose the panel.
  const follow = (handle, begin, move, done = () => {}) => {
    let from = null;
    handle.addEventListener('pointerdown', (e) => {
      if (e.target.closest('button') || (e.pointerType === 'mouse' && e.button !== 0)) return;
      e.preventDefault();  // no text selection while the mouse drags
      from = { x: e.clientX, y: e.clientY, ...begin() };
      handle.setPointerCapture(e.pointerId);
      raise(el);
    });
    handle.addEventListener('pointermove', (e) => { if (from) move(from, e.clientX - from.x, e.clientY - from.y); });
    const end = () => {
      if (from) done();
      from = null;
    };
    handle.addEventListener('pointerup', end);
    handle.addEventListener('pointercancel', end);
    handle.addEventListener('lostpointercapture', end);
  };
  follow(title, () => ({ left: el.offsetLeft, top: el.offsetTop }), (from, dx, dy) => {
    el.style.left = Math.max(0, from.left + dx) + 'px';
    el.style.top = Math.max(0, from.top + dy) + 'px';
  }, () => moved && moved());
  if (resizable) {
    const grip = document.createElement('div');
    grip.className = 'grip';
    grip.title = 'Größe ändern';
    el.appendChild(grip);
    follow(grip, () => ({ width: el.offsetWidth, height: el.offsetHeight }), (from, dx, dy) => {
      el.style.width = Math.max(MinPanelWidth, from.width + dx) + 'px';
      el.style.height = Math.max(MinPanelHeight, from.height + dy) + 'px';
    }, () => resized && resized());
  }
  el.addEventListener('pointerdown', () => raise(el));
  $('windows').appendChild(el);
  return { el, title, name: el.querySelector('.name'), canvas: el.querySelector('canvas') };
}

// The world coordinates under the pointer as the desktop's title shows them.
function trackCoordinates(canvas, pixelSize, origin, show) {
  canvas.addEventListener('pointermove', (e) => {
    const r = canvas.getBoundingClientRect();
    const [width, height] = pixelSize();
    const x = Math.floor((e.clientX - r.left) * width / r.width);
    const y = Math.floor((e.clientY - r.top) * height / r.height);
    const [ox, oy] = origin();
    show(` x:${x - ox} y:${oy - y}`);
  });
  canvas.addEventListener('pointerleave', () => show(''));
}

function makeWindow(index) {
  // Sized by hand, the window's drawing takes the new size, re-centred, as on the desktop.
  // Moved by hand, the window is where the program's `verschiebe` starts from.
  const moved = () => {
    const dx = w.el.offsetLeft - w.shown.left, dy = w.el.offsetTop - w.shown.top;
    w.shown = { left: w.el.offsetLeft, top: w.el.offsetTop };
    w.at = { left: w.at.left + dx, top: w.at.top + dy };
    if (app.runMode && app.runWorker) app.runWorker.postMessage({ t: 'move', index, ...w.at });
  };
  const panel = makePanel({ resizable: true, closable: false, moved, resized: () => {
    // The room below the title, whether or not the old picture needed scroll bars.
    const width = panel.el.clientWidth, height = panel.el.clientHeight - panel.title.offsetHeight;
    const scale = (window.devicePixelRatio || 1) / pixelScale();
    if (app.runMode && app.runWorker) {
      app.runWorker.postMessage({ t: 'resize', index, width: Math.max(1, Math.floor(width * scale)),
        height: Math.max(1, Math.floor(height * scale)) });
    }
  } });
  const copy = document.createElement('button');
  copy.type = 'button';
  copy.className = 'copy';
  copy.title = 'Bild als PNG in die Zwischenablage kopieren';
  copy.setAttribute('aria-label', 'Bild kopieren');
  copy.textContent = 'Kopieren';
  panel.title.appendChild(copy);
  // `at`: the window's place as the program knows it; `shown`: the panel's.
  const w = { ...panel, ctx: panel.canvas.getContext('2d'), width: 0, height: 0, originX: 0, originY: 0,
    caption: '', coords: '', placed: false, at: { left: 0, top: 0 }, shown: { left: 0, top: 0 } };
  const showTitle = () => {
    w.name.textContent = w.caption + w.coords;
    w.el.setAttribute('aria-label', w.caption || 'Zeichenfenster');
  };
  w.showTitle = showTitle;
  trackCoordinates(w.canvas, () => [w.width, w.height], () => [w.originX, w.originY], (text) => {
    w.coords = text;
    showTitle();
  });
  copy.onclick = () => copyPicture(w.canvas);
  return w;
}

let topZ = 10;
function raise(el) { el.style.zIndex = String(++topZ); }

function drawWindows(list) {
  for (const info of list) {
    let w = app.windows.get(info.index);
    if (!w) {
      w = makeWindow(info.index);
      w.el.dataset.index = String(info.index);
      app.windows.set(info.index, w);
    }
    w.el.hidden = !info.visible;
    w.originX = info.originX;
    w.originY = info.originY;
    if (w.caption !== info.title) {
      w.caption = info.title;
      w.showTitle();
    }
    if (w.width !== info.pixelWidth || w.height !== info.pixelHeight) {
      w.width = info.pixelWidth;
      w.height = info.pixelHeight;
      fitCanvas(w.canvas, info.pixelWidth, info.pixelHeight);
    }
    if (!w.placed) {
      w.placed = true;
      // Where the program puts it, inside the editor's area as far as it fits.
      const pane = $('editorPane').getBoundingClientRect();
      const width = info.pixelWidth + 4, height = info.pixelHeight + 30;
      w.el.style.left = Math.max(pane.left, Math.min(pane.right - width - 8, pane.left + info.left)) + 'px';
      w.el.style.top = Math.max(pane.top, Math.min(pane.bottom - height, pane.top + info.top)) + 'px';
      raise(w.el);
      w.at = { left: info.left, top: info.top };
      w.shown = { left: w.el.offsetLeft, top: w.el.offsetTop };
    } else if (info.left !== w.at.left || info.top !== w.at.top) {
      // The program moved it (`verschiebe`, "links", "oben"): the panel goes along.
      const left = Math.max(0, w.el.offsetLeft + info.left - w.at.left);
      const top = Math.max(0, w.el.offsetTop + info.top - w.at.top);
      w.el.style.left = left + 'px';
      w.el.style.top = top + 'px';
      w.at = { left: info.left, top: info.top };
      w.shown = { left, top };
    }
    if (info.rect && info.data) {
      w.ctx.putImageData(new ImageData(info.data, info.rect.w, info.rect.h), info.rect.x, info.rect.y);
    }
  }
}

// ---------------------------------------------------------------- the last drawing

// The picture of the drawing window closed last, kept while the page is
// open; before the first one, a note in a picture of 300 x 50.
const LastCaption = 'Letztes Zeichenfenster';
const NoPictureWidth = 300, NoPictureHeight = 50;

function handOver(w) {
  if (!w.width || !w.height) return;
  const copy = document.createElement('canvas');
  copy.width = w.width;
  copy.height = w.height;
  copy.getContext('2d').drawImage(w.canvas, 0, 0);
  app.lastDrawing = { picture: copy, originX: w.originX, originY: w.originY };
  if (app.lastPanel) showLastPicture();
}

function noPictureYet() {
  const c = document.createElement('canvas');
  c.width = NoPictureWidth;
  c.height = NoPictureHeight;
  const ctx = c.getContext('2d');
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, c.width, c.height);
  ctx.fillStyle = '#000';
  ctx.font = '11px Tahoma, "DejaVu Sans", Arial, sans-serif';
  ctx.textBaseline = 'top';
  ctx.fillText('Es gibt noch kein altes Zeichenfenster.', 10, 10);
  return { picture: c, originX: 0, originY: 0 };
}

function showLastPicture() {
  const p = app.lastPanel;
  const last = app.lastDrawing || noPictureYet();
  p.last = last;
  fitCanvas(p.canvas, last.picture.width, last.picture.height);
  p.canvas.getContext('2d').drawImage(last.picture, 0, 0);
  p.name.textContent = LastCaption;
}

function openLastDrawing() {
  if (!app.lastPanel) {
    const p = makePanel({ resizable: false, closable: true });
    p.el.classList.add('last');
    p.el.id = 'lastDrawing';
    p.el.setAttribute('aria-label', LastCaption);
    trackCoordinates(p.canvas, () => [p.canvas.width, p.canvas.height], () => [p.last.originX, p.last.originY],
      (text) => { p.name.textContent = LastCaption + text; });
    const pane = $('editorPane').getBoundingClientRect();
    p.el.style.left = (pane.left + 40) + 'px';
    p.el.style.top = (pane.top + 30) + 'px';
    app.lastPanel = p;
  }
  showLastPicture();
  app.lastPanel.el.hidden = false;
  raise(app.lastPanel.el);
  app.lastPanel.el.querySelector('.close').focus();
}

async function copyPicture(canvas) {
  try {
    const blob = await new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
    await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
    status('Bild in die Zwischenablage kopiert.');
  } catch (e) {
    status('Der Browser erlaubt hier kein Kopieren von Bildern.');
  }
}

function status(text) { $('status').textContent = text; }

// ---------------------------------------------------------------- dialogs

function ask(text, buttons) {
  return new Promise((resolve) => {
    const dialog = $('dialog');
    $('dialogText').textContent = text;
    const box = $('dialogButtons');
    box.textContent = '';
    buttons.forEach(([label, value], i) => {
      const b = document.createElement('button');
      b.value = value;
      b.textContent = label;
      if (i === 0) b.autofocus = true;
      box.appendChild(b);
    });
    dialog.onclose = () => resolve(dialog.returnValue);
    dialog.returnValue = '';
    dialog.showModal();
  });
}

async function confirmDiscard() {
  return (await ask('Soll das aktuelle Programm verworfen werden?', [['OK', 'ok'], ['Abbrechen', 'cancel']])) === 'ok';
}

// ---------------------------------------------------------------- files

function loadBytes(bytes, name, handle) {
  const session = new app.core.WebSession();
  const report = session.loadFile(bytes);
  session.delete();
  const lines = fromList(report.lines);
  app.editor.setLines(lines);
  app.fileName = name;
  app.fileHandle = handle || null;
  app.modified = false;
  app.journal.clear();
  app.errors = [];
  showErrors();
  updateCaption();
  scheduleCheck();
  if (report.note) status(report.note);
  if (report.otherVersion) ask('Dieses Programm wurde nicht für ZAK 1.5 geschrieben.', [['OK', 'ok']]);
}

function fileBytes() {
  const list = stringList(app.core, app.editor.lines());
  const bytes = app.core.fileBytes(list);
  list.delete();
  return bytes;
}

async function openFile() {
  leaveRunMode();
  if (app.modified && !(await confirmDiscard())) return;
  if (window.showOpenFilePicker) {
    try {
      const [handle] = await window.showOpenFilePicker({ types: [{ description: 'ZAK-Programme', accept: { 'text/plain': ['.zak'] } }] });
      const file = await handle.getFile();
      loadBytes(new Uint8Array(await file.arrayBuffer()), file.name, handle);
    } catch (e) { /* cancelled */ }
    return;
  }
  $('filePicker').value = '';
  $('filePicker').click();
}

async function save(as) {
  leaveRunMode();
  const bytes = fileBytes();
  const lost = app.core.unrepresentable(stringList(app.core, app.editor.lines()));
  if (lost) status(`${lost} Zeilen enthalten Zeichen, die eine ZAK-Datei nicht speichern kann; sie werden als „?“ gespeichert.`);
  let name = app.fileName;
  if (window.showSaveFilePicker) {
    try {
      let handle = as ? null : app.fileHandle;
      if (!handle) {
        handle = await window.showSaveFilePicker({ suggestedName: name || 'programm.zak',
          types: [{ description: 'ZAK-Programme', accept: { 'text/plain': ['.zak'] } }] });
      }
      const writable = await handle.createWritable();
      await writable.write(bytes);
      await writable.close();
      app.fileHandle = handle;
      name = handle.name;
    } catch (e) {
      if (e && e.name === 'AbortError') return;
      status('Das Programm konnte nicht gespeichert werden: ' + (e && e.message ? e.message : e));
      return;
    }
  } else {
    if (as || !name) {
      const typed = await askName(name || 'programm.zak');
      if (!typed) return;
      name = /\.zak$/i.test(typed) ? typed : typed + '.zak';
    }
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }
  app.fileName = name;
  app.modified = false;
  await app.journal.clear();
  updateCaption();
}

function askName(suggested) {
  return new Promise((resolve) => {
    const dialog = $('dialog');
    $('dialogText').textContent = 'Dateiname:';
    const box = $('dialogButtons');
    box.textContent = '';
    const input = document.createElement('input');
    input.value = suggested;
    input.setAttribute('aria-label', 'Dateiname');
    input.id = 'fileNameInput';
    const ok = document.createElement('button');
    ok.value = 'ok';
    ok.textContent = 'Speichern';
    const cancel = document.createElement('button');
    cancel.value = 'cancel';
    cancel.textContent = 'Abbrechen';
    box.append(input, ok, cancel);
    dialog.onclose = () => resolve(dialog.returnValue === 'ok' ? input.value.trim() : '');
    dialog.returnValue = '';
    dialog.showModal();
    input.select();
  });
}

async function newProgram() {
  leaveRunMode();
  if (!(await confirmDiscard())) return;
  app.editor.setLines(['']);
  app.fileName = '';
  app.fileHandle = null;
  app.modified = false;
  app.journal.clear();
  app.errors = [];
  showErrors();
  updateCaption();
}

async function fillExamples() {
  try {
    const names = await (await fetch(Base + 'examples/index.json')).json();
    const select = $('sBeispiele');
    for (const name of names) {
      const option = document.createElement('option');
      option.value = name;
      option.textContent = name.replace(/\.zak$/, '').replace(/^\d+_/, '').replace(/_/g, ' ');
      select.appendChild(option);
    }
    select.onchange = async () => {
      const name = select.value;
      select.value = '';
      if (!name) return;
      leaveRunMode();
      if (app.modified && !(await confirmDiscard())) return;
      const bytes = new Uint8Array(await (await fetch(Base + 'examples/' + name)).arrayBuffer());
      loadBytes(bytes, name, null);
    };
  } catch (e) { /* offline without the list */ }
}

// ---------------------------------------------------------------- journal

async function offerRecovery() {
  const entry = await app.journal.orphan();
  if (!entry) return;
  const answer = await ask('Ungespeicherte Änderungen wiederherstellen?', [['Wiederherstellen', 'yes'], ['Verwerfen', 'no']]);
  if (answer === 'yes') {
    app.editor.setLines(entry.lines);
    app.fileName = entry.fileName || '';
    app.modified = true;
    updateCaption();
    scheduleCheck();
    await app.journal.take(entry);
    app.journal.changed(() => ({ lines: app.editor.lines(), fileName: app.fileName }));
  } else {
    await app.journal.drop(entry);
  }
}

// ---------------------------------------------------------------- help

function fillHelp() {
  if (app.core.helpBefehle) $('page-befehle').textContent = fromList(app.core.helpBefehle()).join('\n');
  if (app.core.helpKonstanten) $('page-konstanten').textContent = fromList(app.core.helpKonstanten()).join('\n');
  if (app.core.classTreeJson) {
    const root = $('page-klassen');
    const add = (parent, node) => {
      if (node.children.length) {
        const d = document.createElement('details');
        const s = document.createElement('summary');
        s.textContent = node.text;
        d.appendChild(s);
        node.children.forEach((c) => add(d, c));
        parent.appendChild(d);
      } else {
        const div = document.createElement('div');
        div.className = 'leaf';
        div.textContent = node.text;
        parent.appendChild(div);
      }
    };
    JSON.parse(app.core.classTreeJson()).forEach((n) => add(root, n));
  }
  for (const tab of document.querySelectorAll('#help [role=tab]')) {
    tab.onclick = () => {
      for (const t of document.querySelectorAll('#help [role=tab]')) t.setAttribute('aria-selected', String(t === tab));
      for (const p of document.querySelectorAll('.helppage')) p.hidden = p.id !== 'page-' + tab.dataset.page;
    };
  }
}

// The about box with the desktop's texts.
function showAbout() {
  return ask(`ZAK - Zakwerk\nVersion ${Version}\n\nEine Lernumgebung, in der Schülerinnen und ` +
    'Schüler mit Figuren objektorientiert programmieren.\n\nNeuere Versionen, Beispiele und eine Anleitung finden Sie ' +
    'unter:\nhttps://zak.example.org/\n\nProgrammiert in C++ mit Qt; im Browser als WebAssembly.', [['Schliessen', 'ok']]);
}

function toggleHelp() {
  const help = $('help');
  help.hidden = !help.hidden;
  // As on the desktop, one opening of the help in forty shows the about box.
  if (!help.hidden && Math.floor(Math.random() * 40) === 10) showAbout();
  $('bHilfe').textContent = help.hidden ? 'Hilfe zeigen...' : 'Hilfe ausblenden';
  $('bHilfe').setAttribute('aria-expanded', String(!help.hidden));
}

// ---------------------------------------------------------------- settings

// The desktop's settings: the editor's font size (10 to 30 points), the
// password that locks the dialog and the option that forbids assignments to
// attributes. Kept in this browser; a teacher's zak.set beside the page
// holds instead, read at every start as the desktop reads the first file it finds.
const MinFontSize = 10, MaxFontSize = 30;
const settings = { fontSize: 10, password: '', noAttributeAssignment: false, fromTeacher: false };

function loadUserSettings() {
  try { Object.assign(settings, JSON.parse(localStorage.getItem('zak-settings') || '{}')); } catch (e) { /* none */ }
}

function saveUserSettings() {
  localStorage.setItem('zak-settings', JSON.stringify({ fontSize: settings.fontSize, password: settings.password,
    noAttributeAssignment: settings.noAttributeAssignment }));
}

// The file's bytes, or null when there is none beside the page (or no network).
async function fetchTeacherSettings() {
  try {
    const response = await fetch(Base + 'zak.set', { cache: 'no-store' });
    if (!response.ok) return null;
    return new Uint8Array(await response.arrayBuffer());
  } catch (e) {
    return null;
  }
}

function applyTeacherSettings(bytes) {
  if (bytes === null) return;
  try {
    // Read by the core, as the desktop reads it.
    const file = app.core.readSettingsFile(bytes);
    settings.password = file.password;
    settings.noAttributeAssignment = file.noAttributeAssignment;
    settings.fontSize = file.fontSize;
    settings.fromTeacher = true;
  } catch (e) { /* a file the core cannot read counts as none */ }
}

function applySettings() {
  document.documentElement.style.setProperty('--editor-font', Math.min(MaxFontSize, settings.fontSize) + 'pt');
  if (app.editor) app.editor.view.requestMeasure();
}

async function openSettings() {
  if (settings.password) {
    const typed = await askPassword();
    if (typed === null) return;
    if (!app.core.passwordAccepted(typed, settings.password)) {
      await ask('Das Passwort ist falsch.', [['OK', 'ok']]);
      return;
    }
  }
  const dialog = $('settings');
  $('setFont').value = String(settings.fontSize);
  $('setPassword').value = settings.password;
  $('setNoAttr').checked = settings.noAttributeAssignment;
  dialog.returnValue = '';
  dialog.onclose = () => {
    if (dialog.returnValue !== 'ok') return;
    const size = Math.round(Number($('setFont').value));
    settings.fontSize = Number.isFinite(size) ? Math.max(MinFontSize, Math.min(MaxFontSize, size)) : settings.fontSize;
    settings.password = $('setPassword').value;
    const option = $('setNoAttr').checked;
    const changed = option !== settings.noAttributeAssignment;
    settings.noAttributeAssignment = option;
    saveUserSettings();
    applySettings();
    if (changed) scheduleCheck();
  };
  dialog.showModal();
}

function askPassword() {
  return new Promise((resolve) => {
    const dialog = $('dialog');
    $('dialogText').textContent = 'Passwort:';
    const box = $('dialogButtons');
    box.textContent = '';
    const input = document.createElement('input');
    input.type = 'password';
    input.setAttribute('aria-label', 'Passwort');
    const ok = document.createElement('button');
    ok.value = 'ok';
    ok.textContent = 'OK';
    const cancel = document.createElement('button');
    cancel.value = 'cancel';
    cancel.textContent = 'Abbrechen';
    box.append(input, ok, cancel);
    dialog.onclose = () => resolve(dialog.returnValue === 'ok' ? input.value : null);
    dialog.returnValue = '';
    dialog.showModal();
    input.focus();
  });
}

function fontSize(delta) {
  settings.fontSize = Math.max(MinFontSize, Math.min(MaxFontSize, settings.fontSize + delta));
  saveUserSettings();
  applySettings();
}

// ---------------------------------------------------------------- printing

// The program text as the desktop prints it: a head line with the file's
// name, then the lines in the editor's font with their highlighting.
function printProgram() {
  const out = $('printout');
  out.textContent = '';
  const head = document.createElement('div');
  head.className = 'head';
  head.textContent = app.fileName || 'Neues Programm';
  out.appendChild(head);
  const styles = ['font-weight:bold', 'color:#00f', '', 'font-style:italic;color:#00c000', 'color:#00f'];
  let commentOpen = false, indent = 0;
  for (const text of app.editor.lines()) {
    const r = app.core.WebSession.formatLine(text, commentOpen, indent);
    commentOpen = r.commentOpen;
    indent = r.nextIndent;
    const row = document.createElement('div');
    let k = 0;
    while (k < r.line.length) {
      let end = k;
      while (end < r.line.length && r.classes[end] === r.classes[k]) end++;
      const span = document.createElement('span');
      span.style.cssText = styles[r.classes.charCodeAt(k) - 48] || '';
      span.textContent = r.line.slice(k, end);
      row.appendChild(span);
      k = end;
    }
    if (!r.line) row.textContent = ' ';
    out.appendChild(row);
  }
  window.print();
}

// ---------------------------------------------------------------- controls

function wireControls() {
  $('bStarten').onclick = enterRunMode;
  $('bBearbeiten').onclick = leaveRunMode;
  $('bStart').onclick = start;
  $('bPause').onclick = pause;
  $('bStop').onclick = stop;
  $('bSchritt').onclick = step;
  $('bVariablen').onclick = () => toggleVariables();
  $('speed').oninput = () => setSpeed(Number($('speed').value));
  $('bNeu').onclick = newProgram;
  $('bOeffnen').onclick = openFile;
  $('bSpeichern').onclick = () => save(false);
  $('bSpeichernUnter').onclick = () => save(true);
  $('bUndo').onclick = () => { app.editor.undo(); updateUndoButtons(); };
  $('bRedo').onclick = () => { app.editor.redo(); updateUndoButtons(); };
  $('bHilfe').onclick = toggleHelp;
  $('bEinstellungen').onclick = openSettings;
  $('bDrucken').onclick = printProgram;
  $('bLetztes').onclick = openLastDrawing;
  // The about box with the desktop's texts.
  $('bInfo').onclick = showAbout;
  $('filePicker').onchange = async () => {
    const file = $('filePicker').files[0];
    if (file) loadBytes(new Uint8Array(await file.arrayBuffer()), file.name, null);
  };
  setSpeed(30);
  document.addEventListener('keydown', (e) => {
    const key = e.key;
    const handled = {
      F9: () => (app.runMode ? (app.running ? null : start()) : enterRunMode()),
      F10: pause, F11: stop, F8: step, F2: () => save(false), F3: openFile,
    }[key];
    if (handled && !e.ctrlKey && !e.altKey) { e.preventDefault(); handled(); return; }
    if (e.ctrlKey && !e.altKey) {
      const k = key.toLowerCase();
      // As on the desktop: Strg+S is "Speichern unter", F2 "Speichern".
      if (k === 's') { e.preventDefault(); save(true); }
      else if (k === 'o') { e.preventDefault(); openFile(); }
      else if (k === 'p') { e.preventDefault(); printProgram(); }
      else if (k === '+' || k === '=') { e.preventDefault(); fontSize(1); }
      else if (k === '-') { e.preventDefault(); fontSize(-1); }
    }
  });
  // The error list by keyboard: arrows choose an entry, Enter jumps to it.
  $('errors').addEventListener('keydown', (e) => {
    if (!app.errors.length) return;
    const items = [...$('errors').children];
    let i = items.findIndex((li) => li.classList.contains('sel'));
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      i = Math.max(0, Math.min(items.length - 1, i + (e.key === 'ArrowDown' ? 1 : -1)));
      items.forEach((li, k) => li.classList.toggle('sel', k === i));
    } else if (e.key === 'Enter') {
      e.preventDefault();
      jumpToError(Math.max(0, i));
    }
  });
}

// What the page needs before the core: the layout follows an on-screen
// keyboard, and the journal is written when the page goes.
function wirePage() {
  if (window.visualViewport) {
    window.visualViewport.addEventListener('resize', () => fitToVisibleArea(true));
    window.visualViewport.addEventListener('scroll', () => fitToVisibleArea(false));
    fitToVisibleArea(false);
  }
  // The journal holds the text, so leaving the page asks nothing; what was
  // typed since its last write goes in now.
  window.addEventListener('pagehide', () => { app.journal.leave(); app.journal.flush(); });
  window.addEventListener('pageshow', (e) => { if (e.persisted) app.journal.back(); });
  document.addEventListener('visibilitychange', () => { if (document.hidden) app.journal.flush(); });
}

// A tablet's on-screen keyboard covers the lower part of the page without
// making the page smaller (iPad): the page is laid out in the part still
// visible, and the caret's line is scrolled into it. Zoomed in by hand, the
// page keeps its size.
function fitToVisibleArea(resized) {
  const vv = window.visualViewport;
  const el = $('app');
  if (Math.abs(vv.scale - 1) > 0.01) {
    el.style.height = '';
    el.style.transform = '';
    return;
  }
  const height = Math.round(vv.height);
  const shrunk = el.style.height && height < parseFloat(el.style.height);
  el.style.height = height + 'px';
  // Safari scrolls the page to bring the caret above the keyboard; the
  // layout goes along to where the visible part now is.
  const top = Math.round(vv.pageTop);
  el.style.transform = top ? `translateY(${top}px)` : '';
  if ((resized || shrunk) && app.editor && app.editor.view.hasFocus) {
    app.editor.view.requestMeasure();
    app.editor.scrollCaret();
  }
}

boot().catch((e) => {
  document.body.dataset.ready = 'error';
  $('status').textContent = 'ZAK konnte nicht starten: ' + (e && e.message ? e.message : e);
  console.error(e);
});
