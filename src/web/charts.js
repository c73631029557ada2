'use strict';
// The two pictures, brought up to date after each report: every
// experiment's statistic against its number of rolls on log-log axes, with
// a fair die's 5% critical value and this die's mean, and the latest
// counts as bars, drawn once a frame.

const svg_ns = 'http://www.w3.org/2000/svg';
// The chi-squared value that a fair die's statistic (5 degrees of freedom)
// exceeds with probability 0.05.
const critical_value = 11.07;
// The mean of this die's statistic for n rolls: 5 + n times the bias term,
// 6 times the sum over faces of (p - 1/6)^2, with p = 5243/32768 for faces
// 1 and 2 and about 0.17 for the others.
const mean_per_roll = 0.000799;
// The most experiments the picture keeps: the oldest go first.
const most_points = 2000;

function svg_element(name, attributes, text) {
  const element = document.createElementNS(svg_ns, name);
  for (const [key, value] of Object.entries(attributes)) {
    element.setAttribute(key, String(value));
  }
  if (text !== undefined) {
    element.textContent = text;
  }
  return element;
}

const frame = { left: 52, right: 460, top: 12, bottom: 262 };

// A power of ten as a number a reader knows: 0.01 to 10000, then 1e5 on.
function power_label(power) {
  return power >= -2 && power <= 4 ? String(Number((10 ** power).toFixed(2))) : '1e' + power;
}

// Draws the axes and the two lines, and returns a function that adds one
// experiment's point: the axes are fixed, so only the points change.
function make_statistic_chart(svg) {
  // 1 to 10^10 rolls (the largest answer is 2.1e9); a statistic from 0.01
  // to 10^7 (the largest answer's is about 1.7e6): fixed, so that one run
  // can be set beside another. A statistic of 0 stands on the bottom line.
  const x_powers = [0, 10];
  const y_powers = [-2, 7];
  const x = (n) => frame.left + (Math.log10(n) - x_powers[0]) / (x_powers[1] - x_powers[0]) * (frame.right - frame.left);
  const y = (v) => {
    const power = Math.min(Math.max(Math.log10(v), y_powers[0]), y_powers[1]);
    return frame.bottom - (power - y_powers[0]) / (y_powers[1] - y_powers[0]) * (frame.bottom - frame.top);
  };
  const parts = [];
  for (let p = x_powers[0]; p <= x_powers[1]; p += 2) {
    parts.push(svg_element('line', { class: 'grid', x1: x(10 ** p), x2: x(10 ** p), y1: frame.top, y2: frame.bottom }));
    parts.push(svg_element('text', { x: x(10 ** p), y: frame.bottom + 14, 'text-anchor': 'middle' }, power_label(p)));
  }
  for (let p = y_powers[0]; p <= y_powers[1]; p += 1) {
    parts.push(svg_element('line', { class: 'grid', x1: frame.left, x2: frame.right, y1: y(10 ** p), y2: y(10 ** p) }));
    parts.push(svg_element('text', { x: frame.left - 4, y: y(10 ** p) + 4, 'text-anchor': 'end' }, power_label(p)));
  }
  parts.push(svg_element('text', { x: (frame.left + frame.right) / 2, y: 294, 'text-anchor': 'middle' }, 'rolls'));
  parts.push(svg_element('text', { x: 12, y: (frame.top + frame.bottom) / 2, 'text-anchor': 'middle',
    transform: `rotate(-90 12 ${(frame.top + frame.bottom) / 2})` }, 'chi-squared'));
  parts.push(svg_element('line', { class: 'critical', x1: frame.left, x2: frame.right, y1: y(critical_value), y2: y(critical_value) }));
  const mean_points = [];
  for (let p = x_powers[0]; p <= x_powers[1]; p += 0.1) {
    const n = 10 ** p;
    mean_points.push(`${x(n).toFixed(1)},${y(5 + mean_per_roll * n).toFixed(1)}`);
  }
  parts.push(svg_element('polyline', { class: 'mean', points: mean_points.join(' ') }));
  const points = svg_element('g', {});
  parts.push(points);
  parts.push(svg_element('line', { class: 'axis', x1: frame.left, x2: frame.left, y1: frame.top, y2: frame.bottom }));
  parts.push(svg_element('line', { class: 'axis', x1: frame.left, x2: frame.right, y1: frame.bottom, y2: frame.bottom }));
  svg.replaceChildren(...parts);

  return function add(e) {
    const previous = points.lastElementChild;
    if (previous !== null) {
      previous.setAttribute('class', 'point');
      previous.setAttribute('r', '2.5');
    }
    const point = svg_element('circle', { class: 'point latest', cx: x(e.rolls), cy: y(e.statistic), r: 3.5 });
    point.appendChild(svg_element('title', {}, `${e.rolls} rolls: chi-squared ${e.text}`));
    points.appendChild(point);
    if (points.childElementCount > most_points) {
      points.firstElementChild.remove();
    }
  };
}

// A count short enough to stand over its bar: 123456 as 123.5k, 160007000
// as 160.0M (the whole count is in the bar's title).
function short_count(count) {
  if (count >= 1e6) {
    return (count / 1e6).toFixed(1) + 'M';
  }
  return count >= 1e4 ? (count / 1e3).toFixed(1) + 'k' : String(count);
}

// Draws the axis, and returns a function that shows an experiment's counts:
// the bars are drawn anew from the latest alone, so once a frame, not once
// a report, which a paste of thousands of answers brings by the thousand.
function make_counts_chart(svg) {
  let latest;
  const draw_soon = once_a_frame(() => draw_counts(svg, latest));
  draw_counts(svg, undefined);
  return function show(experiment) {
    latest = experiment;
    draw_soon();
  };
}

function draw_counts(svg, latest) {
  const parts = [];
  if (latest !== undefined) {
    const expected = latest.rolls / 6;
    const top = Math.max(expected, ...latest.counts) * 1.1;
    const y = (v) => frame.bottom - v / top * (frame.bottom - frame.top);
    const slot = (frame.right - frame.left) / 6;
    latest.counts.forEach((count, face) => {
      const left = frame.left + face * slot + slot * 0.15;
      const bar = svg_element('rect', { class: 'bar', x: left, y: y(count), width: slot * 0.7, height: frame.bottom - y(count) });
      bar.appendChild(svg_element('title', {}, `face ${face + 1}: ${count}`));
      parts.push(bar);
      parts.push(svg_element('text', { x: left + slot * 0.35, y: frame.bottom + 14, 'text-anchor': 'middle' }, String(face + 1)));
      parts.push(svg_element('text', { x: left + slot * 0.35, y: Math.max(y(count) - 4, frame.top + 8), 'text-anchor': 'middle' }, short_count(count)));
    });
    parts.push(svg_element('line', { class: 'expected', x1: frame.left, x2: frame.right, y1: y(expected), y2: y(expected) }));
    parts.push(svg_element('text', { x: (frame.left + frame.right) / 2, y: 294, 'text-anchor': 'middle' },
      `face (${latest.rolls} rolls, n/6 = ${Number(expected.toPrecision(6))})`));
  }
  parts.push(svg_element('line', { class: 'axis', x1: frame.left, x2: frame.right, y1: frame.bottom, y2: frame.bottom }));
  svg.replaceChildren(...parts);
}

// Reads the reports out of the program's standard output as it comes and
// calls `found` with each experiment's counts and statistic.
function make_report_reader(found) {
  const report = /The observed counts: ((?:\d+ ){6})\n\nChi-squared = ([^\n]+)\n/;
  let text = '';
  return function read(output) {
    text += output;
    for (;;) {
      const match = report.exec(text);
      if (match === null) {
        break;
      }
      const counts = match[1].trim().split(' ').map(Number);
      found({
        counts,
        rolls: counts.reduce((a, b) => a + b, 0),
        statistic: Number(match[2]),
        text: match[2],
      });
      text = text.slice(match.index + match[0].length);
    }
    // A report is far shorter than this; older text can hold none.
    if (text.length > 4096) {
      text = text.slice(-4096);
    }
  };
}
