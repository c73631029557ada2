import { launch, open_page, paste, wait_for_prompts } from '/work/main/tests/browser/browsers.mjs';
const [page, lines] = [process.argv[2], Number(process.argv[3])];
const b = await launch('chromium');
const p = await open_page(b, 'file://' + page);
p.on('error', e => console.log('page error', e.message));
await wait_for_prompts(p, 1);
await paste(p, '1\n'.repeat(lines));
for (let i = 0; i < 4; i++) {
  await new Promise(r => setTimeout(r, 3000));
  try { console.log(await p.evaluate(() => [document.querySelectorAll('#statistic circle').length, document.getElementById('status').textContent, document.getElementById('log').textContent.length])); } catch (e) { console.log('dead', e.message.slice(0,80)); break; }
}
await b.close();
