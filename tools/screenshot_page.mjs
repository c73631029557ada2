// Takes the picture of the page in docs/page.png: headless Chromium, a
// window of a laptop's width, and a few experiments from 60 rolls to a
// billion, so that both pictures have something to show. With --phone,
// the picture in docs/page-phone.png: a phone's view (360 by 740 CSS
// pixels, touch), as it stands after the answers, the field in view.
//
//   node tools/screenshot_page.mjs build-web/die_roll.html docs/page.png
//   node tools/screenshot_page.mjs --phone build-web/die_roll.html docs/page-phone.png
//
// Needs the npm packages (npm ci) and Debian's chromium.
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch, open_page, type_line, wait_for_prompts } from '../tests/browser/browsers.mjs';

const phone = process.argv.includes('--phone');
const [page_path, picture] = process.argv.slice(2).filter((arg) => arg !== '--phone');
if (picture === undefined) {
  console.error('usage: node tools/screenshot_page.mjs [--phone] PAGE.html PICTURE.png');
  process.exit(2);
}
const answers = ['60', '600', '6000', '60000', '600000', '6000000', '60000000', '1000000000'];
const browser = await launch('chromium');
try {
  const page = await open_page(browser, pathToFileURL(path.resolve(page_path)).href,
    (tab) => tab.setViewport(phone ? { width: 360, height: 740, isMobile: true, hasTouch: true } : { width: 1000, height: 900 }));
  let prompts = 1;
  for (const answer of answers) {
    await wait_for_prompts(page, prompts);
    await type_line(page, answer);
    prompts += 1;
  }
  await wait_for_prompts(page, prompts);
  if (phone) {
    // As after a tap on the field: it and the buttons below it in view.
    await page.$eval('#controls', (controls) => controls.scrollIntoView({ block: 'nearest' }));
  }
  await page.screenshot({ path: picture, fullPage: !phone });
} finally {
  await browser.close();
}
