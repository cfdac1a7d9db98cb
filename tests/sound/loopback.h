// Runs the playback service on an OpenAL loopback device, which mixes only
// when asked and hands the mix back in memory.
#pragma once
#include <cstdint>
#include <vector>

#include <AL/alc.h>

// Opens a loopback device at 44100 Hz with the limiter off and `channels`
// float outputs: 1 (mono), 2 (stereo) or 6 (5.1, in the order front left,
// front right, centre, LFE, surround left, surround right), and starts the
// service on it. Null on failure.
ALCdevice *StartServiceOnLoopback(int channels);

// Mixes the next `frames` frames and returns them as 16-bit samples,
// interleaved. Float output converted here stays exact, where the device's
// own 16-bit output would add dither.
std::vector<int16_t> RenderFrames(ALCdevice *device, int frames, int channels);
