// wubble-render: writes the WAV file of one sound, or prints its parameters.
// Each run renders the sound as the first of a run, so the same three numbers
// always give the same file. No audio device is opened.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch.h"
#include "default_generator.h"
#include "render_args.h"
#include "safe_write.h"
#include "shown_text.h"
#include "wav_image.h"
#include "wubble.h"

static void PrintParams(const wubble::EffectParams &p) {
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

// Standard output is checked once at the end: a full disk, a closed stream
// or a broken device must not pass as success.
static bool FinishStandardOutput() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "wubble-render: cannot write standard output: %s\n", std::strerror(errno));
  return false;
}

int main(int argc, char **argv) {
  argv = Utf8Arguments(argc, argv);
  if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) return RunBatch(argc, argv);
  RenderArgs args;
  std::string error;
  if (!ParseRenderArgs(argc, argv, &args, &error)) {
    std::fprintf(stderr, "wubble-render: %s\n", error.c_str());
    return 2;
  }
  switch (args.action) {
    case kPrintHelp:
      std::fputs(kRenderUsage, stdout);
      return FinishStandardOutput() ? 0 : 1;
    case kPrintVersion:
      std::printf("wubble-render %d.%d.%d\n", WUBBLE_VERSION_MAJOR, WUBBLE_VERSION_MINOR,
                  WUBBLE_VERSION_PATCH);
      return FinishStandardOutput() ? 0 : 1;
    case kPrintParams:
      wubble::GenerateEffectParams(args.seed);
      wubble::MutateEffectParams(args.mutations);
      PrintParams(wubble::default_generator.params);
      return FinishStandardOutput() ? 0 : 1;
    case kWriteWav:
      break;
  }
  std::vector<uint8_t> image(wubble::kWavImageBytes);
  size_t length = size_t(RenderWubble(args.seed, args.mutations, args.volume, image.data()));
  if (length == 0) {
    std::fprintf(stderr, "wubble-render: out of memory\n");
    return 1;
  }
  bool to_stdout = args.output == "-";
  if (to_stdout ? !WriteStandardOutput(image.data(), length)
                : !WriteFileSafely(args.output, image.data(), length)) {
    const char *reason = std::strerror(errno);
    std::fprintf(stderr, "wubble-render: cannot write %s: %s\n",
                 to_stdout ? "standard output" : ShownText(args.output, kLongShown).c_str(), reason);
    return 1;
  }
  return 0;
}
