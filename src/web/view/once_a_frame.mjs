// Returns a function that has `work` done at the next frame, once however
// often it is called before then: for what is drawn from the latest state
// only (the console, the pictures, the table).
export function once_a_frame(work) {
  let asked = false;
  return () => {
    if (!asked) {
      asked = true;
      requestAnimationFrame(() => {
        asked = false;
        work();
      });
    }
  };
}
