// The batch run of wubble-render: reads the list, then renders on N threads,
// each with a generator of its own, and writes each file through a temporary
// name in DIR. Messages and the progress line come from the main thread only.
// An interrupt waits for the files being written, so none is left behind.
#include "batch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "generator.h"
#include "render_args.h"
#include "render_wubble.h"
#include "safe_write.h"
#include "shown_text.h"
#include "stop_requests.h"
#include "wav_image.h"

namespace {

struct BatchArgs {
  std::string list;
  std::string dir;
  int threads = 0;  // 0: one per processor
};

// One line naming the argument that was wrong, or "" when all is well.
std::string ParseBatchArgs(int argc, char **argv, BatchArgs *out) {
  if (argc < 3 || argv[2][0] == '\0' || (argv[2][0] == '-' && argv[2][1] != '\0')) {
    return "--batch needs a LIST (a file, or - for standard input) before its options";
  }
  out->list = argv[2];
  for (int i = 3; i < argc; i += 2) {
    std::string option = argv[i];
    bool has_value = i + 1 < argc && argv[i + 1][0] != '\0';
    if (option == "-d") {
      if (!has_value) return "-d needs a folder";
      if (!out->dir.empty()) return "-d given twice";
      out->dir = argv[i + 1];
    } else if (option == "-j") {
      if (!has_value) return "-j needs a number of threads";
      if (out->threads != 0) return "-j given twice";
      int64_t value;
      if (!ParseWholeNumber(argv[i + 1], 1, kMostBatchThreads, &value)) {
        return "-j " + ShownText(argv[i + 1]) + " is not a thread count from 1 to " +
               std::to_string(kMostBatchThreads);
      }
      out->threads = int(value);
    } else {
      return (option[0] == '-' ? "unknown option " : "unexpected argument ") + ShownText(option);
    }
  }
  return out->dir.empty() ? "missing -d DIR" : "";
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
  int files_open = 0;    // temporary files that exist or may
  bool stopping = false;  // an interrupt came: no new file
  std::condition_variable files_closed;
};

void Report(Batch &batch, const std::string &message) {
  std::lock_guard<std::mutex> lock(batch.mutex);
  batch.messages.push_back(message);
  batch.failed = true;
  batch.changed.notify_one();
}

// A temporary file is only made between these two, and not once the batch
// is stopping.
bool BeginFile(Batch &batch) {
  std::lock_guard<std::mutex> lock(batch.mutex);
  if (batch.stopping) return false;
  batch.files_open++;
  return true;
}

void EndFile(Batch &batch) {
  std::lock_guard<std::mutex> lock(batch.mutex);
  batch.files_open--;
  batch.files_closed.notify_all();
}

// On the thread of the interrupt: once it returns, every temporary file is
// gone (renamed or removed) and no other will be made.
void StopBatch(void *context) {
  Batch &batch = *static_cast<Batch *>(context);
  std::unique_lock<std::mutex> lock(batch.mutex);
  batch.stopping = true;
  batch.files_closed.wait(lock, [&] { return batch.files_open == 0; });
}

// A thread's own generator and image, made before it starts.
struct Worker {
  WubbleGenerator *generator = nullptr;
  std::unique_ptr<uint8_t[]> image;
  std::thread thread;
};

// Each sound as the first of a run: a render hands the next one nothing
// but the oscillator position, which starts at 0 here every time.
void RenderSounds(Batch &batch, Worker &worker) {
  uint8_t *image = worker.image.get();
  for (size_t i; (i = batch.next++) < batch.sounds.size();) {
    const BatchSound &s = batch.sounds[i];
    int32_t length = wubble::RenderFirstSound(*worker.generator, s.seed, s.mutations, s.volume, image);
    if (!BeginFile(batch)) break;
    // The temporary name does not end in .wav, so no sound's file is ever
    // left partly written under its name.
    std::string name = s.name + ".wav";
    bool written = WriteNewFileInDir(batch.dir, name, image, size_t(length));
    int error = errno;
    EndFile(batch);
    if (!written) {
      Report(batch, "line " + std::to_string(s.line) + ": cannot write " + ShownText(batch.dir, kLongShown) +
                        "/" + ShownText(name) + ": " + std::strerror(error));
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

bool ReadList(const std::string &path, std::vector<BatchSound> *sounds, bool *bad) {
  std::string shown = path == "-" ? "standard input" : ShownText(path, kLongShown);
  std::FILE *file = OpenList(path);
  if (file == nullptr) {
    std::fprintf(stderr, "wubble-render: cannot read %s: %s\n", shown.c_str(), std::strerror(errno));
    return false;
  }
  bool read = ReadBatchList(file, shown, sounds, bad);
  if (file != stdin) std::fclose(file);
  return read;
}

// The test file counts as one of the batch's: an interrupt waits for it.
bool CheckDir(Batch &batch) {
  if (!BeginFile(batch)) return false;
  bool writable = CanWriteInDir(batch.dir);
  int error = errno;
  EndFile(batch);
  if (writable) return true;
  std::fprintf(stderr, "wubble-render: cannot write to %s: %s\n", ShownText(batch.dir, kLongShown).c_str(),
               std::strerror(error));
  return false;
}

// Up to `wanted` workers with their memory; fewer when memory runs short.
std::vector<std::unique_ptr<Worker>> MakeWorkers(int wanted) {
  std::vector<std::unique_ptr<Worker>> workers;
  for (int t = 0; t < wanted; t++) {
    std::unique_ptr<Worker> worker(new (std::nothrow) Worker);
    if (!worker) break;
    worker->image.reset(new (std::nothrow) uint8_t[wubble::kWavImageBytes]);
    worker->generator = wubble::NewGenerator();
    if (!worker->image || !worker->generator) {
      wubble::FreeGenerator(worker->generator);
      break;
    }
    workers.push_back(std::move(worker));
  }
  return workers;
}

// Starts a thread for each worker while the system gives threads; the
// workers left without one are freed. The error of the first refusal, or "".
std::string StartWorkers(Batch &batch, std::vector<std::unique_ptr<Worker>> &workers) {
  std::string refused;
  size_t started = 0;
  for (; started < workers.size(); started++) {
    Worker &worker = *workers[started];
    try {
      worker.thread = std::thread(RenderSounds, std::ref(batch), std::ref(worker));
    } catch (const std::system_error &e) {
      refused = e.what();
      break;
    }
    std::lock_guard<std::mutex> lock(batch.mutex);
    batch.running++;
  }
  for (size_t t = started; t < workers.size(); t++) wubble::FreeGenerator(workers[t]->generator);
  workers.resize(started);
  return refused;
}

// Prints what the threads report, and the progress line on a terminal,
// until every thread has ended.
void FollowWorkers(Batch &batch) {
  bool progress = StandardErrorIsTerminal();
  auto start = std::chrono::steady_clock::now();
  auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  std::unique_lock<std::mutex> lock(batch.mutex);
  for (;;) {
    batch.changed.wait_for(lock, std::chrono::milliseconds(250),
                           [&] { return !batch.messages.empty() || batch.running == 0; });
    for (const std::string &message : batch.messages) {
      std::fprintf(stderr, "%swubble-render: %s\n", progress ? "\r\x1b[K" : "", message.c_str());
    }
    batch.messages.clear();
    if (progress) ShowProgress(batch.done, batch.sounds.size(), seconds(), batch.running == 0);
    if (batch.running == 0) return;
  }
}

int RenderBatch(Batch &batch, int wanted) {
  std::vector<std::unique_ptr<Worker>> workers = MakeWorkers(wanted);
  std::string refused = workers.empty() ? std::string() : StartWorkers(batch, workers);
  if (workers.empty()) {
    std::fprintf(stderr, "wubble-render: cannot start a thread: %s\n",
                 refused.empty() ? "out of memory" : refused.c_str());
    return 1;
  }
  if (int(workers.size()) < wanted) {
    std::fprintf(stderr, "wubble-render: %zu of %d threads could start (%s); going on with %zu\n",
                 workers.size(), wanted, refused.empty() ? "out of memory" : refused.c_str(), workers.size());
  }
  FollowWorkers(batch);
  for (auto &worker : workers) {
    worker->thread.join();
    wubble::FreeGenerator(worker->generator);
  }
  return batch.failed ? 1 : 0;
}

}  // namespace

int RunBatch(int argc, char **argv) {
  BatchArgs args;
  std::string usage = ParseBatchArgs(argc, argv, &args);
  if (!usage.empty()) {
    std::fprintf(stderr, "wubble-render: %s\n", usage.c_str());
    return 2;
  }
  // Never destroyed: the interrupt's thread may reach it until the process ends.
  static Batch &batch = *new Batch;
  batch.dir = args.dir;
  if (!HoldStopRequests(StopBatch, &batch)) {
    std::fprintf(stderr, "wubble-render: cannot watch for interrupts: %s\n", std::strerror(errno));
    return 1;
  }
  if (!CheckDir(batch)) return 1;
  bool bad_lines = false;
  if (!ReadList(args.list, &batch.sounds, &bad_lines)) return 1;
  int wanted = std::min(args.threads > 0 ? args.threads : ProcessorCount(), kMostBatchThreads);
  wanted = int(std::min(size_t(wanted), batch.sounds.size()));
  int status = wanted > 0 ? RenderBatch(batch, wanted) : 0;
  return bad_lines ? 1 : status;
}
