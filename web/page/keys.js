// The keyboard shortcuts, as the page lists them. None is a digit or an
// editing key, so none fights typing in the seed field, which takes digits
// only; in the call text field, which takes any text, and with Ctrl, Alt or
// Meta held, every key is the browser's own.
export const kShortcuts = {
  r: 'random',
  '-': 'seed-minus',
  '+': 'seed-plus',
  '=': 'seed-plus',  // + without Shift on many layouts
  p: 'play',
  m: 'mutate',
  '[': 'volume-down',
  ']': 'volume-up',
  d: 'download',
};

// The action of a key press, or null when the key is not for the page.
export function ShortcutOf(event, free_text_field) {
  if (event.ctrlKey || event.altKey || event.metaKey || event.isComposing) return null;
  if (event.target === free_text_field) return null;
  const key = event.key ?? '';
  return kShortcuts[key.length === 1 ? key.toLowerCase() : ''] ?? null;
}
