// What the two pictures share: SVG elements, and a picture drawn in the
// page's own pixels at the page's font size, drawn again when its width
// changes, so that its text grows with zoom as the rest of the page's does.

const svg_ns = 'http://www.w3.org/2000/svg';

export function svg_element(name, attributes, text) {
  const element = document.createElementNS(svg_ns, name);
  for (const [key, value] of Object.entries(attributes)) {
    element.setAttribute(key, String(value));
  }
  if (text !== undefined) {
    element.textContent = text;
  }
  return element;
}

// The picture's size in the page's pixels and its font size, the frame
// that its axes stand on (margins in units of the font, for the labels),
// and its viewBox set to match.
export function measure(svg) {
  const font = parseFloat(getComputedStyle(svg).fontSize) || 13;
  const width = Math.max(svg.getBoundingClientRect().width || 0, 16 * font);
  const height = Math.round(Math.max(width * 0.62, 16 * font));
  svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
  svg.style.height = `${height}px`;
  return {
    font, width, height,
    left: 4.6 * font, right: width - 1.2 * font, top: 0.8 * font, bottom: height - 2.8 * font,
  };
}

// Calls `draw` now and whenever the picture's width changes.
export function on_resize(svg, draw) {
  let width = -1;
  const observer = new ResizeObserver(() => {
    const now = svg.getBoundingClientRect().width;
    if (now !== width) {
      width = now;
      draw();
    }
  });
  observer.observe(svg);
  draw();
}
