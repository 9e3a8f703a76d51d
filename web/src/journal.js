// The journal that keeps an unsaved text in the browser (IndexedDB), per
// tab: each tab writes under its own id, kept in the tab's session storage
// so that a reload finds it again; a tab that is gone leaves its entry for
// the next start to offer. Each tab marks itself alive every few seconds;
// an entry of a tab not seen for a while belongs to no open tab.

const DbName = 'zak';
const Store = 'journal';
// A text is written at most this often.
export const JournalIntervalMs = 2000;
// A tab whose mark is older than this is closed (or crashed).
const AliveMs = 6000;

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
    this.id = sessionStorage.getItem('zak-tab') || (Date.now().toString(36) + Math.random().toString(36).slice(2));
    sessionStorage.setItem('zak-tab', this.id);
    this.db = null;
    this.timer = 0;
    this.lastWrite = 0;
    this.pending = null;
  }

  async init() {
    try { this.db = await open(); } catch (e) { this.db = null; }
    this.beat();
    setInterval(() => this.beat(), AliveMs / 3);
  }

  beat() { localStorage.setItem('zak-alive-' + this.id, String(Date.now())); }

  // The entry to offer: this tab's own (a reload), else the newest of a tab that is gone.
  async orphan() {
    if (!this.db) return null;
    const all = await run(this.db, 'readonly', (s) => s.getAll());
    const now = Date.now();
    const candidates = (all || []).filter((e) => e.id === this.id ||
      now - Number(localStorage.getItem('zak-alive-' + e.id) || 0) > AliveMs);
    candidates.sort((a, b) => (a.id === this.id ? -1 : b.id === this.id ? 1 : b.time - a.time));
    return candidates[0] || null;
  }

  async take(entry) {
    if (!this.db) return;
    if (entry.id !== this.id) {
      await run(this.db, 'readwrite', (s) => s.delete(entry.id));
      localStorage.removeItem('zak-alive-' + entry.id);
    }
  }

  async drop(entry) {
    if (!this.db) return;
    await run(this.db, 'readwrite', (s) => s.delete(entry.id));
    if (entry.id !== this.id) localStorage.removeItem('zak-alive-' + entry.id);
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
