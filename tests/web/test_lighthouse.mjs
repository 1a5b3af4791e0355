// Lighthouse's accessibility, best practices and SEO audits, with its mobile
// and its desktop settings, in the same Chromium as the other tests.

import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { launch } from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';

import { CHROMIUM, CHROMIUM_FLAGS, servePage } from './harness.mjs';

const CATEGORIES = ['accessibility', 'best-practices', 'seo'];

let site;
let chromium;
before(async () => {
  site = await servePage();
  chromium = await launch({ chromePath: CHROMIUM, chromeFlags: CHROMIUM_FLAGS });
});
after(async () => {
  await chromium?.kill();
  await site?.close();
});

for (const [preset, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
  test(`${preset}: 100 in ${CATEGORIES.join(', ')}`, async () => {
    const { lhr } = await lighthouse(site.url, {
      port: chromium.port, onlyCategories: CATEGORIES, logLevel: 'error', output: 'json',
    }, config);
    assert.deepEqual(lhr.runtimeError, undefined);
    for (const name of CATEGORIES) {
      const category = lhr.categories[name];
      // The audits that cost points, with what they found.
      const failing = category.auditRefs
        .filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== 1)
        .map((ref) => `${ref.id}: ${JSON.stringify(lhr.audits[ref.id].details?.items ?? lhr.audits[ref.id].explanation)}`);
      assert.equal(category.score, 1, `${name} ${category.score}:\n${failing.join('\n')}`);
    }
  });
}
