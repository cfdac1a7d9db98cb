// The service reports nothing, but the audio libraries under it write their
// own errors to stderr (for instance when a machine has no sound card).
#pragma once

// Turns those messages off. Must run before the first OpenAL call of the
// process to reach OpenAL's own log.
void SilenceAudioLibraryLogs();
