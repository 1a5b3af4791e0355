// The page shows the program's standard output: exactly the 500 progress lines.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { expectedProgress, openPage, start, statusLine } from './harness.mjs';

let session;
before(async () => { session = await start(); });
after(() => session.close());

test('the page shows exactly the 500 progress lines, and nothing more while it runs', async () => {
  const page = await openPage(session);
  const output = page.locator('#output');
  assert.equal(await output.textContent(), expectedProgress());
  // Frames drawn since must add nothing to the output.
  await page.waitForTimeout(1000);
  assert.equal(await output.textContent(), expectedProgress());
  assert.match(await statusLine(page), /^Running/);
  assert.deepEqual(page.errors, []);
});
