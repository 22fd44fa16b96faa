// Drives the Terravue page in headless Chromium and in Firefox: the first
// start imports and shows the main screen, the databases survive a reload,
// and the screens it opens draw the same pixels as the native build given
// the same clock, time zone and taps (the native program's headless
// screenshots are the reference).
//
// The times it measures (page open to main screen on the first visit and on
// a later one, tap to drawn map for a map the page has not fetched yet) are
// printed, not checked: they depend on the machine's load. Each browser's
// three figures are printed on one line starting "terravue-page-figures ".
//
// TERRAVUE_PAGE     the page's folder (default: build-web beside the sources)
// TERRAVUE_NATIVE   the native program (default: build/app/terravue)
// TERRAVUE_BROWSERS the browsers to drive (default "chromium firefox"; a
//                   browser not installed is skipped unless named here)
// CHROMIUM          Chromium (default: /usr/bin/chromium)
// FIREFOX           Firefox (default: /usr/bin/firefox-esr)
// TERRAVUE_NODE     the Node build (default: build-web/node/terravue.js;
//                   its test is skipped when neither exists)
// TERRAVUE_PAGE_FIGURES  a file to write the figures to, as Google
//                   Benchmark JSON for bench/table.py (benchmarks named
//                   FirstVisit/BROWSER, LaterVisit/BROWSER, FirstMapOpen/BROWSER)
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const top = path.resolve(here, '..', '..');
const pageDir = process.env.TERRAVUE_PAGE || path.join(top, 'build-web');
const nativeProgram = process.env.TERRAVUE_NATIVE || path.join(top, 'build', 'app', 'terravue');
const kBrowsers = {
  chromium: {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    options: { args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'] },
  },
  firefox: {
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    options: { browser: 'firefox' },
  },
};
const browserNames = (process.env.TERRAVUE_BROWSERS || 'chromium firefox').split(/[\s,]+/).filter(Boolean);

// A fixed instant and zone for every run, native and in the page.
const kClock = '2027-03-04T21:05:00Z';
const kZone = 'America/New_York';
const kWidth = 240;
const kHeight = 320;

// Where things are on the 240x320 display. A script's taps are relative to
// the top window's client area, below its caption.
const kCaption = 26;
const kEurope = { x: 140, y: 44 };           // on the main screen's world map
const kFirstCountry = { x: 30, y: 180 };     // the main screen's list: Afghanistan
const kCountryInfoButton = { x: 77, y: 307 };  // on the Country Map's command bar
const kDayNightButton = { x: 77, y: 276 };   // on the main screen
const kDistanceMenu = { x: 30, y: 307 };     // on the Country Map's command bar
const kKmsItem = { x: 30, y: 268 };          // in its menu
const kMilesItem = { x: 30, y: 285 };
const kFlag = { left: 0, top: 56, right: 66, bottom: 92 };    // on the Country Info
const kPlot = { left: 0, top: 26, right: 240, bottom: 146 };  // the Day/Night Plot's map
const scriptTap = (at) => `tap ${at.x} ${at.y - kCaption}`;

let server;
let address;
// Files the server answers 404 for, as if they were not on it.
const refused = new Set();
// The figures measured, by browser.
const figures = {};

// The page's own files: what a server of the page holds.
function pageFiles(folder) {
  const out = [];
  for (const f of ['index.html', 'terravue.js', 'terravue.wasm', 'terravue.data']) out.push(path.join(folder, f));
  for (const d of ['Terravue Maps', 'fonts']) {
    const dir = path.join(folder, d);
    if (fs.existsSync(dir)) for (const f of fs.readdirSync(dir)) out.push(path.join(dir, f));
  }
  return out;
}

function serve(folder) {
  const types = {
    '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
  };
  return http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder) || refused.has(name) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
}

before(async () => {
  for (const f of ['index.html', 'terravue.js', 'terravue.wasm', 'terravue.data']) {
    assert.ok(fs.existsSync(path.join(pageDir, f)), `the page has no ${f}: run scripts/build-web.sh`);
  }
  server = serve(path.resolve(pageDir));
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  address = `http://127.0.0.1:${server.address().port}/`;
});

after(async () => {
  if (server) server.close();
  if (process.env.TERRAVUE_PAGE_FIGURES) {
    const names = { first_visit_ms: 'FirstVisit', later_visit_ms: 'LaterVisit', first_map_ms: 'FirstMapOpen' };
    const benchmarks = [];
    for (const [browser, measured] of Object.entries(figures)) {
      for (const [key, name] of Object.entries(names)) {
        if (measured[key] === undefined) continue;
        const run = `${name}/${browser}`;
        benchmarks.push({ name: run, run_name: run, run_type: 'iteration', iterations: 1,
          real_time: measured[key], cpu_time: 0, time_unit: 'ms' });
      }
    }
    fs.writeFileSync(process.env.TERRAVUE_PAGE_FIGURES, JSON.stringify({ benchmarks }, null, 1) + '\n');
  }
});

// Waits until the program waits for input with everything drawn.
async function idle(page, timeout = 30000) {
  await page.waitForFunction(
    () => typeof Module !== 'undefined' && Module.terravueWake != null, { timeout, polling: 10 });
}

async function openPage(context, query, zone = kZone) {
  const page = await context.newPage();
  await page.setViewport({ width: 1200, height: 1400, deviceScaleFactor: 1 });
  await page.emulateTimezone(zone);
  const messages = [];
  page.on('console', (m) => messages.push(m.text()));
  page.on('pageerror', (e) => messages.push(String(e)));
  page.terravueMessages = messages;
  await page.goto(address + query);
  return page;
}

// The canvas as the browser shows it: a screenshot of the element, decoded
// to RGBA by the browser.
// At scale N each display pixel is an N-by-N square: its top-left pixel
// stands for it.
async function screenshot(page) {
  const canvas = await page.$('#canvas');
  const png = await canvas.screenshot({ type: 'png', encoding: 'base64' });
  const shot = await decodePng(page, png);
  const scale = shot.width / kWidth;
  assert.equal(shot.height, kHeight * scale);
  if (scale === 1) return shot;
  const data = new Array(kWidth * kHeight * 4);
  for (let y = 0; y < kHeight; ++y) {
    for (let x = 0; x < kWidth; ++x) {
      for (let c = 0; c < 4; ++c) data[(y * kWidth + x) * 4 + c] = shot.data[((y * scale) * shot.width + x * scale) * 4 + c];
    }
  }
  return { width: kWidth, height: kHeight, data };
}

async function decodePng(page, base64) {
  const pixels = await page.evaluate(async (data) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const c = document.createElement('canvas');
    c.width = image.width;
    c.height = image.height;
    const context = c.getContext('2d');
    context.drawImage(image, 0, 0);
    return { width: c.width, height: c.height, data: Array.from(context.getImageData(0, 0, c.width, c.height).data) };
  }, base64);
  return pixels;
}

function pixel(image, x, y) {
  const i = (y * image.width + x) * 4;
  return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

// The pixels where two frames differ, as "x,y" strings (at most a few).
function differences(a, b, spots) {
  const out = [];
  for (const [x, y] of spots) {
    const p = pixel(a, x, y);
    const q = pixel(b, x, y);
    if (p[0] !== q[0] || p[1] !== q[1] || p[2] !== q[2]) out.push(`${x},${y}: ${p} vs ${q}`);
  }
  return out;
}

// Every fourth pixel of every fourth row, and the whole of `area`.
function spotsIn(area = null) {
  const spots = [];
  for (let y = 0; y < kHeight; y += 4) for (let x = 0; x < kWidth; x += 4) spots.push([x, y]);
  if (area) {
    for (let y = area.top; y < area.bottom; ++y) for (let x = area.left; x < area.right; ++x) spots.push([x, y]);
  }
  return spots;
}

// Runs the native program headless on a fresh device root with the
// installation files staged, and returns its screenshots decoded by `page`.
async function nativeScreens(page, script, shots, options = {}) {
  const program = options.program || [nativeProgram];
  assert.ok(fs.existsSync(program[program.length - 1]), `no program at ${program[program.length - 1]}`);
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'terravue-web-test-'));
  try {
    fs.mkdirSync(path.join(root, 'windows'));
    for (const f of ['QuorvelZones.txt', 'QuorvelCountriesTerravue.txt']) {
      fs.copyFileSync(path.join(top, 'data', f), path.join(root, 'windows', f));
    }
    const lines = script.map((line) => line.replace(/SHOT\((\w+)\)/, (_, n) => `screenshot ${path.join(root, n + '.png')}`));
    fs.writeFileSync(path.join(root, 'script'), lines.join('\n') + '\n');
    const run = spawnSync(program[0], [...program.slice(1), '--headless', '--script', path.join(root, 'script'),
      '--device-root', root, '--clock', kClock, ...(options.args || [])],
    { env: { ...process.env, TZ: kZone, ...(options.env || {}) }, cwd: options.cwd, encoding: 'utf8' });
    assert.equal(run.status, 0, `${program.join(' ')} failed: ${run.stderr}`);
    const out = {};
    for (const n of shots) {
      out[n] = await decodePng(page, fs.readFileSync(path.join(root, n + '.png')).toString('base64'));
    }
    return out;
  } finally {
    fs.rmSync(root, { recursive: true, force: true });
  }
}

async function tap(page, at) {
  const box = await (await page.$('#canvas')).boundingBox();
  const scale = box.width / kWidth;
  await page.mouse.click(box.x + (at.x + 0.5) * scale, box.y + (at.y + 0.5) * scale);
}

test('the page with its maps and fonts is less than 10 MB', () => {
  let total = 0;
  for (const f of pageFiles(pageDir)) total += fs.statSync(f).size;
  const bundled = fs.statSync(path.join(pageDir, 'terravue.data')).size + fs.statSync(path.join(pageDir, 'terravue.wasm')).size;
  console.log(`page files: ${(total / 1e6).toFixed(1)} MB, of which the wasm and the bundled files ${(bundled / 1e6).toFixed(1)} MB`);
  assert.ok(total < 10e6, `the page is ${total} bytes`);
});

for (const name of browserNames) {
  const chosen = kBrowsers[name];
  const installed = chosen !== undefined && fs.existsSync(chosen.executablePath);
  const skip = !installed && !process.env.TERRAVUE_BROWSERS ? `${name} is not installed` : false;
  describe(`in ${name}`, { skip }, () => {
    let browser;
    // One browser profile for all the tests: the first imports, the others
    // find the databases in the browser's storage.
    let context;
    const measured = {};

    before(async () => {
      assert.ok(chosen, `no browser called ${name}`);
      browser = await puppeteer.launch({ executablePath: chosen.executablePath, headless: true, ...chosen.options });
      context = await browser.createBrowserContext();
    });

    after(async () => {
      if (browser) await browser.close();
      const line = {};
      for (const key of ['first_visit_ms', 'later_visit_ms', 'first_map_ms']) {
        if (measured[key] !== undefined) line[key] = Math.round(measured[key] * 10) / 10;
      }
      figures[name] = line;
      console.log(`terravue-page-figures ${JSON.stringify({ browser: name, ...line })}`);
    });

    test('the first start imports, shows the main screen, and keeps the databases over a reload', async () => {
      const page = await openPage(context, `?scale=1&clock=${kClock}`);
      try {
        await idle(page, 120000);
        const imported = await page.evaluate(() => ({ presents: Module.terravuePresents, at: Module.terravueLastPresent }));
        console.log(`${name}: page open to main screen on the first visit (with the import): ${imported.at.toFixed(0)} ms`);
        measured.first_visit_ms = imported.at;
        const shown = await screenshot(page);
        const native = await nativeScreens(page, ['SHOT(main)'], ['main']);
        assert.deepEqual(differences(shown, native.main, spotsIn()), [], 'the main screen differs from the native one');
        // The installation screen shows the import's progress only when the
        // import outlasts the interval at which the browser gets to paint
        // (it may not, in a fast browser).
        console.log(`${name}: frames shown on the first visit: ${imported.presents}`);
        // The import's databases are saved to the browser's storage once the
        // program waits for input: a reload finds them and does not import
        // again.
        await page.waitForFunction(() => (Module.terravueSaved || 0) >= 1 && !Module.terravueSaving, { timeout: 30000 });
        await page.reload();
        await idle(page);
        const timing = await page.evaluate(() => ({ presents: Module.terravuePresents, at: Module.terravueLastPresent }));
        console.log(`${name}: page open to main screen on a later visit (a reload): ${timing.at.toFixed(0)} ms`);
        measured.later_visit_ms = timing.at;
        const again = await screenshot(page);
        assert.deepEqual(differences(again, native.main, spotsIn()), []);
        // Every start shows the installation screen; only an import draws its
        // progress in between. A start that imports nothing changes no file
        // and saves nothing.
        assert.ok(timing.presents <= 2, `the reloaded page imported again (${timing.presents} frames)`);
        const saves = await page.evaluate(() => ({ saved: Module.terravueSaved || 0, saving: !!Module.terravueSaving }));
        assert.deepEqual(saves, { saved: 0, saving: false }, 'the reloaded page changed its files: it imported again');
      } finally {
        await page.close();
      }
    });

    test('a tap on Europe opens its map, as the native build draws it', async () => {
      const page = await openPage(context, `?scale=2&clock=${kClock}`);
      try {
        await idle(page);
        // The map opens when the stylus touches it.
        await page.evaluate(() => {
          document.addEventListener('mousedown', () => { window.terravueTapAt = performance.now(); }, true);
        });
        await tap(page, kEurope);
        await page.waitForFunction(() => window.terravueTapAt !== undefined &&
          Module.terravueLastPresent > window.terravueTapAt && Module.terravueWake != null, { polling: 10 });
        const latency = await page.evaluate(() => Module.terravueLastPresent - window.terravueTapAt);
        console.log(`${name}: tap on the world map to the drawn Continent Map: ${latency.toFixed(1)} ms`);
        const shot = await screenshot(page);
        const native = await nativeScreens(page, [scriptTap(kEurope), 'SHOT(europe)'], ['europe']);
        assert.deepEqual(differences(shot, native.europe, spotsIn()), [], 'the Continent Map differs from the native one');
      } finally {
        await page.close();
      }
    });

    test('a tap on a country opens its map, fetched when first opened, as the native build draws it', async () => {
      const page = await openPage(context, `?scale=1&clock=${kClock}`);
      try {
        await idle(page);
        const fetchedBefore = await page.evaluate(() => performance.getEntriesByType('resource')
          .filter((e) => e.name.includes('Terravue%20Maps/')).length);
        assert.equal(fetchedBefore, 0, 'the page fetched a map before any was opened');
        await page.evaluate(() => {
          document.addEventListener('mousedown', () => { window.terravueTapAt = performance.now(); }, true);
        });
        await tap(page, kFirstCountry);
        await page.waitForFunction(() => window.terravueTapAt !== undefined &&
          Module.terravueLastPresent > window.terravueTapAt && Module.terravueWake != null, { polling: 10 });
        const latency = await page.evaluate(() => Module.terravueLastPresent - window.terravueTapAt);
        console.log(`${name}: tap on a country to its drawn Country Map, the map fetched: ${latency.toFixed(1)} ms`);
        measured.first_map_ms = latency;
        const fetched = await page.evaluate(() => performance.getEntriesByType('resource')
          .map((e) => decodeURIComponent(e.name.split('/').pop())).filter((n) => n.startsWith('Afghanistan.')));
        assert.deepEqual(fetched.sort(), ['Afghanistan.gfw', 'Afghanistan.gif', 'Afghanistan.prj']);
        const shot = await screenshot(page);
        const native = await nativeScreens(page, [scriptTap(kFirstCountry), 'SHOT(map)'], ['map']);
        assert.deepEqual(differences(shot, native.map, spotsIn()), [], 'the Country Map differs from the native one');
      } finally {
        await page.close();
      }
    });

    test('a map the server does not have is reported as the native build reports a missing map', async () => {
      const page = await openPage(context, `?scale=1&clock=${kClock}`);
      refused.add('/Terravue Maps/Afghanistan.gif');
      const program = fs.mkdtempSync(path.join(os.tmpdir(), 'terravue-web-nomaps-'));
      try {
        await idle(page);
        await tap(page, kFirstCountry);
        await idle(page);
        const shot = await screenshot(page);
        // The native program copied to a folder without maps.
        fs.copyFileSync(nativeProgram, path.join(program, 'terravue'));
        fs.chmodSync(path.join(program, 'terravue'), 0o755);
        const native = await nativeScreens(page, [scriptTap(kFirstCountry), 'SHOT(missing)'], ['missing'],
          { program: [path.join(program, 'terravue')] });
        assert.deepEqual(differences(shot, native.missing, spotsIn()), [], 'the page does not report the missing map as the native build does');
        assert.ok(page.terravueMessages.every((m) => !/Aborted|RuntimeError|unreachable/.test(m)), page.terravueMessages.join('\n'));
      } finally {
        refused.clear();
        fs.rmSync(program, { recursive: true, force: true });
        await page.close();
      }
    });

    test("a country's Country Info shows its flag as the native build does", async () => {
      const page = await openPage(context, `?scale=1&clock=${kClock}`);
      try {
        await idle(page);
        await tap(page, kFirstCountry);
        await idle(page);
        await tap(page, kCountryInfoButton);
        await page.waitForFunction(() => Module.terravueWake != null, { polling: 10 });
        await new Promise((resolve) => setTimeout(resolve, 100));
        await idle(page);
        const shot = await screenshot(page);
        const native = await nativeScreens(page,
          [scriptTap(kFirstCountry), scriptTap(kCountryInfoButton), 'SHOT(info)'], ['info']);
        assert.deepEqual(differences(shot, native.info, spotsIn(kFlag)), [], 'the Country Info differs from the native one');
        // The flag is there: the area holds more than one colour.
        const colours = new Set();
        for (let y = kFlag.top; y < kFlag.bottom; ++y) for (let x = kFlag.left; x < kFlag.right; ++x) colours.add(pixel(shot, x, y).join());
        assert.ok(colours.size >= 3, 'no flag on the Country Info');
      } finally {
        await page.close();
      }
    });

    test('the Day/Night Plot at a fixed clock and time zone shades what the native build shades', async () => {
      const page = await openPage(context, `?scale=1&depth=24&clock=${kClock}`);
      try {
        await idle(page);
        await tap(page, kDayNightButton);
        await new Promise((resolve) => setTimeout(resolve, 100));
        await idle(page);
        const shot = await screenshot(page);
        const native = await nativeScreens(page, [scriptTap(kDayNightButton), 'SHOT(plot)'], ['plot'],
          { args: ['--display-depth', '24'] });
        assert.deepEqual(differences(shot, native.plot, spotsIn(kPlot)), [], 'the Day/Night Plot differs from the native one');
      } finally {
        await page.close();
      }
    });

    test('a bad option in the address is shown on the page', async () => {
      const page = await openPage(context, '?scale=9');
      try {
        await page.waitForFunction(() => document.getElementById('status').textContent.includes('--scale'), { timeout: 30000 });
        const status = await page.$eval('#status', (e) => e.textContent);
        assert.equal(status, 'terravue: --scale must be a whole number from 1 to 8');
      } finally {
        await page.close();
      }
    });

    test('the distance unit chosen on a Country Map is kept over a reload', async () => {
      const page = await openPage(context, `?scale=1&clock=${kClock}`);
      const openMenu = async () => {
        await tap(page, kDistanceMenu);
        await idle(page);
        return screenshot(page);
      };
      const openCountryMap = async () => {
        await idle(page);
        await tap(page, kFirstCountry);
        await idle(page);
      };
      try {
        await openCountryMap();
        // The first unit follows the browser's language (miles for en-US):
        // choose the other one.
        const before = await openMenu();
        let item = kKmsItem;
        await tap(page, item);
        await idle(page);
        let chosen = await openMenu();
        if (differences(before, chosen, spotsIn()).length === 0) {
          item = kMilesItem;
          await tap(page, item);
          await idle(page);
          chosen = await openMenu();
        }
        assert.notDeepEqual(differences(before, chosen, spotsIn()), [], 'choosing a unit changed nothing');
        await tap(page, item);  // closes the menu, choosing the same unit again
        await idle(page);
        // The change was saved when the program went idle; wait for the save.
        await page.waitForFunction(() => !Module.terravueSaving, { timeout: 30000 });
        await page.reload();
        await openCountryMap();
        const after = await openMenu();
        assert.deepEqual(differences(after, chosen, spotsIn()), [], 'the unit was not kept');
        // Back to the first unit.
        await tap(page, item === kKmsItem ? kMilesItem : kKmsItem);
        await idle(page);
        await page.waitForFunction(() => !Module.terravueSaving, { timeout: 30000 });
      } finally {
        await page.close();
      }
    });
  });
}

// The same program built for Node on the host's files runs the native
// build's scripts and draws the same screens.
const nodeProgram = process.env.TERRAVUE_NODE || path.join(top, 'build-web', 'node', 'terravue.js');
test('the WebAssembly build under Node draws what the native build draws', { skip: !fs.existsSync(nodeProgram) && !process.env.TERRAVUE_NODE }, async () => {
  // A browser only decodes the screenshots.
  const decoder = browserNames.map((n) => kBrowsers[n]).find((b) => b && fs.existsSync(b.executablePath));
  assert.ok(decoder, 'no browser to decode the screenshots with');
  const browser = await puppeteer.launch({ executablePath: decoder.executablePath, headless: true, ...decoder.options });
  const page = await browser.newPage();
  const fonts = fs.mkdtempSync(path.join(os.tmpdir(), 'terravue-web-fonts-'));
  try {
    for (const f of ['fonts/truetype/dejavu/DejaVuSans.ttf', 'fonts/truetype/dejavu/DejaVuSans-Bold.ttf',
      'fonts/truetype/liberation2/LiberationSans-Regular.ttf', 'fonts/truetype/liberation2/LiberationSans-Bold.ttf',
      'wine/fonts/tahoma.ttf', 'wine/fonts/tahomabd.ttf']) {
      fs.copyFileSync(path.join('/usr/share', f), path.join(fonts, path.basename(f)));
    }
    const script = ['SHOT(main)', 'open continent-map 3', 'SHOT(europe)', 'key Escape',
      'open country-info "France"', 'SHOT(france)', 'key Escape', 'open day-night', 'SHOT(plot)',
      'key Escape', 'open country-map "Japan"', 'SHOT(japan)'];
    const shots = ['main', 'europe', 'france', 'plot', 'japan'];
    const native = await nativeScreens(page, script, shots);
    // The maps are found in the working folder, as beside the program.
    const wasm = await nativeScreens(page, script, shots,
      { program: [process.execPath, nodeProgram], cwd: path.join(top, 'data'), env: { TERRAVUE_FONT_DIR: fonts } });
    for (const n of shots) {
      assert.deepEqual(differences(wasm[n], native[n], spotsIn({ left: 0, top: 0, right: kWidth, bottom: kHeight })), [], `${n} differs`);
    }
  } finally {
    fs.rmSync(fonts, { recursive: true, force: true });
    await browser.close();
  }
});
