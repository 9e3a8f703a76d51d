// The editor's keys and undo as the desktop editor has them: the caret never
// stops left of a line's indentation when it arrives by an arrow key; Tab
// inserts nothing; Backspace in the indentation joins the line with the one
// before; every edit re-indents the touched lines at once. Undo works on
// whole lines: a typing run is one step, a deleted selection is undone
// together with what replaced it, and the last 100 steps are kept.
//
// Keys a page cannot have, because the browser keeps them for itself:
// Strg+N, Strg+W, Strg+T, Strg+Tab, Strg+Umschalt+Tab, Strg+Umschalt+N,
// Strg+Umschalt+T, Strg+Bild auf/ab (tabs), Alt+Links/Rechts (history),
// F11 in some browsers (full screen). Reading the clipboard needs the
// browser's paste event, so Strg+V and Umschalt+Einfg paste what the browser
// hands over; the clipboard gets plain text only.
import { EditorSelection, EditorState, Annotation, Prec, Transaction } from '@codemirror/state';
import { EditorView, keymap } from '@codemirror/view';
import { startCompletion } from '@codemirror/autocomplete';

// The desktop keeps this many undo steps.
export const UndoCapacity = 100;

const ukReplace = 0, ukDelete = 1, ukInsert = 2, ukJoin = 3;

// ---------------------------------------------------------------- undo

// A step saves whole lines; applying it puts them back and saves what they
// replace, so that it becomes its own inverse.
class UndoStep {
  constructor() {
    this.lines = [];
    this.first = 0;
    this.lineCount = 0;
    this.caretLine = 0;
    this.caretColumn = 0;
    this.linked = false;
    this.kind = ukReplace;
  }

  apply(lines) {
    const texts = (first, count) => (first < 0 ? [] : lines.slice(first, first + Math.max(0, count)));
    const removeRange = (first, count) => { if (first >= 0 && first < lines.length && count > 0) lines.splice(first, count); };
    const insertRange = (first, list) => lines.splice(Math.min(Math.max(first, 0), lines.length), 0, ...list);
    switch (this.kind) {
    case ukReplace: {
      const replaced = texts(this.first, this.lineCount);
      removeRange(this.first, this.lineCount);
      this.lineCount = this.lines.length;
      insertRange(this.first, this.lines);
      this.lines = replaced;
      break;
    }
    case ukDelete:
      this.lines = texts(this.first, this.lineCount);
      removeRange(this.first, this.lineCount);
      this.kind = ukInsert;
      break;
    case ukInsert:
      this.lineCount = this.lines.length;
      insertRange(this.first, this.lines);
      this.lines = [];
      this.kind = ukDelete;
      break;
    default: {
      this.lines = texts(this.first, 2);
      if (this.lines.length === 2) {
        lines[this.first] += this.lines[1];
        lines.splice(this.first + 1, 1);
        this.lineCount = 1;
      } else {
        this.lineCount = this.lines.length;
      }
      this.kind = ukReplace;
    }
    }
  }
}

// The ring of steps that undo and redo share.
export class UndoRing {
  constructor(capacity = UndoCapacity) {
    this.capacity = Math.max(1, capacity);
    this.steps = Array.from({ length: this.capacity }, () => new UndoStep());
    this.clear();
  }

  clear() {
    this.current = 0;
    this.undoCount = 0;
    this.redoCount = 0;
    this.pendingLink = false;
    this.resultLine = 0;
    this.resultColumn = 0;
  }

  next(i) { return (i + 1) % this.capacity; }
  previous(i) { return i === 0 ? this.capacity - 1 : i - 1; }

  record(lines, first, caretLine, caretColumn, kind, saveCount, lineCount) {
    this.redoCount = 0;
    this.current = this.next(this.current);
    this.undoCount = Math.min(this.undoCount + 1, this.capacity);
    const step = this.steps[this.current];
    step.kind = kind;
    step.first = first;
    step.lineCount = lineCount;
    step.caretLine = caretLine;
    step.caretColumn = caretColumn;
    step.linked = this.pendingLink;
    this.pendingLink = false;
    step.lines = kind === ukReplace || kind === ukInsert ? (first < 0 ? [] : lines.slice(first, first + saveCount)) : [];
  }

  linkNext() { this.pendingLink = true; }
  unlinkCurrent() { this.steps[this.current].linked = false; }

  undo(lines, caretLine, caretColumn) {
    this.pendingLink = false;
    if (this.undoCount < 1) return false;
    const step = this.steps[this.current];
    step.apply(lines);
    this.resultLine = step.caretLine;
    this.resultColumn = step.caretColumn;
    const linked = step.linked;
    this.undoCount--;
    this.redoCount++;
    this.current = this.previous(this.current);
    if (linked && this.undoCount >= 1) {
      this.steps[this.current].apply(lines);
      this.undoCount--;
      this.redoCount++;
      this.current = this.previous(this.current);
    }
    const earliest = this.steps[this.next(this.current)];
    earliest.caretLine = caretLine;
    earliest.caretColumn = caretColumn;
    earliest.linked = linked;
    return true;
  }

  redo(lines, caretLine, caretColumn) {
    this.pendingLink = false;
    if (this.redoCount < 1) return false;
    this.current = this.next(this.current);
    const step = this.steps[this.current];
    step.apply(lines);
    this.resultLine = step.caretLine;
    this.resultColumn = step.caretColumn;
    const linked = step.linked;
    this.undoCount++;
    this.redoCount--;
    if (linked && this.redoCount >= 1) {
      this.current = this.next(this.current);
      this.steps[this.current].apply(lines);
      this.undoCount++;
      this.redoCount--;
    }
    const last = this.steps[this.current];
    last.caretLine = caretLine;
    last.caretColumn = caretColumn;
    last.linked = linked;
    return true;
  }
}

// ---------------------------------------------------------------- the text model

const before = (a, b) => a.line < b.line || (a.line === b.line && a.column < b.column);
const same = (a, b) => a.line === b.line && a.column === b.column;

// One editing command on the lines as plain strings, with a record (the
// state the line leaves, its indentation) per line or null for a line not
// formatted yet. Formatting a line may re-indent it and moves the caret
// with it, as typing `*wenn` moves its line back.
class Edit {
  constructor(lines, records, caret, anchor, keep, format, visibleLines) {
    this.lines = lines;
    this.records = records;
    this.caret = caret;
    this.anchor = anchor;
    this.end = { ...caret };
    this.keep = keep;
    this.format = format;
    this.visibleLines = visibleLines;
  }

  length(l) { return l >= 0 && l < this.lines.length ? this.lines[l].length : 0; }
  hasSelection() { const [s, e] = this.normalised(); return !same(s, e); }
  collapse() { this.anchor = { ...this.caret }; this.end = { ...this.caret }; }

  normalised() {
    const s = before(this.anchor, this.end) ? this.anchor : this.end;
    const e = s === this.anchor ? this.end : this.anchor;
    const last = this.lines.length - 1;
    const clamp = (p) => {
      if (last < 0) return { line: 0, column: 0 };
      if (p.line > last) return { line: last, column: this.length(last) };
      const line = Math.max(p.line, 0);
      return { line, column: Math.min(Math.max(p.column, 0), this.length(line)) };
    };
    return [clamp(s), clamp(e)];
  }

  setCaret(line, column) {
    column = Math.max(column, 0);
    if (line > this.lines.length - 1 || line < 0) {
      if (this.lines.length === 0) this.addSingleEmptyLine();
      return;
    }
    this.caret = { line, column: Math.min(column, this.length(line)) };
  }

  addSingleEmptyLine() {
    this.lines.splice(0, 0, '');
    this.records.splice(0, 0, null);
    this.highlightLine(0);
    this.caret = { line: 0, column: 0 };
  }

  ensureCaretLine() {
    if (this.lines.length === 0) { this.addSingleEmptyLine(); return; }
    const line = Math.min(Math.max(this.caret.line, 0), this.lines.length - 1);
    this.caret = { line, column: Math.min(Math.max(this.caret.column, 0), this.length(line)) };
  }

  insertLines(at, texts) {
    at = Math.min(Math.max(at, 0), this.lines.length);
    this.lines.splice(at, 0, ...texts);
    this.records.splice(at, 0, ...texts.map(() => null));
  }

  removeLines(at, count) {
    if (at < 0 || at >= this.lines.length || count <= 0) return;
    this.lines.splice(at, count);
    this.records.splice(at, count);
  }

  record(first, kind, saveCount, lineCount) {
    this.keep.undo.record(this.lines, first, this.caret.line, this.caret.column, kind, saveCount, lineCount);
  }

  // ------------------------------------------------------------ formatting

  highlightOne(i) {
    const previous = i > 0 ? this.records[i - 1] : null;
    const text = this.lines[i];
    const r = this.format(text, previous ? previous.commentOpen : false, previous ? previous.nextIndent : 0);
    const spaces = text.length - text.replace(/^ +/, '').length;
    const shift = r.lineIndent - spaces;
    this.records[i] = { commentOpen: r.commentOpen, nextIndent: r.nextIndent, indent: r.lineIndent };
    if (shift !== 0) {
      this.lines[i] = ' '.repeat(r.lineIndent) + text.slice(spaces);
      if (i === this.caret.line) this.setCaret(i, this.caret.column + shift);
    }
  }

  highlightLine(line) {
    if (line < 0 || line >= this.lines.length) return;
    let first = line;
    while (first > 0 && !this.records[first - 1]) first--;
    for (let i = first; i <= line; i++) this.highlightOne(i);
  }

  // The lines first..last, and on while the state a line leaves changes.
  highlightRange(first, last) {
    last = Math.min(last, this.lines.length - 1);
    for (let i = Math.max(first, 0); i < this.lines.length; i++) {
      const old = this.records[i];
      this.highlightLine(i);
      const now = this.records[i];
      const changed = !old || !now || now.nextIndent !== old.nextIndent || now.commentOpen !== old.commentOpen;
      if (i + 1 > last && !changed) break;
    }
  }

  highlightFrom(first) {
    for (let i = Math.max(first, 0); i < this.lines.length; i++) this.highlightLine(i);
  }

  lineIndent(line) {
    if (line < 0 || line >= this.lines.length) return 0;
    if (!this.records[line]) this.highlightRange(line, line);
    return this.records[line] ? this.records[line].indent : 0;
  }

  // ------------------------------------------------------------ edits

  deleteSelection() {
    const [s, e] = this.normalised();
    if (same(s, e)) return false;
    // Undo takes the one line the deletion leaves and puts the selected
    // lines back.
    this.record(s.line, ukReplace, e.line - s.line + 1, 1);
    this.keep.undo.linkNext();
    this.lines[s.line] = this.lines[s.line].slice(0, s.column) + this.lines[e.line].slice(e.column);
    this.removeLines(s.line + 1, e.line - s.line);
    this.setCaret(s.line, s.column);
    this.anchor = { ...s };
    this.end = { ...s };
    this.highlightRange(s.line, s.line + 1);
    return true;
  }

  lineBreak() {
    this.ensureCaretLine();
    const { line: l, column: c } = this.caret;
    // The new line is re-indented at once: the step keeps the line as it was
    // and takes both halves away.
    this.record(l, ukReplace, 1, 2);
    const text = this.lines[l];
    this.lines[l] = text.slice(0, c);
    this.insertLines(l + 1, [text.slice(c)]);
    this.highlightRange(l, l + 1);
    this.setCaret(l + 1, this.lineIndent(l + 1));
  }

  typeCharacter(ch) {
    this.ensureCaretLine();
    this.deleteSelection();
    const { line: l, column: c } = this.caret;
    // A run of typing shares one step; typing on another line needs its own.
    if (!this.keep.typingRun || this.keep.typingLine !== l) {
      this.record(l, ukReplace, 1, 1);
      this.keep.typingRun = true;
      this.keep.typingLine = l;
    }
    this.lines[l] = this.lines[l].slice(0, c) + ch + this.lines[l].slice(c);
    this.setCaret(l, c + ch.length);
    this.highlightRange(l, l);
  }

  backspace() {
    this.keep.typingRun = false;
    this.ensureCaretLine();
    if (this.deleteSelection()) return;
    const { line: l, column: c } = this.caret;
    const onlyBlanks = c > 0 && /^ *$/.test(this.lines[l].slice(0, c));
    if (c === 0 || onlyBlanks) {
      // Inside the automatic indentation: join with the line before.
      if (l > 0) {
        this.record(l - 1, ukReplace, 2, 1);
        const oldLength = this.length(l - 1);
        this.lines[l - 1] += this.lines[l].slice(c);
        this.removeLines(l, 1);
        this.setCaret(l - 1, oldLength);
        this.highlightRange(l - 1, l);
      }
    } else {
      this.record(l, ukReplace, 1, 1);
      this.lines[l] = this.lines[l].slice(0, c - 1) + this.lines[l].slice(c);
      this.setCaret(l, c - 1);
      this.highlightRange(l, l);
    }
  }

  deleteKey() {
    this.keep.typingRun = false;
    this.ensureCaretLine();
    if (this.deleteSelection()) return;
    const { line: l, column: c } = this.caret;
    let joined = false;
    if (c < this.length(l)) {
      this.record(l, ukReplace, 1, 1);
      this.lines[l] = this.lines[l].slice(0, c) + this.lines[l].slice(c + 1);
    } else if (l < this.lines.length - 1) {
      this.record(l, ukReplace, 2, 1);
      this.lines[l] += this.lines[l + 1];
      this.removeLines(l + 1, 1);
      joined = true;
    }
    this.highlightRange(l, joined ? l + 1 : l);
  }

  // CR LF, a lone CR and a lone LF each break the line; a form feed becomes
  // three blanks.
  pasteText(clip) {
    if (typeof clip !== 'string') return;
    let breaks = 0;
    for (let i = 0; i < clip.length; i++) {
      if (clip[i] === '\r' || (clip[i] === '\n' && (i === 0 || clip[i - 1] !== '\r'))) breaks++;
    }
    let l = this.caret.line;
    if (l > this.lines.length - 1 || l < 0) {
      this.insertLines(this.lines.length, ['']);
      l = this.lines.length - 1;
    }
    const c = Math.min(Math.max(this.caret.column, 0), this.length(l));
    this.record(l, ukReplace, 1, breaks + 1);
    const rest = this.lines[l].slice(c);
    const added = [];
    let current = this.lines[l].slice(0, c);
    let afterCR = false;
    for (const ch of clip) {
      if (ch === '\n') {
        if (!afterCR) { added.push(current); current = ''; }
        afterCR = false;
        continue;
      }
      afterCR = ch === '\r';
      if (ch === '\r') { added.push(current); current = ''; }
      else if (ch === '\f') current += '   ';
      else current += ch;
    }
    const caretColumn = current.length;
    current += rest;
    added.push(current);
    this.lines[l] = added[0];
    this.insertLines(l + 1, added.slice(1));
    const lastLine = l + added.length - 1;
    // The caret is placed first, so that re-indenting the last line moves it.
    this.setCaret(lastLine, caretColumn);
    this.highlightRange(l, lastLine);
  }

  copyText() {
    const [s, e] = this.normalised();
    if (same(s, e)) return null;
    if (s.line === e.line) return this.lines[s.line].slice(s.column, e.column);
    const out = [this.lines[s.line].slice(s.column)];
    for (let line = s.line + 1; line <= e.line; line++) {
      out.push(line === e.line ? this.lines[line].slice(0, e.column) : this.lines[line]);
    }
    return out.join('\n');
  }

  // The caret keys; `shift` extends the selection from where the caret was.
  move(key, shift) {
    const had = this.hasSelection();
    const start = { ...this.caret };
    const { line: l, column: c } = this.caret;
    const n = this.lines.length;
    this.keep.typingRun = false;
    switch (key) {
    case 'PageUp': this.setCaret(l < this.visibleLines ? 0 : l - this.visibleLines, c); break;
    case 'PageDown': this.setCaret(l + this.visibleLines > n - 1 ? n - 1 : l + this.visibleLines, c); break;
    case 'End': this.setCaret(l, this.length(l)); break;
    case 'Home': this.setCaret(l, 0); break;
    case 'Left':
      if (c > this.lineIndent(l)) this.setCaret(l, c - 1);
      else if (l > 0) this.setCaret(l - 1, this.length(l - 1));
      break;
    case 'Right':
      if (c < this.length(l)) this.setCaret(l, c + 1);
      else if (l < n - 1) this.setCaret(l + 1, this.lineIndent(l + 1));
      break;
    case 'Up': if (l >= 1) this.setCaret(l - 1, Math.max(c, this.lineIndent(l - 1))); break;
    case 'Down': if (l < n - 1) this.setCaret(l + 1, Math.max(c, this.lineIndent(l + 1))); break;
    default: break;
    }
    if (shift) {
      if (!had) this.anchor = start;
      this.end = { ...this.caret };
    } else {
      this.collapse();
    }
  }

  undoOrRedo(undo) {
    const lines = this.lines;
    const ring = this.keep.undo;
    const done = undo ? ring.undo(lines, this.caret.line, this.caret.column)
      : ring.redo(lines, this.caret.line, this.caret.column);
    if (!done) return false;
    // The lines changed wholesale: every line is formatted anew.
    this.records = lines.map(() => null);
    this.keep.typingRun = false;
    this.ensureCaretLine();
    this.setCaret(ring.resultLine, ring.resultColumn);
    this.highlightFrom(0);
    this.collapse();
    return true;
  }
}

// ---------------------------------------------------------------- CodeMirror

const isWordCharacter = (ch) => /[0-9A-Za-zÄÖÜßäöü]/.test(ch);

const ours = Annotation.define();

// `records(state)` gives the formatted state of every line of the document,
// `format` the core's FormatLine.
export function desktopKeys({ format, records }) {
  const keep = { undo: new UndoRing(), typingRun: false, typingLine: -1, pendingCopy: null, pasting: null };

  function visibleLines(view) {
    return Math.max(1, Math.floor(view.scrollDOM.clientHeight / Math.max(1, view.defaultLineHeight)));
  }

  function begin(view) {
    const state = view.state;
    const lines = state.doc.toJSON();
    const sel = state.selection.main;
    const pos = (p) => { const line = state.doc.lineAt(p); return { line: line.number - 1, column: p - line.from }; };
    const edit = new Edit(lines, records(state), pos(sel.head), pos(sel.anchor), keep, format, visibleLines(view));
    edit.original = lines.slice();
    return edit;
  }

  // The change from the lines before to the lines after, as one replacement.
  // Lines an edit leaves alone are the very same strings, so comparing them
  // costs nothing; only the window of changed lines (and one line around it)
  // is compared by characters. A long program is no slower to type in.
  function difference(doc, before, after) {
    let top = 0, endBefore = before.length, endAfter = after.length;
    while (top < endBefore && top < endAfter && before[top] === after[top]) top++;
    if (top === endBefore && top === endAfter) return null;
    while (endBefore > top && endAfter > top && before[endBefore - 1] === after[endAfter - 1]) { endBefore--; endAfter--; }
    const first = Math.max(0, top - 1);
    const lastBefore = Math.min(before.length, endBefore + 1);
    const lastAfter = endAfter + (lastBefore - endBefore);
    const start = doc.line(first + 1).from;
    const old = before.slice(first, lastBefore).join('\n');
    const text = after.slice(first, lastAfter).join('\n');
    let from = 0;
    while (from < old.length && from < text.length && old[from] === text[from]) from++;
    let endOld = old.length, endNew = text.length;
    while (endOld > from && endNew > from && old[endOld - 1] === text[endNew - 1]) { endOld--; endNew--; }
    return { from: start + from, to: start + endOld, insert: text.slice(from, endNew) };
  }

  // `event` names the edit for the completion list, which opens on typing.
  function commit(view, edit, event = 'input') {
    const doc = view.state.doc;
    if (edit.lines.length === 0) edit.lines.push('');
    const change = difference(doc, edit.original, edit.lines);
    const starts = [0];
    for (let i = 0; i < edit.lines.length - 1; i++) starts.push(starts[i] + edit.lines[i].length + 1);
    const at = (p) => {
      const line = Math.min(Math.max(p.line, 0), edit.lines.length - 1);
      return starts[line] + Math.min(Math.max(p.column, 0), edit.lines[line].length);
    };
    const head = at(edit.caret);
    const [s, e] = edit.normalised();
    const anchor = same(s, e) ? head : at(edit.anchor);
    const changed = change !== null;
    view.dispatch({
      changes: changed ? change : undefined,
      selection: EditorSelection.single(anchor, head),
      scrollIntoView: true,
      annotations: ours.of(true),
      userEvent: changed ? event : 'select',
    });
  }

  // A command on the model, when the text may be edited.
  const run = (body, event) => (view) => {
    if (view.state.readOnly) return false;
    const edit = begin(view);
    const result = body(edit, view);
    if (result === false) return false;
    commit(view, edit, event);
    return true;
  };

  // The clipboard's text goes through the browser's copy event; the keys
  // that copy without one (Strg+Einfg, Umschalt+Entf) ask for it.
  function copy(view, edit) {
    const text = edit.copyText();
    if (text === null) return;
    keep.pendingCopy = text;
    try { view.dom.ownerDocument.execCommand('copy'); } catch { /* no clipboard: nothing copied */ }
    keep.pendingCopy = null;
  }

  const moves = ['Left', 'Right', 'Up', 'Down', 'Home', 'End', 'PageUp', 'PageDown'];
  const domKey = (k) => (['Left', 'Right', 'Up', 'Down'].includes(k) ? 'Arrow' + k : k);
  const bindings = [];
  for (const k of moves) {
    // With the completion list open, Up and Down choose in it (its keys come
    // first). Strg and Alt change nothing about a caret key.
    const plain = run((edit) => edit.move(k, false));
    const shifted = run((edit) => edit.move(k, true));
    for (const mod of ['', 'Ctrl-', 'Alt-']) bindings.push({ key: mod + domKey(k), run: plain, shift: shifted });
  }
  const enter = run((edit) => { edit.lineBreak(); edit.keep.typingRun = false; edit.collapse(); });
  const backspace = run((edit) => { edit.backspace(); edit.collapse(); }, 'delete.backward');
  const del = run((edit) => { edit.deleteKey(); edit.collapse(); }, 'delete.forward');
  // Tab inserts nothing: it drops the selection and offers the completion
  // where typing would.
  const tab = (view) => {
    if (view.state.readOnly) return true;
    keep.typingRun = false;
    run((edit) => edit.collapse())(view);
    const head = view.state.selection.main.head;
    const line = view.state.doc.lineAt(head);
    if (/[.:]\w*$/.test(line.text.slice(0, head - line.from))) startCompletion(view);
    return true;
  };
  // Escape drops the selection (the completion list takes it first).
  const escape = (view) => !view.state.selection.main.empty && run((edit) => edit.collapse())(view);
  bindings.push(
    { key: 'Enter', run: enter, shift: enter }, { key: 'Ctrl-Enter', run: enter },
    { key: 'Backspace', run: backspace, shift: backspace }, { key: 'Ctrl-Backspace', run: backspace },
    { key: 'Delete', run: del, shift: run((edit, view) => { copy(view, edit); edit.deleteKey(); }) },
    { key: 'Ctrl-Delete', run: del },
    { key: 'Tab', run: tab, shift: tab },
    { key: 'Escape', run: escape },
    { key: 'Insert', run: run((edit) => { edit.keep.typingRun = false; edit.collapse(); }) },
    { key: 'Ctrl-Insert', run: run((edit, view) => { edit.keep.typingRun = false; copy(view, edit); }) },
    // Umschalt+Einfg: the selection goes now; the clipboard is read when the
    // browser allows it (some paste their selection on this key themselves).
    { key: 'Shift-Insert', run: (view) => {
      if (view.state.readOnly) return true;
      const edit = begin(view);
      keep.typingRun = false;
      edit.deleteSelection();
      commit(view, edit);
      const clipboard = navigator.clipboard;
      if (!clipboard || !clipboard.readText) return true;
      keep.pasting = clipboard.readText().then((clip) => {
        if (view.state.readOnly || !clip) return;
        const later = begin(view);
        later.pasteText(clip);
        keep.typingRun = false;
        commit(view, later, 'input.paste');
      }, () => {}).finally(() => { keep.pasting = null; });
      return true;
    } },
    { key: 'Mod-a', run: run((edit) => {
      keep.typingRun = false;
      const last = edit.lines.length - 1;
      edit.setCaret(last, edit.length(last));
      edit.anchor = { line: 0, column: 0 };
      edit.end = { line: last, column: edit.length(last) };
    }) },
    // Strg+Z undoes; with nothing to undo the key only drops the selection.
    { key: 'Mod-z', run: run((edit) => { if (!edit.undoOrRedo(true)) edit.collapse(); }) },
    // Strg+Y redoes, as the page's button says; the desktop has only its button.
    { key: 'Mod-y', run: (view) => { run((edit) => edit.undoOrRedo(false) || false)(view); return true; } },
    // Strg+V: the selection goes now, the text comes with the paste event.
    { key: 'Mod-v', run: (view) => {
      if (view.state.readOnly) return false;
      const edit = begin(view);
      if (edit.deleteSelection()) commit(view, edit);
      return false;
    } },
  );

  const domHandlers = EditorView.domEventHandlers({
    // A double click selects the word under the mouse; the underscore ends
    // a word here, so that `alter_wert` is taken in two halves.
    mousedown(event, view) {
      if (event.detail !== 2 || event.button !== 0) return false;
      let pos = view.posAtCoords({ x: event.clientX, y: event.clientY });
      if (pos === null) return false;
      const box = view.coordsAtPos(pos);
      if (box && box.left > event.clientX && pos > view.state.doc.lineAt(pos).from) pos--;
      const line = view.state.doc.lineAt(pos);
      const record = records(view.state)[line.number - 1];
      const text = line.text;
      const c = Math.min(Math.max(pos - line.from, record ? record.indent : 0), text.length);
      event.preventDefault();
      if (c >= text.length || !isWordCharacter(text[c])) {
        view.dispatch({ selection: EditorSelection.cursor(line.from + c), userEvent: 'select.pointer' });
        return true;
      }
      let start = c, end = c;
      while (start > 0 && isWordCharacter(text[start - 1])) start--;
      while (end < text.length && isWordCharacter(text[end])) end++;
      view.dispatch({ selection: EditorSelection.single(line.from + start, line.from + end), userEvent: 'select.pointer' });
      return true;
    },
    // A key that gives one character types it, as the desktop takes keys;
    // an input method and dead keys go the browser's way (below). AltGr
    // may come as Strg+Alt; Alt alone is for the menus.
    keydown(event, view) {
      const ch = event.key;
      if (view.state.readOnly || view.composing || event.metaKey || [...ch].length !== 1) return false;
      if ((event.ctrlKey && !event.altKey) || (event.altKey && !event.ctrlKey)) return false;
      if (ch < ' ' || ch === '\x7f') return false;
      const edit = begin(view);
      edit.typeCharacter(ch);
      edit.collapse();
      commit(view, edit, 'input.type');
      event.preventDefault();
      return true;
    },
    copy(event, view) {
      // Without a selection the clipboard stays as it is.
      const text = keep.pendingCopy !== null ? keep.pendingCopy : begin(view).copyText();
      event.preventDefault();
      if (text !== null && event.clipboardData) event.clipboardData.setData('text/plain', text);
      return true;
    },
    cut(event, view) {
      if (view.state.readOnly) return false;
      const edit = begin(view);
      const text = edit.copyText();
      if (text !== null && event.clipboardData) event.clipboardData.setData('text/plain', text);
      event.preventDefault();
      if (edit.deleteSelection()) commit(view, edit, 'delete.cut');
      return true;
    },
    paste(event, view) {
      event.preventDefault();
      if (view.state.readOnly) return true;
      const clip = event.clipboardData ? event.clipboardData.getData('text/plain') : '';
      const edit = begin(view);
      edit.deleteSelection();
      if (clip) edit.pasteText(clip);
      edit.collapse();
      commit(view, edit, 'input.paste');
      return true;
    },
  });

  // Typed characters, one at a time as the desktop takes them; a text put
  // together by an input method is taken as the browser gives it.
  const input = EditorView.inputHandler.of((view, from, to, text) => {
    if (view.state.readOnly || view.composing) return false;
    const sel = view.state.selection.main;
    if (from !== sel.from || to !== sel.to) return false;
    const edit = begin(view);
    for (const ch of text) {
      if (ch === '\n' || ch === '\r') { edit.lineBreak(); keep.typingRun = false; }
      else if (ch >= ' ' && ch !== '\x7f') edit.typeCharacter(ch);
      edit.collapse();
    }
    commit(view, edit, 'input.type');
    return true;
  });

  // Changes made elsewhere (an accepted completion, an input method, a drop)
  // become one undo step over the lines they touched; a click ends a typing
  // run.
  const observe = EditorView.updateListener.of((u) => {
    for (const tr of u.transactions) {
      // Ours, or not meant for the history (the highlighting given afterwards).
      if (tr.annotation(ours) || tr.annotation(Transaction.addToHistory) === false) continue;
      if (tr.selection || tr.docChanged) keep.typingRun = false;
      if (!tr.docChanged) continue;
      let fromA = Infinity, toA = 0, toB = 0;
      tr.changes.iterChangedRanges((fa, ta, fb, tb) => {
        fromA = Math.min(fromA, fa); toA = Math.max(toA, ta); toB = Math.max(toB, tb);
      });
      const old = tr.startState.doc;
      const first = old.lineAt(fromA).number - 1;
      const lastOld = old.lineAt(toA).number - 1;
      const lastNew = tr.state.doc.lineAt(toB).number - 1;
      const head = tr.startState.selection.main.head;
      const caret = old.lineAt(head);
      keep.undo.record(old.toJSON(), first, caret.number - 1, head - caret.from, ukReplace, lastOld - first + 1,
        lastNew - first + 1);
    }
  });

  // A click into the indentation puts the caret behind it.
  const click = EditorState.transactionFilter.of((tr) => {
    if (!tr.isUserEvent('select.pointer') || tr.docChanged || tr.startState.readOnly) return tr;
    const sel = tr.selection.main;
    if (!sel.empty || tr.selection.ranges.length !== 1) return tr;
    const line = tr.newDoc.lineAt(sel.head);
    const record = records(tr.startState)[line.number - 1];
    const indent = record ? record.indent : 0;
    if (sel.head - line.from >= indent || line.from === line.to) return tr;
    return [tr, { selection: EditorSelection.cursor(Math.min(line.to, line.from + indent)), sequential: true }];
  });

  return {
    extensions: [Prec.high(keymap.of(bindings)), domHandlers, input, observe, click],
    // A loaded text starts with an empty history.
    clear() { keep.undo.clear(); keep.typingRun = false; },
    undo: run((edit) => edit.undoOrRedo(true) || false),
    redo: run((edit) => edit.undoOrRedo(false) || false),
    counts: () => ({ undo: keep.undo.undoCount, redo: keep.undo.redoCount }),
    visibleLines,
    // A paste by Umschalt+Einfg waits for the clipboard: this promise, or null.
    pasting: () => keep.pasting,
  };
}
