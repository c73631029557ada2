// Takes the picture of the page in docs/page.png: headless Chromium, a
// window of a laptop's width, and a few experiments from 60 rolls to a
// billion, so that both pictures have something to show.
//
//   node tools/screenshot_page.mjs build-web/die_roll.html docs/page.png
//
// Needs the npm packages (npm ci) and Debian's chromium.
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, open_page, type_line, wait_for_prompts } from '../tests/browser/browsers.mjs';

const [page_path, picture] = process.argv.slice(2);
if (picture === undefined) {
  console.error('usage: node tools/screenshot_page.mjs PAGE.html PICTURE.png');
  process.exit(2);
}
const answers = ['60', '600', '6000', '60000', '600000', '6000000', '60000000', '1000000000'];
const browser = await launch('chromium');
try {
  const page = await open_page(browser, pathToFileURL(path.resolve(page_path)).href,
    (tab) => tab.setViewport({ width: 1000, height: 900 }));
  let prompts = 1;
  for (const answer of answers) {
    await wait_for_prompts(page, prompts);
    await type_line(page, answer);
    prompts += 1;
  }
  await wait_for_prompts(page, prompts);
  await page.screenshot({ path: picture, fullPage: true });
} finally {
  await browser.close();
}
