// The journal that keeps an unsaved text in the browser (IndexedDB), per
// tab: each tab writes under its own id, which a reload of the tab finds
// again; a tab that is gone leaves its entry for the next start to offer.
// Whether a tab is alive the browser tells: each tab holds a Web Lock named
// after its id for its whole life, and the browser lets go of it the moment
// the tab closes or crashes. Where a browser has no Web Locks (a page served
// over plain http from another machine), each tab marks itself alive every
// few seconds instead, and takes its mark away when the page goes.

const DbName = 'zak';
const Store = 'journal';
// A text is written at most this often.
export const JournalIntervalMs = 2000;
// Without Web Locks: a tab whose mark is older than this is closed (or crashed).
const AliveMs = 6000;
const LockPrefix = 'zak-tab-';
const MarkPrefix = 'zak-alive-';
const TabKey = 'zak-tab';

function open() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DbName, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(Store, { keyPath: 'id' });
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

function run(db, mode, action) {
  return new Promise((resolve, reject) => {
    const tx = db.transaction(Store, mode);
    const result = action(tx.objectStore(Store));
    tx.oncomplete = () => resolve(result && 'result' in result ? result.result : undefined);
    tx.onerror = () => reject(tx.error);
  });
}

export class Journal {
  constructor() {
    // The id lies in the tab's session storage only while the page is gone
    // (put back on pagehide): a reload finds it, while a duplicated tab,
    // which copies the session storage of a living page, gets an id of its own.
    this.id = sessionStorage.getItem(TabKey) || (Date.now().toString(36) + Math.random().toString(36).slice(2));
    sessionStorage.removeItem(TabKey);
    this.locks = typeof navigator !== 'undefined' && navigator.locks && navigator.locks.request ? navigator.locks : null;
    this.db = null;
    this.timer = 0;
    this.lastWrite = 0;
    this.pending = null;
    // Alive from the first moment, so that no other tab starting now takes
    // this tab's text for a lost one.
    if (this.locks) {
      // Held until the tab ends; a reload waits for the page before it to let go.
      this.locks.request(LockPrefix + this.id, () => new Promise(() => {})).catch(() => {});
    } else {
      this.beat();
      setInterval(() => this.beat(), AliveMs / 3);
    }
  }

  async init() {
    try { this.db = await open(); } catch (e) { this.db = null; }
  }

  beat() { localStorage.setItem(MarkPrefix + this.id, String(Date.now())); }

  // The page goes (closed, reloaded or put aside): a reload of this tab
  // finds its id again, and no mark says that the tab is still open.
  leave() {
    sessionStorage.setItem(TabKey, this.id);
    if (!this.locks) localStorage.removeItem(MarkPrefix + this.id);
  }

  // The page is shown again from the browser's back-forward cache.
  back() {
    sessionStorage.removeItem(TabKey);
    if (!this.locks) this.beat();
  }

  // The ids of the tabs open now (this one included), or null where only
  // the marks can tell.
  async aliveIds() {
    if (!this.locks) return null;
    try {
      const { held = [], pending = [] } = await this.locks.query();
      return new Set([...held, ...pending].map((l) => l.name || '').filter((n) => n.startsWith(LockPrefix))
        .map((n) => n.slice(LockPrefix.length)));
    } catch (e) {
      return null;
    }
  }

  // The entry to offer: this tab's own (a reload), else the newest of a tab that is gone.
  async orphan() {
    if (!this.db) return null;
    const all = await run(this.db, 'readonly', (s) => s.getAll());
    const alive = await this.aliveIds();
    const now = Date.now();
    const gone = (id) => (alive ? !alive.has(id) : now - Number(localStorage.getItem(MarkPrefix + id) || 0) > AliveMs);
    const candidates = (all || []).filter((e) => e.id === this.id || gone(e.id));
    candidates.sort((a, b) => (a.id === this.id ? -1 : b.id === this.id ? 1 : b.time - a.time));
    return candidates[0] || null;
  }

  async take(entry) {
    if (!this.db) return;
    if (entry.id !== this.id) {
      await run(this.db, 'readwrite', (s) => s.delete(entry.id));
      localStorage.removeItem(MarkPrefix + entry.id);
    }
  }

  async drop(entry) {
    if (!this.db) return;
    await run(this.db, 'readwrite', (s) => s.delete(entry.id));
    if (entry.id !== this.id) localStorage.removeItem(MarkPrefix + entry.id);
  }

  // The text changed: written now or when the interval since the last write is over.
  changed(getEntry) {
    this.pending = getEntry;
    if (this.timer) return;
    const wait = Math.max(0, this.lastWrite + JournalIntervalMs - Date.now());
    this.timer = setTimeout(() => this.flush(), wait);
  }

  async flush() {
    clearTimeout(this.timer);
    this.timer = 0;
    if (!this.pending || !this.db) return;
    const entry = { ...this.pending(), id: this.id, time: Date.now() };
    this.pending = null;
    this.lastWrite = Date.now();
    await run(this.db, 'readwrite', (s) => s.put(entry));
  }

  // The text is saved (or thrown away on purpose): nothing to recover.
  async clear() {
    clearTimeout(this.timer);
    this.timer = 0;
    this.pending = null;
    if (this.db) await run(this.db, 'readwrite', (s) => s.delete(this.id));
  }
}
