// wubble-render: writes the WAV file of one sound, or prints its parameters.
// Each run renders the sound as the first of a run, so the same three numbers
// always give the same file. No audio device is opened.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "batch.h"
#include "params.h"
#include "render_args.h"
#include "synth.h"
#include "wav_image.h"

static void PrintParams(const EffectParams &p) {
  std::printf("waveform %d\n", p.waveform);
  const struct { const char *name; float value; } fields[] = {
      {"pitch_start", p.pitch_start},     {"pitch_floor", p.pitch_floor},
      {"pitch_slide", p.pitch_slide},     {"pitch_slide_accel", p.pitch_slide_accel},
      {"pulse_width", p.pulse_width},     {"pulse_width_sweep", p.pulse_width_sweep},
      {"wobble_depth", p.wobble_depth},   {"wobble_rate", p.wobble_rate},
      {"spare_param", p.spare_param},     {"attack_time", p.attack_time},
      {"hold_time", p.hold_time},         {"release_time", p.release_time},
      {"punch", p.punch},                 {"lowpass_resonance", p.lowpass_resonance},
      {"lowpass_cutoff", p.lowpass_cutoff}, {"lowpass_sweep", p.lowpass_sweep},
      {"highpass_cutoff", p.highpass_cutoff}, {"highpass_sweep", p.highpass_sweep},
      {"phaser_offset", p.phaser_offset}, {"phaser_sweep", p.phaser_sweep},
      {"retrigger_rate", p.retrigger_rate}, {"step_speed", p.step_speed},
      {"step_ratio", p.step_ratio},
  };
  // 9 significant digits give back the exact single.
  for (const auto &f : fields) std::printf("%s %.9g\n", f.name, double(f.value));
}

// Writes through a temporary file in the same folder and renames it, so a
// failed write leaves no partial file behind.
static bool WriteFileAtomically(const std::string &path, const uint8_t *data, size_t size) {
  std::string temp = path + ".partial-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;  // mkstemp made it private
  for (size_t done = 0; ok && done < size;) {
    ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += size_t(n);
  }
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  ok = ok && std::rename(name.data(), path.c_str()) == 0;
  if (!ok) {
    int saved = errno;
    unlink(name.data());
    errno = saved;
  }
  return ok;
}

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) return RunBatch(argc, argv);
  RenderArgs args;
  if (!ParseRenderArgs(argc, argv, &args)) {
    std::fprintf(stderr, "%s\n", kRenderUsage);
    return 2;
  }
  if (args.print_params) {
    GenerateEffectParams(args.seed);
    MutateEffectParams(args.mutations);
    PrintParams(effect_params);
    return 0;
  }
  AllocateSynthArrays();
  std::vector<uint8_t> image(kWavImageBytes);
  int32_t length = RenderWubbleImage(args.seed, args.mutations, args.volume, image.data());
  if (!WriteFileAtomically(args.output, image.data(), size_t(length))) {
    std::fprintf(stderr, "wubble-render: cannot write %s: %s\n", args.output.c_str(),
                 std::strerror(errno));
    return 1;
  }
  return 0;
}
