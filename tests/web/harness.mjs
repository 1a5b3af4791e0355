// Drives the sorvane page in Debian's headless Chromium (playwright-core) and,
// through ENGINES, in Chromium, Firefox and WebKit. Each test serves the page on
// a port the system picks, so runs never collide, and has its own fresh browser.

import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { existsSync, readdirSync } from 'node:fs';
import { createServer } from 'node:net';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { after, before } from 'node:test';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';
import { PNG } from 'pngjs';

export const CHROMIUM = '/usr/bin/chromium';

// Software WebGL (SwiftShader) in a browser that never reaches the network.
// With --disable-gpu the page is composited in the renderer: each frame of a
// WebGL canvas is read back on the page's main thread, which waits there for
// its drawing; frames come at a screen's 60 a second, or as fast as they can be made.
const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader',
  '--use-angle=swiftshader', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// The same browser compositing in its GPU process (ANGLE over SwiftShader), as
// a phone or a computer with a GPU does: no read-back, so the page's main
// thread carries only the page's own work, which is what the performance audit
// and the benchmark measure. Frames come as fast as the GPU process can show
// them; Chromium's own screenshots (canvasPixels) never come back this way.
export const GPU_COMPOSITING_FLAGS = CHROMIUM_FLAGS
  .map((flag) => (flag === '--disable-gpu' ? '--use-gl=angle' : flag));

export const PROGRESS = Array.from({ length: 500 }, (_, i) => `generating vertex ${i}\n`).join('');

// Serves the page's files as a static host does, with scripts/serve_web.py,
// until close(); the address is the server's first line.
export async function servePage(dir = process.env.SORVANE_PAGE_DIR) {
  if (!dir) throw new Error('SORVANE_PAGE_DIR does not name the built page');
  const script = fileURLToPath(new URL('../../scripts/serve_web.py', import.meta.url));
  const server = spawn('python3', [script, '0', dir], { stdio: ['ignore', 'pipe', 'ignore'] });
  const exited = new Promise((resolve) => { server.on('exit', resolve); });
  const [line] = await Promise.race([
    once(createInterface({ input: server.stdout }), 'line'),
    exited.then((code) => { throw new Error(`serve_web.py ended with ${code}`); }),
  ]);
  const close = async () => {
    server.kill();
    await exited;
  };
  return { url: line.match(/http:\S+/)[0], close };
}

// Chromium and the page's server, closed together by the returned close().
export function start({ flags = CHROMIUM_FLAGS } = {}) {
  return withSite(() => chromium.launch({ executablePath: CHROMIUM, args: flags }));
}

// The browser that launch() resolves to (anything with a close()), and the
// page's server, which a browser that fails to start does not leave behind.
export async function withSite(launch) {
  const site = await servePage();
  const browser = await launch().catch(async (error) => { await site.close(); throw error; });
  const close = async () => {
    await browser.close();
    await site.close();
  };
  return { browser, site, close };
}

// The session that open() resolves to, opened before the file's tests and
// closed after them: the object returned has its fields from the first test on.
export function sessionForTests(open = start) {
  const session = {};
  before(async () => { Object.assign(session, await open()); });
  after(() => session.close?.());
  return session;
}

// In the page: whether the program is running.
export const running = () => document.getElementById('status').textContent.startsWith('Running');

// A page in a new context of its own (contextOptions), with its uncaught
// errors collected in page.errors; closed by page.context().close().
export async function newPage(session, contextOptions) {
  const context = await session.browser.newContext(contextOptions);
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  return page;
}

// Opens the page in a new context and resolves once the program is running.
// The program runs in a worker of the page's (page.program), which Playwright's
// page clock does not reach: the worker's start is held until the functions of
// workerInit have run there in turn and, with fixedTime, Date.now() in the
// worker stays at that time, so the seed and the angle are fixed, until
// setProgramTime. page.errors collects uncaught errors.
export async function openPage(session, { fixedTime, workerInit = [], viewport = { width: 1400, height: 1400 } } = {}) {
  const page = await newPage(session, { viewport, deviceScaleFactor: 1 });
  await page.addInitScript(holdWorkers);
  const worker = page.waitForEvent('worker');
  await page.goto(session.site.url);
  page.program = await worker;
  if (fixedTime !== undefined) await setProgramTime(page, fixedTime);
  for (const init of workerInit) await page.program.evaluate(init);
  await page.evaluate(() => releaseWorkers());
  await page.waitForFunction(running);
  return page;
}

// In the page, before its scripts: messages to workers wait, in their order,
// for releaseWorkers(); the program waits for the first (its canvas).
function holdWorkers() {
  const post = Worker.prototype.postMessage;
  const released = new Promise((resolve) => { window.releaseWorkers = resolve; });
  Worker.prototype.postMessage = function (...args) {
    released.then(() => post.apply(this, args));
  };
}

// In a page or a worker, before its drawing: every WebGL draw call, through
// which every frame goes, counted in self.webglDraws.
export function countWebGLDraws() {
  self.webglDraws = 0;
  for (const context of [WebGLRenderingContext, WebGL2RenderingContext]) {
    for (const name of ['drawArrays', 'drawElements']) {
      const draw = context.prototype[name];
      context.prototype[name] = function (...args) {
        self.webglDraws++;
        return draw.apply(this, args);
      };
    }
  }
}

// Fixes the program's calendar clock at time (milliseconds since 1970); its
// readings are counted in self.clockReads.
export async function setProgramTime(page, time) {
  await page.program.evaluate((now) => {
    self.fixedNow = now;
    self.clockReads ??= 0;
    Date.now = () => {
      self.clockReads++;
      return self.fixedNow;
    };
  }, time);
}

// In the program's worker: resolves at the second animation frame after the
// program next reads its clock, by when the frame drawn for that time is committed.
function frameAfterClockRead(timeout) {
  const reads = self.clockReads;
  return new Promise((resolve, reject) => {
    setTimeout(() => reject(new Error('the program drew no frame after reading its clock')), timeout);
    const after = (frames) => requestAnimationFrame(() => (frames ? after(frames - 1) : resolve()));
    const watch = () => (self.clockReads > reads ? after(1) : requestAnimationFrame(watch));
    watch();
  });
}

// Resolves to ask()'s first truthy answer, asking every 100 ms until timeout;
// with retry, an ask that fails is asked again until then.
export async function poll(ask, timeout, what, retry = false) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const value = await ask().catch((error) => { if (!retry || Date.now() > deadline) throw error; });
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting ${what}`);
    await new Promise((resolve) => { setTimeout(resolve, 100); });
  }
}

// Resolves to fn(arg) in where (a page, or its program's worker) once it is
// truthy. A page that is loading again answers with an error until it is there.
export function waitIn(where, fn, arg, timeout = 30000) {
  return poll(() => where.evaluate(fn, arg), timeout, `for ${fn}`, true);
}

// Drags the frame's resize corner with the mouse, as a person resizes the
// program's window, until the canvas is width x height.
export async function resizeFrame(page, width, height) {
  const box = await page.locator('#frame').boundingBox();
  const [nowWidth, nowHeight] = await page.evaluate(() => [canvas.width, canvas.height]);
  const corner = { x: box.x + box.width - 4, y: box.y + box.height - 4 };
  await page.mouse.move(corner.x, corner.y);
  await page.mouse.down();
  await page.mouse.move(corner.x + width - nowWidth, corner.y + height - nowHeight, { steps: 5 });
  await page.mouse.up();
  await page.waitForFunction(([w, h]) => canvas.width === w && canvas.height === h, [width, height]);
}

// Resolves once the program has stopped running, to the status line it left.
export async function endedStatus(page) {
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Running'));
  return page.locator('#status').textContent();
}

// Resolves once the page is in full screen or not, as full says, at width x height.
export function fullScreenAt(page, full, [width, height]) {
  return page.waitForFunction(([f, w, h]) => (document.fullscreenElement !== null) === f &&
    canvas.width === w && canvas.height === h, [full, width, height]);
}

// Resolves to how long, by the page's clock, count of its animation frames took.
export function animationFrames(page, count) {
  return page.evaluate((n) => new Promise((resolve) => {
    const start = performance.now();
    const next = () => (--n ? requestAnimationFrame(next) : resolve(performance.now() - start));
    requestAnimationFrame(next);
  }), count);
}

// Resolves once picture() shows a figure of many colours, and then, unless it
// stands still, another.
export async function drawsAndTurns(picture, turns = true) {
  const first = await poll(async () => {
    const shot = await picture();
    return colourCount(shot) > 1000 && shot;
  }, 30000, 'for a figure on the canvas');
  if (turns) await poll(async () => differingPixels(await picture(), first) >= 1000, 30000, 'for the figure to turn');
}

// What axe-core finds against WCAG 2.2's levels A and AA on the page as it is.
export async function accessibilityViolations(page) {
  await page.addScriptTag({ path: fileURLToPath(import.meta.resolve('axe-core/axe.min.js')) });
  const { violations } = await page.evaluate(() => axe.run(document, {
    runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'],
  }));
  return violations.map(({ id, nodes }) => `${id}: ${nodes.map(({ target }) => target).join(', ')}`);
}

// The canvas, from a screenshot of what is shown, as pngjs decodes it:
// { width, height, data } with data RGBA. Chromium's own capture: Playwright's
// waits for quiet frames, which a page that draws every few milliseconds seldom has.
export async function canvasPixels(page) {
  const box = await page.locator('#canvas').boundingBox();
  page.cdp ??= await page.context().newCDPSession(page);
  const { data } = await page.cdp.send('Page.captureScreenshot', { format: 'png', clip: { ...box, scale: 1 } });
  return PNG.sync.read(Buffer.from(data, 'base64'));
}

// A picture once it has stopped changing, as it does under a fixed clock
// (setProgramTime), drawn at what the clock says now: two equal screenshots
// alone could both come before the frame for a new time.
export async function steadyPixels(page, timeout = 20000) {
  await page.program.evaluate(frameAfterClockRead, timeout);
  let last = null;
  return poll(async () => {
    const shot = await canvasPixels(page);
    const steady = last && samePicture(shot, last) && colourCount(shot) > 1000;
    last = shot;
    return steady && shot;
  }, timeout, 'for the picture to settle');
}

export function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && a.data.equals(b.data);
}

// The number of pixels that differ between two pictures of one size.
export function differingPixels(a, b) {
  let count = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (a.data.readUInt32BE(i) !== b.data.readUInt32BE(i)) count++;
  }
  return count;
}

export function colourCount(picture) {
  const seen = new Set();
  for (let i = 0; i < picture.data.length; i += 4) seen.add(picture.data.readUInt32BE(i));
  return seen.size;
}

export function pixel(picture, x, y) {
  const i = (y * picture.width + x) * 4;
  return [...picture.data.subarray(i, i + 3)];
}

// The pixels of the rectangle at (x, y), as a picture of its own.
export function crop(picture, x, y, width, height) {
  const data = Buffer.alloc(width * height * 4);
  for (let row = 0; row < height; row++) {
    const from = ((y + row) * picture.width + x) * 4;
    picture.data.copy(data, row * width * 4, from, from + width * 4);
  }
  return { width, height, data };
}

// The browsers of every engine, each driven by what it speaks, behind one set
// of calls, so that one check runs in them all. A browser of the table opens
// the page in a window of WINDOW, on the X server that DISPLAY names where it
// needs one, and resolves to an object with
//   evaluate(fn, arg)  fn(arg) in the page, awaited there;
//   inProgram(fn, arg) the same where the program draws (its worker, or the
//                      page where it runs there), or null where the driver
//                      cannot reach that (programOutOfReach says why);
//   key(name), click(selector)  real input, as a person gives it;
//   reduceMotion(on)   the device's wish for reduced motion, where the driver
//                      can make it (noReducedMotion says why not);
//   picture()          the canvas's pixels, { width, height, data };
//   errors             the page's uncaught errors, or null where the driver
//                      reports none (noErrorReport says why);
//   goto(url).
const WINDOW = { width: 1400, height: 1100 };

export const ENGINES = {
  // Headless, as every other test of the page runs it.
  chromium: {
    packages: ['chromium'],
    binary: () => CHROMIUM,
    async launch() {
      const browser = await chromium.launch({ executablePath: CHROMIUM, args: CHROMIUM_FLAGS });
      return drivenBrowser(browser, () => browser.newPage({ viewport: WINDOW, deviceScaleFactor: 1 }), (page) => ({
        inProgram: async (fn, arg) => (page.workers().at(-1) ?? page).evaluate(fn, arg),
        reduceMotion: (on) => page.emulateMedia({ reducedMotion: on ? 'reduce' : 'no-preference' }),
        picture: () => canvasPixels(page),
      }));
    },
  },

  // Firefox through WebDriver BiDi, which refuses to set the viewport: its
  // window is sized instead. Headless, it has no WebGL here.
  firefox: {
    packages: ['firefox-esr'],
    binary: () => '/usr/bin/firefox-esr',
    programOutOfReach: 'Firefox\u2019s WebDriver BiDi finds no realm for the worker that the program draws in',
    noReducedMotion: 'puppeteer emulates media features through CDP only, which Firefox does not speak',
    async launch() {
      const { default: puppeteer } = await import('puppeteer-core');
      const browser = await puppeteer.launch({
        browser: 'firefox', executablePath: this.binary(), headless: false, defaultViewport: null, env: onScreen(),
      });
      return drivenBrowser(browser, async () => {
        const page = await browser.newPage();
        await browser.setWindowBounds(await page.windowId(), { left: 0, top: 0, ...WINDOW });
        return page;
      }, (page) => ({
        inProgram: programOnPage((fn, arg) => page.evaluate(fn, arg)),
        picture: async () => PNG.sync.read(await (await page.$('#canvas')).screenshot()),
      }));
    },
  },

  // WebKitGTK's MiniBrowser through WebKitWebDriver: classic WebDriver, over
  // HTTP, which reaches no worker and reports no page errors; its screenshots
  // leave WebGL out, so the picture is read from the context itself.
  webkit: {
    packages: ['webkit2gtk-driver'],
    binary: miniBrowser,
    programOutOfReach: 'classic WebDriver reaches no worker, where the program draws',
    noErrorReport: 'classic WebDriver reports no uncaught errors of the page',
    noReducedMotion: 'classic WebDriver has no media features to emulate',
    async launch() {
      const port = await freePort();
      const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore', env: onScreen() });
      const exited = new Promise((resolve) => { driver.on('exit', resolve); });
      const call = webDriver(`http://127.0.0.1:${port}`);
      const options = { binary: this.binary(), args: ['--automation'] };
      const { sessionId } = await call('POST', '/session', {
        capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': options } },
      });
      const session = `/session/${sessionId}`;
      await call('POST', `${session}/window/rect`, WINDOW);
      const onPage = (fn, arg) => call('POST', `${session}/execute/async`, {
        script: `const done = arguments[1];
          Promise.resolve().then(() => (${fn})(arguments[0]))
            .then((value) => done({ value }), (error) => done({ error: String(error) }));`,
        args: [arg ?? null],
      }).then(({ value, error }) => {
        if (error) throw new Error(`in the page: ${error}`);
        return value;
      });
      const inProgram = programOnPage(onPage);
      const keys = { F11: '\uE03B', Escape: '\uE00C' };
      const goto = (url) => call('POST', `${session}/url`, { url });
      return {
        async open(url) {
          await goto(url);
          return {
            errors: null,
            evaluate: onPage,
            inProgram,
            key: (name) => call('POST', `${session}/actions`, {
              actions: [{
                type: 'key', id: 'keyboard',
                actions: [{ type: 'keyDown', value: keys[name] }, { type: 'keyUp', value: keys[name] }],
              }],
            }),
            async click(selector) {
              const found = await call('POST', `${session}/element`, { using: 'css selector', value: selector });
              await call('POST', `${session}/element/${Object.values(found)[0]}/click`, {});
            },
            async picture() {
              const { width, height, data } = await inProgram(nextFramePixels);
              return { width, height, data: Buffer.from(data, 'base64') };
            },
            goto,
          };
        },
        async close() {
          await call('DELETE', session).catch(() => {});
          driver.kill();
          await exited;
        },
      };
    },
  },
};

// A Playwright or a Puppeteer browser, which speak alike, as a browser of the
// table: its open(url) opens url in newPage(), with the calls that calls(page)
// gives beside the common ones.
function drivenBrowser(browser, newPage, calls) {
  return {
    async open(url) {
      const page = await newPage();
      const errors = [];
      page.on('pageerror', (error) => errors.push(error.message));
      await page.goto(url);
      return {
        errors,
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        key: (name) => page.keyboard.press(name),
        click: (selector) => page.click(selector),
        goto: (to) => page.goto(to),
        ...calls(page),
      };
    },
    close: () => browser.close(),
  };
}

// The engine's browser with the page's server; closed together.
export async function launchEngine(name) {
  const session = await withSite(() => ENGINES[name].launch());
  return { ...session, open: () => session.browser.open(session.site.url) };
}

// The packages of an engine whose browser is not installed, or none.
export function missingEngine(name) {
  const binary = ENGINES[name].binary();
  return binary && existsSync(binary) ? null : ENGINES[name].packages;
}

// inProgram for a driver that reaches the page only: evaluate, where the
// program runs on the page itself rather than in a worker, else null.
function programOnPage(evaluate) {
  return async (fn, arg) => (await evaluate(() => typeof Module === 'object') ? evaluate(fn, arg) : null);
}

// In the program's realm: the pixels of its next frame, read straight after
// its draw, before the browser shows the frame and clears its buffer, as
// { width, height, data } with the RGBA data in base64 (rows from the bottom up).
function nextFramePixels() {
  const gl = Module.ctx;
  return new Promise((resolve) => {
    const read = () => {
      delete gl.drawArrays;
      delete gl.drawElements;
      const width = gl.drawingBufferWidth;
      const height = gl.drawingBufferHeight;
      const rgba = new Uint8Array(width * height * 4);
      gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      let binary = '';
      for (let i = 0; i < rgba.length; i += 0x8000) {
        binary += String.fromCharCode(...rgba.subarray(i, i + 0x8000));
      }
      resolve({ width, height, data: btoa(binary) });
    };
    for (const name of ['drawArrays', 'drawElements']) {
      const draw = gl[name];
      gl[name] = function (...args) {
        draw.apply(this, args);
        read();
      };
    }
  });
}

// WebKitGTK's MiniBrowser, wherever the architecture's library folder is.
function miniBrowser() {
  return readdirSync('/usr/lib').flatMap((folder) => ['webkit2gtk-4.1', 'webkit2gtk-4.0']
    .map((api) => join('/usr/lib', folder, api, 'MiniBrowser'))).find(existsSync) ?? null;
}

// A classic WebDriver endpoint's calls: call(method, path, body) resolves to
// the answer's value, once the driver listens (until then its port refuses
// connections, and the call is made again).
function webDriver(url) {
  return async function call(method, path, body) {
    const response = await poll(() => fetch(url + path, {
      method, headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    }), 30000, `for WebDriver at ${url}`, true);
    const { value } = await response.json();
    if (value?.error) throw new Error(`${method} ${path}: ${value.error}: ${value.message}`);
    return value;
  };
}

async function freePort() {
  const server = createServer();
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// The environment of a browser whose windows go to the X server that DISPLAY
// names (the tests of the engines that need one run in a private Xvfb of
// tests/support/xserver.py), not to the Wayland desktop of whoever runs them.
function onScreen() {
  const { WAYLAND_DISPLAY, ...environment } = process.env;
  if (!environment.DISPLAY) throw new Error('no DISPLAY: run under tests/support/xserver.py');
  return { ...environment, GDK_BACKEND: 'x11' };
}
