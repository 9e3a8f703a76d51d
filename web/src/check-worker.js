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
  const hint = session.check(!!m.forbid);
  self.postMessage({ t: 'hint', id: m.id, hint });
}

self.onmessage = async (event) => {
  const m = event.data;
  if (m.t === 'init') {
    self.importScripts(m.base + 'zak-core.js');
    core = await instantiateCore(m.module);
    session = new core.WebSession();
    work();
  } else if (m.t === 'complete') {
    // The names of the text the last check saw, as the desktop's completion
    // reads those its background check published.
    let result = null;
    if (session) {
      const found = session.complete(m.line, m.column);
      if (found.startColumn >= 0) {
        const items = [];
        for (let i = 0; i < found.proposals.size(); i++) {
          const p = found.proposals.get(i);
          items.push({ name: p.name, description: p.description, kind: p.kind, insert: p.insertText });
        }
        result = { from: found.startColumn - 1, items };
      }
      found.proposals.delete();
    }
    self.postMessage({ t: 'proposals', id: m.id, result });
  } else if (m.t === 'check') {
    pending = m;
    setTimeout(work, 0);
  }
};
