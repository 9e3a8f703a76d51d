// Loading the WebAssembly core (build-web/www/zak-core.js, a classic script
// that defines ZakCore) on the page and in the workers. The page compiles
// the module once and hands it to its workers, so a restarted worker is
// ready at once.

export async function compileCore(base) {
  const url = base + 'zak-core.wasm';
  if (WebAssembly.compileStreaming) {
    try { return await WebAssembly.compileStreaming(fetch(url)); } catch (e) { /* a server without application/wasm */ }
  }
  return WebAssembly.compile(await (await fetch(url)).arrayBuffer());
}

export async function instantiateCore(module) {
  return self.ZakCore({
    instantiateWasm(imports, done) {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
      return {};
    },
    print() {},
    printErr() {},
  });
}

// The fonts the text canvas loads by name from /fonts in the module's file system.
export async function loadFonts(core, base) {
  try {
    const names = await (await fetch(base + 'fonts/index.json')).json();
    core.FS.mkdirTree('/fonts');
    await Promise.all(names.map(async (name) => {
      const bytes = new Uint8Array(await (await fetch(base + 'fonts/' + name)).arrayBuffer());
      core.FS.writeFile('/fonts/' + name, bytes);
    }));
  } catch (e) {
    // Without fonts the texts of a program are not drawn; everything else works.
  }
}

export function stringList(core, lines) {
  const list = new core.StringList();
  for (const line of lines) list.push_back(line);
  return list;
}

export function fromList(list) {
  const out = [];
  for (let i = 0; i < list.size(); i++) out.push(list.get(i));
  list.delete();
  return out;
}
