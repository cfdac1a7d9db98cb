// The batch run of wubble-render: reads the list, then renders on N threads,
// each with a generator of its own, and writes each file through a temporary
// name in DIR. Messages and the progress line come from the main thread only.
#include "batch.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "generator.h"
#include "render_wubble.h"
#include "safe_write.h"
#include "wav_image.h"

namespace {

const char *const kBatchUsage =
    "usage: wubble-render --batch LIST -d DIR [-j N]  "
    "(LIST: a file or -, one sound a line: SEED [MUTATIONS [VOLUME]] [NAME])";

constexpr int kMostThreads = 1024;

struct BatchArgs {
  std::string list;
  std::string dir;
  int threads = 0;  // 0: one per processor
};

bool ParseBatchArgs(int argc, char **argv, BatchArgs *out) {
  if (argc < 3 || argv[2][0] == '\0') return false;
  out->list = argv[2];
  for (int i = 3; i < argc; i += 2) {
    if (i + 1 >= argc || argv[i + 1][0] == '\0') return false;
    std::string value = argv[i + 1];
    if (std::strcmp(argv[i], "-d") == 0 && out->dir.empty()) {
      out->dir = value;
    } else if (std::strcmp(argv[i], "-j") == 0 && out->threads == 0) {
      if (value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) return false;
      out->threads = std::stoi(value);
      if (out->threads < 1 || out->threads > kMostThreads) return false;
    } else {
      return false;
    }
  }
  return !out->dir.empty();
}

// What the threads share; all but the counters under `mutex`.
struct Batch {
  std::vector<BatchSound> sounds;
  std::string dir;
  std::atomic<size_t> next{0};  // the next sound to take
  std::atomic<size_t> done{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> messages;  // for the main thread to print
  int running = 0;                    // threads still rendering
  bool failed = false;
};

void Report(Batch &batch, const std::string &message) {
  std::lock_guard<std::mutex> lock(batch.mutex);
  batch.messages.push_back(message);
  batch.failed = true;
  batch.changed.notify_one();
}

// Each sound as the first of a run, so that it does not depend on the
// sound its thread made before.
void RenderSounds(Batch &batch, WubbleGenerator *g) {
  std::vector<uint8_t> image(wubble::kWavImageBytes);
  for (size_t i; (i = batch.next++) < batch.sounds.size();) {
    const BatchSound &s = batch.sounds[i];
    int32_t length = wubble::RenderFirstSound(*g, s.seed, s.mutations, s.volume, image.data());
    // The temporary name does not end in .wav, so no sound's file is ever
    // left partly written under its name.
    std::string name = s.name + ".wav";
    if (!WriteNewFileInDir(batch.dir, name, image.data(), size_t(length))) {
      Report(batch, "line " + std::to_string(s.line) + ": cannot write " + batch.dir + "/" + name +
                        ": " + std::strerror(errno));
    }
    batch.done++;
  }
  std::lock_guard<std::mutex> lock(batch.mutex);
  batch.running--;
  batch.changed.notify_one();
}

std::string Clock(double seconds) {
  long whole = long(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

// "412/1000 sounds, 38.5/s, 0:15 left", over itself on a terminal.
void ShowProgress(size_t done, size_t total, double seconds, bool last) {
  double rate = seconds > 0.0 ? double(done) / seconds : 0.0;
  std::string left = last ? "took " + Clock(seconds)
                          : rate > 0.0 ? Clock(double(total - done) / rate) + " left" : "";
  std::fprintf(stderr, "\r%zu/%zu sounds, %.1f/s, %s\x1b[K%s", done, total, rate, left.c_str(),
               last ? "\n" : "");
}

// Reads the list; bad lines and names taken by an earlier line are reported
// and left out. False when the list cannot be read at all.
bool ReadList(const std::string &path, std::vector<BatchSound> *sounds, bool *bad) {
  std::ifstream file;
  if (path != "-") {
    file.open(std::filesystem::u8path(path));  // a wide name on Windows
    if (!file) {
      std::fprintf(stderr, "wubble-render: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
      return false;
    }
  }
  std::istream &in = path == "-" ? std::cin : file;
  std::map<std::string, int32_t> lines_by_name;
  std::string text, error;
  for (int32_t line = 1; std::getline(in, text); line++) {
    BatchSound sound;
    sound.line = line;
    BatchLineKind kind = ParseBatchLine(text, &sound, &error);
    if (kind == kBlankLine) continue;
    if (kind == kSoundLine) {
      auto taken = lines_by_name.emplace(sound.name, line);
      if (taken.second) {
        sounds->push_back(sound);
        continue;
      }
      error = "the name \"" + sound.name + "\" is taken by line " + std::to_string(taken.first->second);
    }
    std::fprintf(stderr, "wubble-render: %s line %d: %s; skipped\n", path.c_str(), line, error.c_str());
    *bad = true;
  }
  if (in.bad()) {
    std::fprintf(stderr, "wubble-render: cannot read %s\n", path.c_str());
    return false;
  }
  return true;
}

bool CheckDir(const std::string &dir) {
  if (CanWriteInDir(dir)) return true;
  std::fprintf(stderr, "wubble-render: cannot write to %s: %s\n", dir.c_str(), std::strerror(errno));
  return false;
}

}  // namespace

int RunBatch(int argc, char **argv) {
  BatchArgs args;
  if (!ParseBatchArgs(argc, argv, &args)) {
    std::fprintf(stderr, "%s\n", kBatchUsage);
    return 2;
  }
  if (!CheckDir(args.dir)) return 1;
  Batch batch;
  batch.dir = args.dir;
  bool bad_lines = false;
  if (!ReadList(args.list, &batch.sounds, &bad_lines)) return 1;
  int threads = args.threads > 0 ? args.threads : ProcessorCount();
  if (size_t(threads) > batch.sounds.size()) threads = int(batch.sounds.size());
  std::vector<WubbleGenerator *> generators;
  for (int t = 0; t < threads; t++) {
    WubbleGenerator *g = wubble::NewGenerator();
    if (!g) break;
    generators.push_back(g);
  }
  if (threads > 0 && generators.empty()) {
    std::fprintf(stderr, "wubble-render: out of memory\n");
    return 1;
  }

  bool progress = !batch.sounds.empty() && StandardErrorIsTerminal();
  auto start = std::chrono::steady_clock::now();
  auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  batch.running = int(generators.size());
  std::vector<std::thread> workers;
  for (WubbleGenerator *g : generators) workers.emplace_back(RenderSounds, std::ref(batch), g);
  {
    std::unique_lock<std::mutex> lock(batch.mutex);
    for (;;) {
      batch.changed.wait_for(lock, std::chrono::milliseconds(250),
                             [&] { return !batch.messages.empty() || batch.running == 0; });
      for (const std::string &message : batch.messages) {
        std::fprintf(stderr, "%swubble-render: %s\n", progress ? "\r\x1b[K" : "", message.c_str());
      }
      batch.messages.clear();
      if (progress) ShowProgress(batch.done, batch.sounds.size(), seconds(), batch.running == 0);
      if (batch.running == 0) break;
    }
  }
  for (std::thread &worker : workers) worker.join();
  for (WubbleGenerator *g : generators) wubble::FreeGenerator(g);
  return bad_lines || batch.failed ? 1 : 0;
}
