// The web page's cost beside the floor page's (floor.html: raw WebGL drawing
// the same figure once per animation frame), each alone in its own headless
// Chromium compositing in its GPU process, as the Lighthouse test runs it
// (tests/web/harness.mjs), for SECONDS each.
// Prints a Markdown table: frames shown and frames drawn per second, draws per
// shown frame, the page's main-thread time per shown frame, from Chromium's own
// trace, and the time spent drawing (in frame callbacks, on whichever thread
// draws: the program's worker, the floor page's main thread) per shown frame.
//
// usage: node bench/web/web_bench.mjs PAGE_DIRECTORY [SECONDS]

import { fileURLToPath } from 'node:url';

import {
  GPU_COMPOSITING_FLAGS, countWebGLDraws, newPage, openPage, poll, servePage, start,
} from '../../tests/web/harness.mjs';

const [pageDirectory, seconds = '10'] = process.argv.slice(2);
if (!pageDirectory || !(Number(seconds) > 0)) {
  console.error('usage: node bench/web/web_bench.mjs PAGE_DIRECTORY [SECONDS]');
  process.exit(2);
}
process.env.SORVANE_PAGE_DIR = pageDirectory;
// The first frames after the start (context, shaders) are left out.
const WARM_UP_MS = 2000;
const VIEWPORT = { width: 1280, height: 800 };

// In the page: frames shown, counted by a frame callback of its own.
function countFrames() {
  window.benchFrames = 0;
  requestAnimationFrame(function frame() {
    window.benchFrames++;
    requestAnimationFrame(frame);
  });
}

// Where the drawing is done (the program's worker, the floor page itself),
// before it starts, beside the draw calls counted (countWebGLDraws): the time
// spent in frame callbacks, where every frame is drawn.
function timeDrawing() {
  self.benchDrawingMs = 0;
  const request = self.requestAnimationFrame;
  self.requestAnimationFrame = (callback) => request((time) => {
    const start = performance.now();
    try {
      callback(time);
    } finally {
      self.benchDrawingMs += performance.now() - start;
    }
  });
}

// Time that the renderer's main thread spent in tasks, in milliseconds, from
// a trace of toplevel events.
function mainThreadMs(trace) {
  const { traceEvents } = JSON.parse(trace.toString());
  const threads = new Set(traceEvents
    .filter((event) => event.name === 'thread_name' && event.args.name === 'CrRendererMain')
    .map((event) => `${event.pid}:${event.tid}`));
  return traceEvents
    .filter((event) => event.ph === 'X' && event.name === 'ThreadControllerImpl::RunTask' &&
      threads.has(`${event.pid}:${event.tid}`))
    .reduce((sum, event) => sum + event.dur / 1000, 0);
}

// Closes the page once measured, so that the next page runs alone.
async function measure(session, page) {
  const drawing = page.program ?? page;
  const counts = async () => ({
    frames: await page.evaluate(() => benchFrames),
    draws: await drawing.evaluate(() => webglDraws),
    drawingMs: await drawing.evaluate(() => benchDrawingMs),
    at: await page.evaluate(() => performance.now()),
  });
  await poll(async () => (await counts()).draws > 0, 60000, 'for the first draw');
  await page.waitForTimeout(WARM_UP_MS);
  const before = await counts();
  await session.browser.startTracing(page, { categories: ['toplevel'] });
  await page.waitForTimeout(Number(seconds) * 1000);
  const trace = await session.browser.stopTracing();
  const after = await counts();
  await page.context().close();
  const elapsed = (after.at - before.at) / 1000;
  const frames = after.frames - before.frames;
  const draws = after.draws - before.draws;
  return {
    shown: frames / elapsed,
    drawn: draws / elapsed,
    perFrame: draws / frames,
    mainMs: mainThreadMs(trace) / frames,
    drawingMs: (after.drawingMs - before.drawingMs) / frames,
  };
}

const session = await start({ flags: GPU_COMPOSITING_FLAGS });
const floorSite = await servePage(fileURLToPath(new URL('.', import.meta.url)));
try {
  const results = {};
  const sorvanePage = await openPage(session, { workerInit: [countWebGLDraws, timeDrawing], viewport: VIEWPORT });
  await sorvanePage.evaluate(countFrames);
  results['sorvane page'] = await measure(session, sorvanePage);
  const floorPage = await newPage(session, { viewport: VIEWPORT });
  for (const init of [countFrames, countWebGLDraws, timeDrawing]) await floorPage.addInitScript(init);
  await floorPage.goto(`${floorSite.url}floor.html`);
  results['floor page'] = await measure(session, floorPage);
  const names = Object.keys(results);
  const row = (label, format) => `| ${label} | ${names.map((name) => format(results[name])).join(' | ')} |`;
  console.log(`Headless Chromium, ${seconds} s each after ${WARM_UP_MS / 1000} s, 600 x 600 canvas at 1280 x 800\n`);
  console.log(`| figure | ${names.join(' | ')} |`);
  console.log(`|---|${names.map(() => '---:').join('|')}|`);
  console.log(row('frames shown per second', (r) => r.shown.toFixed(1)));
  console.log(row('frames drawn per second', (r) => r.drawn.toFixed(1)));
  console.log(row('draws per shown frame', (r) => r.perFrame.toFixed(2)));
  console.log(row('main-thread time per shown frame (ms)', (r) => r.mainMs.toFixed(2)));
  console.log(row('time drawing per shown frame (ms)', (r) => r.drawingMs.toFixed(2)));
} finally {
  await floorSite.close();
  await session.close();
}
