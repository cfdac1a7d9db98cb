"""Opens a WAV file with Python's own reader and checks its format."""
import sys
import wave

with wave.open(sys.argv[1], "rb") as w:
    assert w.getnchannels() == 1, w.getnchannels()
    assert w.getsampwidth() == 2, w.getsampwidth()
    assert w.getframerate() == 44100, w.getframerate()
    frames = w.readframes(w.getnframes())
    assert w.getnframes() > 0 and len(frames) == 2 * w.getnframes()
print("ok", w.getnframes(), "frames")
