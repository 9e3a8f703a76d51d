// The interpreter's worker: one program run, driven in slices from its own
// timer so that the page never waits and the page's messages (Pause, Stop,
// a breakpoint, the speed) are taken between two slices.
import { instantiateCore, loadFonts, stringList } from './core.js';

// One slice runs at most this long, so a message waits no longer.
const SliceMs = 8;
// The windows' pixels go to the page at most this often (one screen frame).
const FrameMs = 16;
// A run that falls behind its speed catches up at most this much time.
const MaxLagMs = 100;
// The warm-up at the start of the first worker takes at most this long.
const WarmUpMs = 150;

let core = null;
let session = null;
let running = false;
let speed = 30;
let lastTick = 0;
let lastFrame = 0;
let timer = 0;
let showVariables = false;
let forbid = false;  // assignments to attributes are forbidden
// The page's number for the run now prepared: what the page gets from an
// earlier run (already on its way when the page moved on) it leaves aside.
let gen = 0;
const known = new Map();  // window index -> pixel size last sent

function stateName(state) {
  for (const name of ['NotStarted', 'Ready', 'Breakpoint', 'Ended', 'Failed']) {
    if (state === core.RunState[name]) return name;
  }
  return 'NotStarted';
}

function reportOf(r, extra = {}) {
  const out = { t: 'report', gen, state: stateName(r.state), line: r.line, totalCalls: r.totalCalls, error: r.error,
    running, ...extra };
  if (showVariables) out.variables = variables();
  return out;
}

function variables() {
  const list = session.variables(true);
  const out = [];
  for (let i = 0; i < list.size(); i++) out.push(list.get(i));
  list.delete();
  return out;
}

// Every window's title and geometry, and the part of its pixels that changed.
function sendPixels(force) {
  session.settlePaints();
  const windows = [];
  const transfer = [];
  const count = session.windowCount();
  for (let i = 0; i < count; i++) {
    const info = session.window(i);
    const size = info.pixelWidth + 'x' + info.pixelHeight;
    const fresh = known.get(i) !== size;
    const entry = { index: i, title: info.title, left: info.left, top: info.top, width: info.width,
      height: info.height, pixelWidth: info.pixelWidth, pixelHeight: info.pixelHeight, visible: info.visible,
      originX: info.originX, originY: info.originY };
    let x0 = info.changedLeft, y0 = info.changedTop, x1 = info.changedRight, y1 = info.changedBottom;
    if (fresh || force) { x0 = 0; y0 = 0; x1 = info.pixelWidth - 1; y1 = info.pixelHeight - 1; }
    if (x1 >= x0 && y1 >= y0 && info.pixelWidth > 0 && info.pixelHeight > 0) {
      const view = session.windowPixels(i);
      x0 = Math.max(0, x0); y0 = Math.max(0, y0);
      x1 = Math.min(info.pixelWidth - 1, x1); y1 = Math.min(info.pixelHeight - 1, y1);
      const w = x1 - x0 + 1, h = y1 - y0 + 1;
      const data = new Uint8ClampedArray(w * h * 4);
      for (let y = 0; y < h; y++) {
        const from = ((y0 + y) * info.pixelWidth + x0) * 4;
        data.set(view.subarray(from, from + w * 4), y * w * 4);
      }
      entry.rect = { x: x0, y: y0, w, h };
      entry.data = data;
      transfer.push(data.buffer);
    }
    known.set(i, size);
    windows.push(entry);
  }
  self.postMessage({ t: 'pixels', gen, windows }, transfer);
  lastFrame = performance.now();
}

function schedule(ms) {
  clearTimeout(timer);
  timer = setTimeout(tick, ms);
}

function tick() {
  timer = 0;
  if (!running || !session) return;
  const rule = core.WebSession.speedRule(speed);
  const now = performance.now();
  let due = Math.floor((now - lastTick) / rule.intervalMs);
  if (due < 1) {
    schedule(Math.max(1, rule.intervalMs - (now - lastTick)));
    return;
  }
  if (rule.followEachStep) due = 1;
  if ((now - lastTick) > MaxLagMs + rule.intervalMs) lastTick = now - rule.intervalMs * due;
  const maxDue = Math.max(1, Math.floor(MaxLagMs / rule.intervalMs));
  if (due > maxDue) { due = maxDue; lastTick = now - due * rule.intervalMs; }
  const calls = rule.followEachStep ? 1 : 100;
  const r = session.runStatements(due * rule.stepsPerTick, due * calls, SliceMs);
  lastTick += due * rule.intervalMs;
  const state = stateName(r.state);
  if (state !== 'Ready') {
    running = false;
    sendPixels(false);
    self.postMessage(reportOf(r, { stopped: state }));
    return;
  }
  if (rule.followEachStep) self.postMessage(reportOf(r));
  if (performance.now() - lastFrame >= FrameMs) {
    sendPixels(false);
    if (!rule.followEachStep) self.postMessage({ t: 'alive', totalCalls: r.totalCalls });
  }
  schedule(rule.intervalMs > 4 ? Math.max(0, rule.intervalMs - (performance.now() - lastTick)) : 0);
}

function prepare(lines, breakpoints) {
  running = false;
  clearTimeout(timer);
  const list = stringList(core, lines);
  session.loadLines(list);
  list.delete();
  for (const line of breakpoints) session.setBreakpoint(line, true);
  session.start(forbid, 1024);
  known.clear();
  sendPixels(true);
  self.postMessage(reportOf(session.report()));
}

self.onmessage = async (event) => {
  const m = event.data;
  switch (m.t) {
    case 'init':
      self.importScripts(m.base + 'zak-core.js');
      core = await instantiateCore(m.module);
      await loadFonts(core, m.base);
      // The engine compiles a function at its first call and optimises it
      // once it is hot: a short built-in run does both before the pupil's
      // first start, so that one runs at full speed from its first line.
      if (m.warm) core.warmUp(WarmUpMs);
      // As in the desktop, `zufall` starts from the clock in every page.
      core.WebSession.randomizeSeed();
      session = new core.WebSession();
      self.postMessage({ t: 'ready' });
      break;
    case 'prepare':
      speed = m.speed;
      gen = m.gen;
      showVariables = m.variables;
      forbid = !!m.forbid;
      prepare(m.lines, m.breakpoints);
      break;
    case 'start':
      if (!running) {
        running = true;
        lastTick = performance.now() - core.WebSession.speedRule(speed).intervalMs;
        tick();
      }
      break;
    case 'pause':
      running = false;
      clearTimeout(timer);
      sendPixels(false);
      self.postMessage(reportOf(session.report(), { paused: true }));
      break;
    case 'stop':
      running = false;
      clearTimeout(timer);
      gen = m.gen;
      session.start(forbid, 1024);
      known.clear();
      // The page closes the stopped run's windows on this report, then
      // shows the fresh run's.
      self.postMessage(reportOf(session.report(), { restarted: true }));
      sendPixels(true);
      break;
    case 'step': {
      const before = stateName(session.report().state);
      if (before !== 'Ready' && before !== 'Breakpoint') break;
      const r = session.step();
      sendPixels(false);
      self.postMessage(reportOf(r, { stepped: true }));
      break;
    }
    case 'speed':
      speed = m.speed;
      break;
    case 'move':
      session.moveWindow(m.index, m.left, m.top);
      break;
    case 'resize':
      session.resizeWindow(m.index, m.width, m.height);
      sendPixels(false);
      break;
    case 'breakpoint':
      session.setBreakpoint(m.line, m.on);
      break;
    case 'variables':
      showVariables = m.on;
      if (showVariables) self.postMessage(reportOf(session.report()));
      break;
    case 'end':
      running = false;
      clearTimeout(timer);
      break;
  }
};
