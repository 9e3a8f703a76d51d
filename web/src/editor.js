// The program editor: CodeMirror with ZAK's highlighting and indentation,
// both computed line by line by the core's FormatLine so that the page and
// the desktop always agree; the gutter with breakpoints (a click sets or
// clears one) and error marks; the run's line colours. The keys and undo
// are the desktop editor's (keys.js).
import { EditorState, StateField, StateEffect, RangeSet, RangeSetBuilder, Compartment } from '@codemirror/state';
import { EditorView, Decoration, ViewPlugin, WidgetType, gutter, GutterMarker,
  highlightSpecialChars, drawSelection } from '@codemirror/view';
import { autocompletion } from '@codemirror/autocomplete';
import { desktopKeys } from './keys.js';

// ---------------------------------------------------------------- formatting

let formatLine = null;  // (text, commentOpen, indent) -> {line, classes, commentOpen, nextIndent, lineIndent}

// The state before each line (brace comment open, indentation) and the
// classes of its formatted text. After an edit only the lines from the
// first changed one are formatted again, until the state meets the old one.
class Formats {
  constructor(before, classes) {
    this.before = before;    // [{c, i}] for each line: the state the line before left
    this.classes = classes;  // [{lead, text}] the formatted line's classes and its leading blanks
  }

  static of(doc) {
    const f = new Formats([], []);
    f.fill(doc, 0, { c: false, i: 0 }, null, 0);
    return f;
  }

  fill(doc, from, state, old, shift) {
    for (let n = from; n < doc.lines; n++) {
      const oldIndex = n - shift;
      if (old && n > from && oldIndex >= 0 && oldIndex < old.before.length && old.settled(oldIndex, n, shift) &&
          old.before[oldIndex].c === state.c && old.before[oldIndex].i === state.i) {
        // From here on nothing changed: the old results hold.
        for (let k = n; k < doc.lines; k++) {
          this.before[k] = old.before[k - shift];
          this.classes[k] = old.classes[k - shift];
        }
        this.before.length = doc.lines;
        this.classes.length = doc.lines;
        return;
      }
      const text = doc.line(n + 1).text;
      const r = formatLine(text, state.c, state.i);
      this.before[n] = state;
      this.classes[n] = { classes: r.classes, lead: r.line.length - r.line.trimStart().length,
        after: { commentOpen: r.commentOpen, nextIndent: r.nextIndent, indent: r.lineIndent } };
      state = { c: r.commentOpen, i: r.nextIndent };
    }
    this.before.length = doc.lines;
    this.classes.length = doc.lines;
  }

  settled(oldIndex, n, shift) { return n >= this.changedEnd; }

  update(tr) {
    if (!tr.docChanged) return this;
    let fromA = Infinity, toB = 0;
    tr.changes.iterChangedRanges((fa, ta, fb, tb) => { fromA = Math.min(fromA, fa); toB = Math.max(toB, tb); });
    const doc = tr.state.doc;
    const first = tr.startState.doc.lineAt(fromA).number - 1;
    const lastNew = doc.lineAt(toB).number - 1;
    const shift = doc.lines - tr.startState.doc.lines;
    const f = new Formats(this.before.slice(0, first), this.classes.slice(0, first));
    this.changedEnd = lastNew + 1;
    f.fill(doc, first, this.before[first] || { c: false, i: 0 }, this, shift);
    return f;
  }
}

const formats = StateField.define({
  create: (state) => Formats.of(state.doc),
  update: (value, tr) => value.update(tr),
});

const classMarks = ['zk-kw', 'zk-str', null, 'zk-com', 'zk-num'].map((c) => (c ? Decoration.mark({ class: c }) : null));

function highlight(view) {
  const f = view.state.field(formats);
  const builder = new RangeSetBuilder();
  for (const { from, to } of view.visibleRanges) {
    let pos = from;
    while (pos <= to) {
      const line = view.state.doc.lineAt(pos);
      const entry = f.classes[line.number - 1];
      if (entry) {
        const lead = line.text.length - line.text.trimStart().length;
        const offset = entry.lead - lead;
        let runStart = -1, runClass = null;
        for (let k = lead; k <= line.text.length; k++) {
          const code = k < line.text.length ? entry.classes.charCodeAt(k + offset) - 48 : -1;
          const mark = code >= 0 && code < classMarks.length ? classMarks[code] : null;
          if (mark !== runClass) {
            if (runClass) builder.add(line.from + runStart, line.from + k, runClass);
            runClass = mark;
            runStart = k;
          }
        }
      }
      pos = line.to + 1;
    }
  }
  return builder.finish();
}

const highlighter = ViewPlugin.fromClass(class {
  constructor(view) { this.decorations = highlight(view); }
  update(u) { if (u.docChanged || u.viewportChanged) this.decorations = highlight(u.view); }
}, { decorations: (v) => v.decorations });

// What formatting left for each line: the state it hands on and its
// indentation, as the keys need them.
function lineRecords(state) {
  // The edit replaces records, never changes one, so they are shared.
  return state.field(formats).classes.map((e) => e.after);
}

// ---------------------------------------------------------------- line colours

export const setLineColours = StateEffect.define();  // {current, error, run}

const lineColours = StateField.define({
  create: () => ({ current: -1, error: -1, run: false }),
  update(value, tr) {
    for (const e of tr.effects) if (e.is(setLineColours)) value = { ...value, ...e.value };
    return value;
  },
  provide: (f) => EditorView.decorations.from(f, (v) => {
    return (view) => {
      const b = new RangeSetBuilder();
      const doc = view.state.doc;
      const marks = [];
      if (v.current >= 0 && v.current < doc.lines) marks.push([v.current, 'zk-current']);
      if (v.error >= 0 && v.error < doc.lines) marks.push([v.error, 'zk-error']);
      marks.sort((a, b2) => a[0] - b2[0]);
      for (const [n, cls] of marks) b.add(doc.line(n + 1).from, doc.line(n + 1).from, Decoration.line({ class: cls }));
      return b.finish();
    };
  }),
});

const runTheme = EditorView.editorAttributes.compute([lineColours], (state) =>
  state.field(lineColours).run ? { class: 'zk-run' } : {});

// ---------------------------------------------------------------- gutter

const toggleBreakpoint = StateEffect.define();  // {pos, on}
export const setErrorMarks = StateEffect.define();  // [{line, column}]

class BreakpointMarker extends GutterMarker {
  toDOM() {
    const el = document.createElement('span');
    el.className = 'zk-bp';
    el.textContent = 'S';
    el.title = 'Haltepunkt';
    return el;
  }
}
const breakpointMarker = new BreakpointMarker();

class ErrorMarker extends GutterMarker {
  toDOM() {
    const el = document.createElement('span');
    el.className = 'zk-errmark';
    el.textContent = '!';
    el.title = 'Fehler';
    return el;
  }
}
const errorMarker = new ErrorMarker();

const breakpoints = StateField.define({
  create: () => RangeSet.empty,
  update(set, tr) {
    set = set.map(tr.changes);
    for (const e of tr.effects) {
      if (e.is(toggleBreakpoint)) {
        set = e.value.on ? set.update({ add: [breakpointMarker.range(e.value.pos)] })
          : set.update({ filter: (from) => from !== e.value.pos });
      }
    }
    return set;
  },
});

const errorMarks = StateField.define({
  create: () => [],
  update(value, tr) {
    for (const e of tr.effects) if (e.is(setErrorMarks)) value = e.value;
    return value;
  },
});

class EndMark extends WidgetType {
  toDOM() {
    const el = document.createElement('span');
    el.className = 'zk-errend';
    el.textContent = '!';
    return el;
  }
}
const endMark = new EndMark();

const errorColumnMarks = EditorView.decorations.compute([errorMarks], (state) => {
  const b = new RangeSetBuilder();
  const sorted = state.field(errorMarks).filter((m) => m.line >= 0 && m.line < state.doc.lines)
    .map((m) => {
      const line = state.doc.line(m.line + 1);
      const pos = Math.min(line.to, line.from + Math.max(0, m.column - 1));
      return pos;
    }).sort((a, c) => a - c);
  let last = -1;
  for (const pos of sorted) {
    if (pos === last) continue;
    last = pos;
    const line = state.doc.lineAt(pos);
    // Behind the line's end the mark stands alone.
    if (pos < line.to) b.add(pos, pos + 1, Decoration.mark({ class: 'zk-errpos' }));
    else b.add(pos, pos, Decoration.widget({ widget: endMark, side: 1 }));
  }
  return b.finish();
});

export function breakpointLines(state) {
  const out = [];
  state.field(breakpoints).between(0, state.doc.length, (from) => { out.push(state.doc.lineAt(from).number - 1); });
  return [...new Set(out)];
}

function makeGutter(onToggle) {
  return gutter({
    class: 'zk-gutter',
    markers: (view) => {
      const b = new RangeSetBuilder();
      const marks = new Map();
      view.state.field(breakpoints).between(0, view.state.doc.length, (from) => {
        marks.set(view.state.doc.lineAt(from).from, (marks.get(view.state.doc.lineAt(from).from) || 0) | 1);
      });
      for (const m of view.state.field(errorMarks)) {
        if (m.line >= 0 && m.line < view.state.doc.lines) {
          const from = view.state.doc.line(m.line + 1).from;
          marks.set(from, (marks.get(from) || 0) | 2);
        }
      }
      for (const from of [...marks.keys()].sort((a, c) => a - c)) {
        const bits = marks.get(from);
        if (bits & 2) b.add(from, from, errorMarker);
        if (bits & 1) b.add(from, from, breakpointMarker);
      }
      return b.finish();
    },
    initialSpacer: () => breakpointMarker,
    domEventHandlers: {
      mousedown(view, line) {
        const has = breakpointLines(view.state).includes(view.state.doc.lineAt(line.from).number - 1);
        view.dispatch({ effects: toggleBreakpoint.of({ pos: line.from, on: !has }) });
        onToggle(view.state.doc.lineAt(line.from).number - 1, !has);
        return true;
      },
    },
  });
}

// ---------------------------------------------------------------- the editor

export function createEditor(parent, { format, onChange, onToggleBreakpoint, completion }) {
  formatLine = format;
  const readOnly = new Compartment();
  const completing = new Compartment();
  const keys = desktopKeys({ format, records: lineRecords });
  const completionExtensions = (on) => (on && completion ?
    autocompletion({ override: [completion], activateOnTyping: true }) : []);
  let completionOn = true;
  const extensions = (ro) => [
        formats, highlighter, lineColours, runTheme, breakpoints, errorMarks, errorColumnMarks,
        makeGutter(onToggleBreakpoint), highlightSpecialChars(), drawSelection(),
        readOnly.of([EditorState.readOnly.of(ro), EditorView.editable.of(!ro)]),
        completing.of(completionExtensions(completionOn)),
        keys.extensions,
        EditorView.updateListener.of((u) => { if (u.docChanged) onChange(u); }),
        EditorView.contentAttributes.of({ 'aria-label': 'Programmtext', spellcheck: 'false', autocapitalize: 'off',
          autocorrect: 'off' }),
      ];
  const view = new EditorView({ parent, state: EditorState.create({ doc: '', extensions: extensions(false) }) });
  return {
    view,
    lines: () => view.state.doc.toJSON(),
    text: () => view.state.doc.toString(),
    // A loaded text starts with a new history and without breakpoints.
    setLines(lines) {
      view.setState(EditorState.create({ doc: lines.join('\n'), extensions: extensions(view.state.readOnly) }));
      keys.clear();
    },
    undo: () => keys.undo(view),
    redo: () => keys.redo(view),
    undoCounts: keys.counts,
    // The lines Bild auf and Bild ab move by.
    pageLines: () => keys.visibleLines(view),
    pasting: keys.pasting,
    // The completion list on or off (the key tests type without it).
    setCompletion(on) {
      completionOn = on;
      view.dispatch({ effects: completing.reconfigure(completionExtensions(on)) });
    },
    setReadOnly(on) { view.dispatch({ effects: readOnly.reconfigure([EditorState.readOnly.of(on), EditorView.editable.of(!on)]) }); },
    setColours(c) { view.dispatch({ effects: setLineColours.of(c) }); },
    setErrors(list) { view.dispatch({ effects: setErrorMarks.of(list) }); },
    scrollCaret() { view.dispatch({ effects: EditorView.scrollIntoView(view.state.selection.main.head, { y: 'center' }) }); },
    breakpoints: () => breakpointLines(view.state),
    // The line states kept across edits against formatting the whole text
    // anew: the first line where they differ, or -1.
    formatsDiffer() {
      const kept = view.state.field(formats), fresh = Formats.of(view.state.doc);
      for (let n = 0; n < view.state.doc.lines; n++) {
        const a = kept.before[n], b = fresh.before[n];
        if (!a || a.c !== b.c || a.i !== b.i || kept.classes[n].classes !== fresh.classes[n].classes ||
            kept.classes[n].lead !== fresh.classes[n].lead) return n;
      }
      return kept.before.length === fresh.before.length ? -1 : view.state.doc.lines;
    },
    showLine(n, column = 1) {
      if (n < 0 || n >= view.state.doc.lines) return;
      const line = view.state.doc.line(n + 1);
      const pos = Math.min(line.to, line.from + Math.max(0, column - 1));
      view.dispatch({ effects: EditorView.scrollIntoView(pos, { y: 'nearest' }) });
    },
    jumpTo(n, column) {
      if (n < 0 || n >= view.state.doc.lines) return;
      const line = view.state.doc.line(n + 1);
      const pos = Math.min(line.to, line.from + Math.max(0, column - 1));
      view.dispatch({ selection: { anchor: pos }, scrollIntoView: true });
      view.focus();
    },
  };
}
