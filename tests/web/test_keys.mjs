// F11 and Escape, pressed as real keys in the page.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { countWebGLDraws, openPage, start, statusLine } from './harness.mjs';

const SCREEN = { width: 1400, height: 1000 };

let session;
before(async () => { session = await start(); });
after(() => session.close());

// Counts the program's draws, in its worker.
async function countDraws(page) {
  await page.program.evaluate(countWebGLDraws);
  return {
    async during(ms) {
      const before = await page.program.evaluate(() => self.webglDraws);
      await page.waitForTimeout(ms);
      return (await page.program.evaluate(() => self.webglDraws)) - before;
    },
  };
}

test('F11 asks for full screen and back; Escape ends the program with status 0', async () => {
  const page = await openPage(session, { viewport: SCREEN });

  // The second time round the browser leaves full screen its own way first (its
  // Escape does what exitFullscreen does), and the next F11 enters it again.
  for (const browserLeaves of [false, true]) {
    if (browserLeaves) {
      await page.evaluate(() => document.exitFullscreen());
      await page.waitForFunction(() => document.fullscreenElement === null);
      await page.waitForFunction(() => canvas.width === 600 && canvas.height === 600);
    }
    // Held, so that it repeats: one switch all the same.
    await page.keyboard.down('F11');
    await page.keyboard.down('F11');
    await page.keyboard.up('F11');
    await page.waitForFunction(() => document.fullscreenElement !== null);
    await page.waitForFunction(([w, h]) => canvas.width === w && canvas.height === h,
      [SCREEN.width, SCREEN.height]);
    assert.equal(await page.locator('#notice').textContent(), '', 'no refusal to explain');
  }

  await page.keyboard.press('F11');
  await page.waitForFunction(() => document.fullscreenElement === null);
  await page.waitForFunction(() => canvas.width === 600 && canvas.height === 600);

  const draws = await countDraws(page);
  assert.ok(await draws.during(300) > 0, 'the figure is being drawn');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Running'));
  assert.equal(await statusLine(page), 'sorvane ended with status 0.');
  assert.equal(await draws.during(500), 0, 'no frame is drawn once the program has ended');
  assert.deepEqual(page.errors, []);
});

test('Tab reaches the buttons, which Enter and Space press, with their focus shown', async () => {
  const page = await openPage(session, { viewport: SCREEN });
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'fullscreen');
  assert.ok(await page.evaluate(() => document.activeElement.matches(':focus-visible')));
  // The buttons move into full screen and back at the browser's
  // fullscreenchange, which comes at its next animation frame, after
  // fullscreenElement has changed: a button moved between Space's press and
  // release is not pressed.
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => controls.parentElement === frame);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.fullscreenElement && controls.parentElement !== frame);
  // Pause by Space, Play by Enter.
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pause');
  for (const [key, status] of [['Space', 'Paused'], ['Enter', 'Running']]) {
    await page.keyboard.press(key);
    await page.waitForFunction((s) => document.getElementById('status').textContent.startsWith(s), status);
  }
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'end');
  await page.keyboard.press('Space');
  await page.waitForFunction(() => !document.getElementById('status').textContent.startsWith('Running'));
  assert.equal(await statusLine(page), 'sorvane ended with status 0.');
  assert.deepEqual(page.errors, []);
});

test('a refused full screen is explained on the page, and asked for again at the next press', async () => {
  // Embedded by another page that does not allow it full screen.
  const context = await session.browser.newContext({ viewport: SCREEN });
  const page = await context.newPage();
  await page.setContent(`<iframe src="${session.site.url}" width="900" height="900"></iframe>`);
  const program = page.frameLocator('iframe');
  await program.locator('#status', { hasText: 'Running' }).waitFor();
  // Focus goes to the frame on a click beside the canvas (the toolkit keeps it
  // from clicks on the canvas).
  await program.locator('#status').click();
  for (const press of [1, 2]) {
    await program.locator('#notice').evaluate((notice) => { notice.textContent = ''; });
    await page.keyboard.press('F11');
    await program.locator('#notice', { hasText: 'The browser refused full screen: ' })
      .waitFor({ timeout: 10000 }).catch(() => assert.fail(`press ${press} asked for no full screen`));
  }
  assert.match(await program.locator('#status').textContent(), /^Running/);
  await context.close();
});
