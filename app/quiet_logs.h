// The playback service reports nothing, but the audio libraries under it
// write their own errors to stderr (for instance when a machine has no sound
// card). The programs quiet them for themselves; the service, which also
// lives in other people's programs, leaves the process's settings alone.
#pragma once

// Turns those messages off: sets ALSOFT_LOGLEVEL to 0 unless it is set
// already, and gives ALSA an error handler that drops everything. Must run
// before the first OpenAL call of the process to reach OpenAL's own log.
void SilenceAudioLibraryLogs();
