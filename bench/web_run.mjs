// CPU seconds of running a program in the WebAssembly core, the module loaded
// and the program loaded beforehand: the run alone, with V8's own tiers as a
// browser has them. With --warm the module first runs the warm-up the page's
// run worker runs before a pupil's first start, so the time is the one the
// page sees; without it, the time includes the engine compiling the
// interpreter's functions at their first call.
//   node bench/web_run.mjs BUILD_WEB_DIR PROGRAM.zak [--warm]
import fs from 'node:fs';
import path from 'node:path';

const [dir, file, warm] = process.argv.slice(2);
const { loadCore } = await import(path.resolve(dir, 'zak.mjs'));
const core = await loadCore();
if (warm === '--warm') {
  core.warmUp(1000);
  // A pupil starts a moment later; by then the engine has optimised what the
  // warm-up made hot (on its own threads, whose time would count here).
  await new Promise((resolve) => setTimeout(resolve, 300));
}
const session = new core.WebSession();
session.loadFile(fs.readFileSync(file));
core.WebSession.setRandomSeed(0);
session.start(false, 1024);
const before = process.cpuUsage();
session.runCalls(100000000, 0);
session.settlePaints();
const used = process.cpuUsage(before);
console.log(((used.user + used.system) / 1e6).toFixed(3));
session.delete();
