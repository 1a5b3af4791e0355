// The page logs no error while it runs, and everything it links to is there.

import assert from 'node:assert/strict';
import { get } from 'node:http';
import { test } from 'node:test';

import { accessibilityViolations, newPage, running, sessionForTests } from './harness.mjs';

const session = sessionForTests();

test('no error in the console for a few seconds of running, no request fails, and axe-core finds no WCAG A or AA violation', async () => {
  const page = await newPage(session);
  page.on('console', (message) => { if (message.type() === 'error') page.errors.push(message.text()); });
  page.on('requestfailed', (request) => page.errors.push(`${request.url()} failed`));
  page.on('response', (response) => {
    if (response.status() >= 400) page.errors.push(`${response.url()}: ${response.status()}`);
  });
  await page.goto(session.site.url);
  await page.waitForFunction(running);
  // A few seconds of frames, measured by the page's own clock.
  await page.evaluate(() => new Promise((resolve) => {
    const until = performance.now() + 3000;
    const frame = () => (performance.now() < until ? requestAnimationFrame(frame) : resolve());
    requestAnimationFrame(frame);
  }));

  // What the page links to, the manifest's icons with it, fetched as the browser would.
  const missing = await page.evaluate(async () => {
    const urls = [...document.querySelectorAll('link[href]')].map((link) => link.href);
    const manifest = document.querySelector('link[rel="manifest"]').href;
    const { icons } = await (await fetch(manifest)).json();
    urls.push(...icons.map((icon) => new URL(icon.src, manifest).href));
    urls.push(new URL(document.querySelector('meta[property="og:image"]').content, location).href);
    const failed = [];
    for (const url of urls) if (!(await fetch(url)).ok) failed.push(url);
    return failed;
  });
  assert.deepEqual(missing, []);
  assert.deepEqual(await accessibilityViolations(page), []);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

// Served as a static host serves it: the compressed copy that the request
// accepts, brotli before gzip, else the file itself; q=0 refuses an encoding.
test('each file in the encoding that the request accepts', async () => {
  for (const [accepted, encoding] of [
    ['gzip, br', 'br'], ['br;q=0, gzip', 'gzip'], ['br;q=0, gzip;q=0', undefined], ['', undefined],
  ]) {
    const response = await new Promise((resolve) => get(`${session.site.url}sorvane.wasm`,
      { headers: { 'Accept-Encoding': accepted } }, resolve));
    response.resume();
    assert.equal(response.headers['content-encoding'], encoding, `Accept-Encoding: ${accepted}`);
    assert.equal(response.headers['content-type'], 'application/wasm');
  }
});
