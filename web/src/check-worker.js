// The background syntax check: one pass over the lines the page sends, its
// hint sent back. A newer text sent meanwhile makes the older answer moot;
// the page keeps only the answer to its latest request.
import { instantiateCore, stringList } from './core.js';

let core = null;
let session = null;
let pending = null;

function work() {
  if (!pending || !session) return;
  const m = pending;
  pending = null;
  const list = stringList(core, m.lines);
  session.loadLines(list);
  list.delete();
  const hint = session.check(false);
  self.postMessage({ t: 'hint', id: m.id, hint });
}

self.onmessage = async (event) => {
  const m = event.data;
  if (m.t === 'init') {
    self.importScripts(m.base + 'zak-core.js');
    core = await instantiateCore(m.module);
    session = new core.WebSession();
    work();
  } else if (m.t === 'check') {
    pending = m;
    setTimeout(work, 0);
  }
};
