#!/usr/bin/env node
// The command-line twin of `zak --run` and `zak --check` on the WebAssembly
// core, for the tests and for teachers without the desktop build:
//   node build-web/zak.mjs --run DATEI [--vars] [--json] [--png VERZEICHNIS] [--max-steps N]
//                          [--max-memory MIB] [--forbid-attribute-assignment]
//   node build-web/zak.mjs --check DATEI [--json] [--forbid-attribute-assignment]
// Same output, files and exit statuses as the desktop's; see zak --help.
// As a module it also offers loadCore() and the run itself (runMain) to
// tests that keep one module for many programs.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const Version = '@PROJECT_VERSION@';

// A program file larger than this is no pupil's program.
const MaxFileSize = 64 * 1024 * 1024;

const RunUsage =
  'Aufruf: zak --run DATEI [--vars] [--json] [--png VERZEICHNIS] [--max-steps N] ' +
  '[--max-memory MIB] [--forbid-attribute-assignment]';
const CheckUsage = 'Aufruf: zak --check DATEI [--json] [--forbid-attribute-assignment]';

const Options = [
  { names: ['run'], description: 'führt DATEI ohne Fenster aus, meldet einen Laufzeitfehler' },
  { names: ['check'], description: 'prüft DATEI wie die Syntaxprüfung des Editors' },
  { names: ['vars'], description: 'mit --run: zeigt danach die Variablen Zeile für Zeile' },
  { names: ['png'], value: 'VERZEICHNIS',
    description: 'mit --run: speichert jedes Zeichenfenster als Bild, VERZEICHNIS/fenster-1.png, ...' },
  { names: ['max-steps'], value: 'N', description: 'mit --run: beendet den Lauf nach N Schritten (Vorgabe 100000000)' },
  { names: ['max-memory'], value: 'MIB',
    description: 'mit --run: beendet den Lauf mit einem Laufzeitfehler, wenn das Programm mehr als MIB MiB ' +
                 'Arbeitsspeicher bräuchte (Vorgabe 1024)' },
  { names: ['json'],
    description: 'mit --run oder --check: gibt das Ergebnis als ein JSON-Objekt aus (Status, Fehler, Variablen, Bilder)' },
  { names: ['forbid-attribute-assignment'], description: 'mit --run oder --check: verbietet Zuweisungen an Attribute' },
  { names: ['v', 'version'], description: 'zeigt die Version' },
  { names: ['h', 'help'], description: 'zeigt diese Hilfe' },
];

export function helpText() {
  let text =
    'Aufruf:\n' +
    '  zak [DATEI.zak ...]            öffnet ZAK, mit DATEI als Programm\n' +
    '  zak --run DATEI [OPTIONEN]     führt DATEI ohne Fenster aus\n' +
    '  zak --check DATEI [OPTIONEN]   prüft DATEI wie die Syntaxprüfung des Editors\n' +
    'Die Optionen dürfen in beliebiger Reihenfolge vor oder nach DATEI stehen.\n' +
    '\n' +
    'Optionen:\n';
  const Indent = 33, Width = 80;
  for (const option of Options) {
    let line = '  ' + option.names.map((n) => (n.length === 1 ? '-' : '--') + n).join(', ');
    if (option.value) line += ' ' + option.value;
    line = line.padEnd(Indent - 1) + ' ';
    let first = true;
    for (const word of option.description.split(' ')) {
      if (!first && line.length + 1 + word.length > Width) {
        text += line + '\n';
        line = ' '.repeat(Indent);
        first = true;
      }
      line += (first ? '' : ' ') + word;
      first = false;
    }
    text += line + '\n';
  }
  text +=
    '\n' +
    'Exit-Status: 0 am Programmende (mit --check: ohne Hinweis), 1 nach einem\n' +
    'Laufzeitfehler (mit --check: mit Hinweis), 2 bei einer Datei, die nicht gelesen\n' +
    'werden kann, einem Bild, das nicht geschrieben werden kann, oder falschen\n' +
    'Argumenten, 3 wenn die Schrittgrenze erreicht wurde.\n' +
    'Mehr in der Handbuchseite: man zak';
  return text;
}

// The arguments as the desktop's parser reads them: long options with one or
// two dashes, values after a space or "=", everything else a file.
export function parseCommandLine(args) {
  const byName = new Map();
  for (const option of Options) for (const name of option.names) byName.set(name, option);
  const set = new Map();  // canonical name -> [values]
  const written = new Map();
  const files = [];
  let problem = null;
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    if (arg === '--') { files.push(...args.slice(i + 1)); break; }
    if (!arg.startsWith('-') || arg === '-') { files.push(arg); continue; }
    const bare = arg.replace(/^-+/, '');
    const eq = bare.indexOf('=');
    const name = eq >= 0 ? bare.slice(0, eq) : bare;
    const option = byName.get(name);
    if (!option) { problem ??= 'Unbekannte Option: ' + (eq >= 0 ? arg.slice(0, arg.indexOf('=')) : arg); continue; }
    const key = option.names[option.names.length - 1];
    if (!written.has(key)) written.set(key, eq >= 0 ? arg.slice(0, arg.indexOf('=')) : arg);
    let value = null;
    if (option.value) {
      if (eq >= 0) value = bare.slice(eq + 1);
      else if (i + 1 < args.length) value = args[++i];
      else { problem ??= 'Der Wert nach ' + arg + ' fehlt.'; continue; }
    } else if (eq >= 0) {
      problem ??= 'Die Option ' + arg.slice(0, arg.indexOf('=')) + ' nimmt keinen Wert an.';
      continue;
    }
    if (!set.has(key)) set.set(key, []);
    set.get(key).push(value);
  }
  const line = { mode: 'ide', file: '', vars: false, json: false, pngDir: '', maxSteps: 100000000,
                 maxMemoryMiB: 1024, forbidAttributeAssignment: false, problem: '', usage: '' };
  const refuse = (text, usage) => Object.assign(line, { mode: 'error', problem: text, usage });
  if (set.has('help')) return Object.assign(line, { mode: 'help' });
  if (set.has('version')) return Object.assign(line, { mode: 'version' });
  const run = set.has('run'), check = set.has('check');
  if (!run && !check) return line;
  const usage = run ? RunUsage : CheckUsage;
  const mode = run ? '--run' : '--check';
  if (run && check) return refuse('--run und --check schließen einander aus.', usage);
  if (problem) return refuse(problem, usage);
  if (set.get(run ? 'run' : 'check').length > 1) return refuse(mode + ' steht mehr als einmal da.', usage);
  if (check)
    for (const only of ['vars', 'png', 'max-steps', 'max-memory'])
      if (set.has(only)) return refuse(written.get(only) + ' gilt nur mit --run.', usage);
  if (files.length === 0) return refuse('Der Dateiname nach ' + mode + ' fehlt.', usage);
  if (files.length > 1) return refuse('Nur eine Datei, nicht mehrere: ' + files.join(' '), usage);
  line.mode = run ? 'run' : 'check';
  line.file = files[0];
  line.vars = set.has('vars');
  line.json = set.has('json');
  line.forbidAttributeAssignment = set.has('forbid-attribute-assignment');
  const last = (key) => set.get(key)[set.get(key).length - 1];
  line.pngDir = set.has('png') ? last('png') : '';
  const whole = (text) => /^[+-]?\d+$/.test(text) ? Number(text) : NaN;
  if (set.has('max-steps')) {
    const text = last('max-steps');
    const n = whole(text);
    if (!(n >= 1) || n > 9223372036854775807)
      return refuse('Die Zahl nach --max-steps muss eine positive ganze Zahl sein: ' + text, usage);
    line.maxSteps = n;
  }
  if (set.has('max-memory')) {
    const MaxMiB = 1024 * 1024;
    const text = last('max-memory');
    const n = whole(text);
    if (!(n >= 1 && n <= MaxMiB))
      return refuse('Die Zahl nach --max-memory muss eine ganze Zahl von 1 bis ' + MaxMiB + ' sein: ' + text, usage);
    line.maxMemoryMiB = n;
  }
  if (set.has('png') && line.pngDir === '') return refuse('Das Verzeichnis nach --png fehlt.', usage);
  return line;
}

// ---------------------------------------------------------------- the module

let corePromise = null;

// The module, once per process. The fonts go into its file system under
// /fonts, where the text canvas looks for them.
export function loadCore() {
  corePromise ??= (async () => {
    // V8's own tiers (a quick baseline compile, the optimising one for what
    // runs hot): compiling the whole module optimised at once cost a teacher's
    // short run more (0.2 s of CPU on an empty program) than it won back.
    const require = createRequire(import.meta.url);
    const factory = require(path.join(here, 'www', 'zak-core.js'));
    // Handing over the bytes keeps the glue from fetching the file, which
    // Node's fetch cannot do for a path.
    const core = await factory({ wasmBinary: fs.readFileSync(path.join(here, 'www', 'zak-core.wasm')) });
    const fontDir = path.join(here, 'www', 'fonts');
    if (fs.existsSync(fontDir)) {
      core.FS.mkdirTree('/fonts');
      for (const name of fs.readdirSync(fontDir).filter((n) => n.endsWith('.ttf')))
        core.FS.writeFile('/fonts/' + name, fs.readFileSync(path.join(fontDir, name)));
    }
    return core;
  })();
  return corePromise;
}

const toArray = (list) => {
  const out = [];
  for (let i = 0; i < list.size(); ++i) out.push(list.get(i));
  list.delete();
  return out;
};

// ---------------------------------------------------------------- files

const SystemReasons = {
  EACCES: 'Zugriff verweigert.', EPERM: 'Zugriff verweigert.', ENOENT: 'Die Datei oder das Verzeichnis gibt es nicht.',
  ENOTDIR: 'Ein Teil des Pfades ist kein Verzeichnis.', EISDIR: 'Das ist ein Verzeichnis.',
  ENAMETOOLONG: 'Der Dateiname ist zu lang.', EINVAL: 'Der Dateiname ist hier nicht erlaubt.',
  EEXIST: 'Die Datei gibt es schon.', ELOOP: 'Der Pfad enthält zu viele Verknüpfungen.',
  EMFILE: 'Es sind zu viele Dateien geöffnet.', ENFILE: 'Es sind zu viele Dateien geöffnet.',
  ENOSPC: 'Kein Platz mehr auf dem Datenträger.', EDQUOT: 'Der zugeteilte Speicherplatz ist aufgebraucht.',
  EROFS: 'Der Datenträger ist schreibgeschützt.', EFBIG: 'Die Datei wird zu groß.',
  EIO: 'Der Datenträger meldet einen Ein-/Ausgabefehler.', EBUSY: 'Die Datei wird gerade benutzt.',
  ETXTBSY: 'Die Datei wird gerade benutzt.', ENOMEM: 'Der Arbeitsspeicher reicht nicht aus.',
  ENXIO: 'Das Gerät ist nicht erreichbar.', ENODEV: 'Das Gerät ist nicht erreichbar.',
  EAGAIN: 'Die Datei ist gerade gesperrt.', EINTR: 'Der Vorgang wurde unterbrochen.',
};
const reasonOf = (e) => SystemReasons[e.code] ?? ('Das System meldet den Fehler Nr. ' + (-(e.errno ?? 0)) + '.');

// The file's bytes, or a problem text.
function readProgramFile(name) {
  const refuse = (reason) => ({ problem: 'Die Datei ' + name + ' kann nicht gelesen werden: ' + reason });
  let fd;
  try {
    const before = fs.statSync(name);
    if (before.isDirectory()) return refuse(SystemReasons.EISDIR);
    if (!before.isFile()) return refuse('Sie ist keine gewöhnliche Datei.');
    fd = fs.openSync(name, fs.constants.O_RDONLY | fs.constants.O_NONBLOCK | fs.constants.O_NOCTTY);
    const opened = fs.fstatSync(fd);
    if (!opened.isFile()) return refuse('Sie ist keine gewöhnliche Datei.');
    if (opened.size > MaxFileSize) return { problem: 'Die Datei ' + name + ' ist zu groß für ein ZAK-Programm.' };
    const bytes = Buffer.alloc(opened.size);
    let got = 0;
    while (got < bytes.length) {
      const n = fs.readSync(fd, bytes, got, bytes.length - got, got);
      if (n === 0) return refuse('Sie endet früher als erwartet.');
      got += n;
    }
    return { bytes };
  } catch (e) {
    return refuse(reasonOf(e));
  } finally {
    if (fd !== undefined) fs.closeSync(fd);
  }
}

// ---------------------------------------------------------------- PNG

const crcTable = new Int32Array(256).map((_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c;
});
function crc32(bytes) {
  let c = -1;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xFF] ^ (c >>> 8);
  return (c ^ -1) >>> 0;
}
function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}

// An 8-bit RGB PNG of QRgb pixels (0xFFRRGGBB).
export function encodePng(width, height, rgb) {
  const raw = Buffer.alloc((width * 3 + 1) * height);
  let at = 0;
  for (let y = 0; y < height; ++y) {
    raw[at++] = 0;
    for (let x = 0; x < width; ++x) {
      const p = rgb[y * width + x];
      raw[at++] = (p >>> 16) & 0xFF;
      raw[at++] = (p >>> 8) & 0xFF;
      raw[at++] = p & 0xFF;
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;  // bits
  header[9] = 2;  // RGB
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
                        chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

// Writes the picture under a temporary name beside it and renames it, so
// that no half picture is left; returns the reason of a failure or ''.
function writePicture(png, file) {
  const temporary = file + '.' + process.pid + '.' + Math.random().toString(36).slice(2, 8);
  try {
    fs.writeFileSync(temporary, png, { flag: 'wx', mode: 0o666 });
    fs.renameSync(temporary, file);
    return '';
  } catch (e) {
    try { fs.unlinkSync(temporary); } catch { /* never written */ }
    return reasonOf(e);
  }
}

// ---------------------------------------------------------------- JSON

// As Qt writes a compact JSON object: keys in sorted order.
function jsonText(result) {
  const error = result.error
    ? { column: result.error.column, kind: result.error.kind, line: result.error.line, message: result.error.message }
    : null;
  return JSON.stringify({
    error,
    pictures: result.pictures ?? [],
    status: result.status,
    variables: (result.variables ?? []).map((v) => ({ name: v.name, text: v.text })),
  });
}

function splitCell(cell) {
  const at = cell.indexOf(' = ');
  return at < 0 ? { name: cell, text: '' } : { name: cell.slice(0, at), text: cell.slice(at + 3) };
}

// ---------------------------------------------------------------- runs

// Runs the command line `args` (without node and the script); output goes
// to out and err (functions taking one line each). Returns the exit status.
export async function runMain(args, out = (l) => process.stdout.write(l + '\n'), err = (l) => process.stderr.write(l + '\n')) {
  const line = parseCommandLine(args);
  switch (line.mode) {
  case 'version': out('ZAK ' + Version); return 0;
  case 'help': out(helpText()); return 0;
  case 'error': err(line.problem + '\n' + line.usage); return 2;
  case 'ide': err('Diese Fassung kennt nur --run und --check.\n' + RunUsage + '\n' + CheckUsage); return 2;
  default: break;
  }
  const file = readProgramFile(line.file);
  if (file.problem) {
    err(file.problem);
    if (line.json) out(jsonText({ status: 2, error: { column: null, kind: 'Datei', line: null, message: file.problem } }));
    return 2;
  }
  const core = await loadCore();
  const session = new core.WebSession();
  try {
    const loaded = session.loadFile(file.bytes);
    loaded.lines.delete();
    if (loaded.note) err(loaded.note);
    if (loaded.otherVersion) err('Dieses Programm wurde nicht für ZAK 1.5 geschrieben.');
    return line.mode === 'check' ? check(session, line, out) : run(core, session, line, out, err);
  } finally {
    session.delete();
  }
}

function check(session, line, out) {
  const hint = session.check(line.forbidAttributeAssignment);
  const status = hint.kind ? 1 : 0;
  if (line.json) out(jsonText({ status, error: hint.kind ? hint : null }));
  else if (hint.kind) out(hint.itemText);
  return status;
}

function run(core, session, line, out, err) {
  // As in a fresh process of the desktop's zak.
  core.WebSession.setRandomSeed(0);
  session.start(line.forbidAttributeAssignment, line.maxMemoryMiB);
  const report = session.runCalls(line.maxSteps, 0);
  session.settlePaints();
  let status = report.state === core.RunState.Failed ? 1 : report.state === core.RunState.Ended ? 0 : 3;
  const cells = line.vars || line.json ? toArray(session.variables(false)) : [];
  if (!line.json) {
    if (report.error.kind) out(report.error.itemText);
    if (line.vars) for (const cell of cells) out(cell);
  }
  const pictures = [];
  let pictureProblem = '';
  if (line.pngDir) {
    const report = (problem) => { err(problem); pictureProblem ||= problem; };
    let made = true;
    try {
      fs.mkdirSync(line.pngDir, { recursive: true });
    } catch (e) {
      report('Das Verzeichnis ' + line.pngDir + ' kann nicht angelegt werden: ' + reasonOf(e));
      made = false;
    }
    for (let i = 0; made && i < session.windowCount(); ++i) {
      const info = session.window(i);
      const target = line.pngDir + '/fenster-' + (i + 1) + '.png';
      const reason = writePicture(encodePng(info.pixelWidth, info.pixelHeight, session.windowRgb(i)), target);
      if (reason) report('Das Bild ' + target + ' kann nicht geschrieben werden: ' + reason);
      else pictures.push(target);
    }
  }
  if (pictureProblem && status === 0) status = 2;
  const stopped = 'Abgebrochen nach ' + report.totalCalls + ' Schritten.';
  if (status === 3) err(stopped);
  if (line.json) {
    let error = report.error.kind ? report.error : null;
    if (status === 3) error = { column: null, kind: 'Schrittgrenze', line: null, message: stopped };
    else if (status === 2) error = { column: null, kind: 'Datei', line: null, message: pictureProblem };
    out(jsonText({ status, error, variables: cells.map(splitCell), pictures }));
  }
  return status;
}

if (process.argv[1] && fs.realpathSync(process.argv[1]) === fs.realpathSync(fileURLToPath(import.meta.url))) {
  process.exitCode = await runMain(process.argv.slice(2));
}
