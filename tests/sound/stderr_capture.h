// Collects everything written to file descriptor 2 (or `fd`) while it
// lives, including what other threads of the process write there.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <string>

class StderrCapture {
 public:
  explicit StderrCapture(int fd = 2) : fd_(fd) {
    std::fflush(nullptr);
    saved_ = dup(fd_);
    file_ = std::tmpfile();
    dup2(fileno(file_), fd_);
  }
  ~StderrCapture() { Finish(); }

  std::string Finish() {
    if (file_ == nullptr) return text_;
    std::fflush(nullptr);
    dup2(saved_, fd_);
    close(saved_);
    std::rewind(file_);
    char chunk[512];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file_)) > 0) text_.append(chunk, got);
    std::fclose(file_);
    file_ = nullptr;
    return text_;
  }

 private:
  int fd_;
  int saved_ = -1;
  std::FILE *file_ = nullptr;
  std::string text_;
};
