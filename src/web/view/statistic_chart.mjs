// Every experiment's statistic against its number of rolls on log-log
// axes, with a fair die's 5% critical value and this die's mean.
import { critical_value, mean_per_roll } from '../core/statistic.mjs';
import { measure, on_resize, svg_element } from './svg.mjs';

// A power of ten as a number a reader knows: 0.01 to 10000, then 1e5 on.
function power_label(power) {
  return power >= -2 && power <= 4 ? String(Number((10 ** power).toFixed(2))) : `1e${power}`;
}

// Draws the axes and the two lines; the function returned puts in the
// points of the experiments that `log` (core/experiment_log.mjs) keeps.
export function make_statistic_chart(svg, log) {
  // 1 to 10^10 rolls (the largest answer is 2.1e9); a statistic from 0.01
  // to 10^7 (the largest answer's is about 1.7e6): fixed, so that one run
  // can be set beside another. A statistic of 0 stands on the bottom line.
  const x_powers = [0, 10];
  const y_powers = [-2, 7];
  let place = null;
  let radius = 0;
  let points = null;
  let latest = null;

  function draw() {
    const f = measure(svg);
    const x = (n) => f.left + (Math.log10(n) - x_powers[0]) / (x_powers[1] - x_powers[0]) * (f.right - f.left);
    const y = (v) => {
      const power = Math.min(Math.max(Math.log10(v), y_powers[0]), y_powers[1]);
      return f.bottom - (power - y_powers[0]) / (y_powers[1] - y_powers[0]) * (f.bottom - f.top);
    };
    // Fewer labels where they would crowd each other.
    const x_step = (f.right - f.left) / 5 < 3.4 * f.font ? 4 : 2;
    const y_step = (f.bottom - f.top) / 9 < 1.4 * f.font ? 2 : 1;
    const parts = [];
    for (let p = x_powers[0]; p <= x_powers[1]; p += 2) {
      parts.push(svg_element('line', { class: 'grid', x1: x(10 ** p), x2: x(10 ** p), y1: f.top, y2: f.bottom }));
      if (p % x_step === 0) {
        parts.push(svg_element('text', { x: x(10 ** p), y: f.bottom + 1.2 * f.font, 'text-anchor': 'middle' }, power_label(p)));
      }
    }
    for (let p = y_powers[0]; p <= y_powers[1]; p += 1) {
      parts.push(svg_element('line', { class: 'grid', x1: f.left, x2: f.right, y1: y(10 ** p), y2: y(10 ** p) }));
      if ((p - y_powers[0]) % y_step === 0) {
        parts.push(svg_element('text', { x: f.left - 0.3 * f.font, y: y(10 ** p) + 0.35 * f.font, 'text-anchor': 'end' }, power_label(p)));
      }
    }
    const middle = (f.top + f.bottom) / 2;
    parts.push(svg_element('text', { x: (f.left + f.right) / 2, y: f.height - 0.4 * f.font, 'text-anchor': 'middle' }, 'rolls'));
    parts.push(svg_element('text', { x: f.font, y: middle, 'text-anchor': 'middle',
      transform: `rotate(-90 ${f.font} ${middle})` }, 'chi-squared'));
    parts.push(svg_element('line', { class: 'critical', x1: f.left, x2: f.right, y1: y(critical_value), y2: y(critical_value) }));
    const mean_points = [];
    for (let p = x_powers[0]; p <= x_powers[1]; p += 0.1) {
      const n = 10 ** p;
      mean_points.push(`${x(n).toFixed(1)},${y(5 + mean_per_roll * n).toFixed(1)}`);
    }
    parts.push(svg_element('polyline', { class: 'mean', points: mean_points.join(' ') }));
    // The points as one path, and the latest as a circle of its own: one
    // element whatever their number, drawn anew in one step.
    points = svg_element('path', { class: 'point' });
    latest = svg_element('circle', { class: 'point latest', r: 0.3 * f.font });
    parts.push(points, latest);
    parts.push(svg_element('line', { class: 'axis', x1: f.left, x2: f.left, y1: f.top, y2: f.bottom }));
    parts.push(svg_element('line', { class: 'axis', x1: f.left, x2: f.right, y1: f.bottom, y2: f.bottom }));
    svg.replaceChildren(...parts);
    place = (e) => [x(e.rolls), y(e.statistic)];
    radius = 0.2 * f.font;
    put();
  }

  function put() {
    const kept = log.kept();
    const dots = [];
    for (const e of kept.slice(0, -1)) {
      const [cx, cy] = place(e);
      dots.push(`M${(cx - radius).toFixed(1)},${cy.toFixed(1)}a${radius},${radius} 0 1 0 ${2 * radius},0a${radius},${radius} 0 1 0 ${-2 * radius},0`);
    }
    points.setAttribute('d', dots.join(''));
    const last = kept[kept.length - 1];
    latest.setAttribute('visibility', last === undefined ? 'hidden' : 'visible');
    if (last !== undefined) {
      const [cx, cy] = place(last);
      latest.setAttribute('cx', cx.toFixed(1));
      latest.setAttribute('cy', cy.toFixed(1));
    }
  }

  on_resize(svg, draw);
  return put;
}
