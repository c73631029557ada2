// The latest experiment's six counts as bars, against a fair die's n/6.
import { measure, on_resize, svg_element } from './svg.mjs';

// A count short enough to stand over its bar: 123456 as 123.5k, 160007000
// as 160.0M, or where bars are narrow, 123k and 160M.
function short_count(count, narrow) {
  const digits = narrow ? 0 : 1;
  if (count >= 1e6) {
    return `${(count / 1e6).toFixed(digits)}M`;
  }
  return count >= 1e4 ? `${(count / 1e3).toFixed(digits)}k` : String(count);
}

// Draws the bars of the latest experiment given to `show`, or the axis
// alone before there is one.
export function make_counts_chart(svg) {
  let latest;
  function draw() {
    const f = measure(svg);
    const parts = [];
    if (latest !== undefined) {
      const expected = latest.rolls / 6;
      const top = Math.max(expected, ...latest.counts) * 1.1;
      const y = (v) => f.bottom - v / top * (f.bottom - f.top - f.font);
      const slot = (f.right - f.left) / 6;
      const narrow = slot < 3.6 * f.font;
      const labels = [];
      latest.counts.forEach((count, face) => {
        const left = f.left + face * slot + slot * 0.15;
        const middle = left + slot * 0.35;
        parts.push(svg_element('rect', { class: 'bar', x: left, y: y(count), width: slot * 0.7, height: f.bottom - y(count) }));
        parts.push(svg_element('text', { x: middle, y: f.bottom + 1.2 * f.font, 'text-anchor': 'middle' }, String(face + 1)));
        labels.push(svg_element('text', { class: 'over', x: middle, y: y(count) - 0.3 * f.font, 'text-anchor': 'middle' }, short_count(count, narrow)));
      });
      // A halo of the background under the line keeps it apart from the
      // bars it crosses, and one under the counts keeps them readable over
      // the line.
      const line = { x1: f.left, x2: f.right, y1: y(expected), y2: y(expected) };
      parts.push(svg_element('line', { class: 'halo', ...line }));
      parts.push(svg_element('line', { class: 'expected', ...line }));
      parts.push(...labels);
      parts.push(svg_element('text', { x: f.left - 0.3 * f.font, y: y(expected) + 0.35 * f.font, 'text-anchor': 'end' }, 'n/6'));
      parts.push(svg_element('text', { x: (f.left + f.right) / 2, y: f.height - 0.4 * f.font, 'text-anchor': 'middle' },
        `face (${latest.rolls.toLocaleString('en')} rolls)`));
    }
    parts.push(svg_element('line', { class: 'axis', x1: f.left, x2: f.right, y1: f.bottom, y2: f.bottom }));
    svg.replaceChildren(...parts);
  }
  on_resize(svg, draw);
  return function show(experiment) {
    latest = experiment;
    draw();
  };
}
