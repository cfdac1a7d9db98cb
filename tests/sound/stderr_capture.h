// Collects everything written to file descriptor 2 while it lives, including
// what other threads of the process write there.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <string>

class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = dup(2);
    file_ = std::tmpfile();
    dup2(fileno(file_), 2);
  }
  ~StderrCapture() { Finish(); }

  std::string Finish() {
    if (file_ == nullptr) return text_;
    std::fflush(stderr);
    dup2(saved_, 2);
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
  int saved_ = -1;
  std::FILE *file_ = nullptr;
  std::string text_;
};
