// The page's address carries the sound: #SEED,MUTATIONS,VOLUME. Every new
// sound gets an address of its own in the history, so Back and Forward step
// through the sounds heard.
import { FormatInt, ParseCallText } from './number_text.js';

// The longest address a sound can have is 27 characters: "#-2147483648,1000000,127".
const kLongestAddress = 40;

// {seed, mutations, volume} of an address, null when it is not one, and
// undefined when there is none. The numbers are those a pasted call text
// takes, the volume that of the bar.
export function ReadAddress(hash) {
  if (hash === '' || hash === '#') return undefined;
  if (hash.length > kLongestAddress) return null;
  let text;
  try {
    text = decodeURIComponent(hash.slice(1));
  } catch {
    return null;
  }
  if (!/^-?[0-9]+,[0-9]+,[0-9]+$/.test(text)) return null;
  const call = ParseCallText(`CreateWubble(${text},1)`);
  if (call === null || call.volume < 0) return null;
  return call;
}

export function AddressOf(seed, mutations, volume) {
  return `#${FormatInt(seed)},${FormatInt(mutations)},${FormatInt(volume)}`;
}

// Shows the sound's address: a new history entry (`push`), the same entry
// rewritten (`replace`), or nothing when the history itself brought it
// (`keep`). An address that is already the current one gets no new entry.
export function ShowAddress(seed, mutations, volume, how) {
  const address = AddressOf(seed, mutations, volume);
  if (how === 'keep') return;
  if (how === 'push' && address !== location.hash) history.pushState(null, '', address);
  else history.replaceState(null, '', address);
}
