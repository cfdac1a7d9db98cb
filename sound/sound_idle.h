// While no slot plays, the device is paused, and with it the audio
// library's mixing thread: an idle host spends no processor time on sound.
// A start resumes it; a sound that plays to its end pauses it again, told by
// the audio library's event thread (AL_SOFT_events). Every call here runs
// with sound_lock held and on the service's own context.
#pragma once

namespace wubble {

// Looks up the pause and event calls; runs on the service's context, before
// the other calls here.
void LearnPauseCalls();

// Has the audio library report sounds that end. StopWatchingSoundEnds must
// run before the context goes, and without sound_lock held: it waits for a
// report in progress, which may be waiting for the lock.
void WatchSoundEnds();
void StopWatchingSoundEnds();

// Pauses the device when no slot plays.
void PauseWhenSilent();

// Resumes a paused device, before a start.
void ResumeForStart();

}  // namespace wubble
