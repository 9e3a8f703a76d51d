// The background syntax check: one pass over the lines the page sends, its
// hint sent back. A newer text sent meanwhile makes the older answer moot;
// the page keeps only the answer to its latest request.
import { instantiateCore, stringList } from './core.js';

let core = null;
let session = null;
let pending = null;
let completion = null;

function work() {
  if (!pending || !session) return;
  const m = pending;
  pending = null;
  const list = stringList(core, m.lines);
  session.loadLines(list);
  list.delete();
  const hint = session.check(!!m.forbid);
  self.postMessage({ t: 'hint', id: m.id, hint });
  // Code completion proposes the names of this pass, as the desktop's does.
  const again = stringList(core, m.lines);
  completion.update(again);
  again.delete();
}

self.onmessage = async (event) => {
  const m = event.data;
  if (m.t === 'init') {
    self.importScripts(m.base + 'zak-core.js');
    core = await instantiateCore(m.module);
    session = new core.WebSession();
    completion = new core.WebCompletion();
    work();
  } else if (m.t === 'complete') {
    const result = completion ? completion.lookup(m.line, m.column) : null;
    self.postMessage({ t: 'proposals', id: m.id, result });
  } else if (m.t === 'check') {
    pending = m;
    setTimeout(work, 0);
  }
};
