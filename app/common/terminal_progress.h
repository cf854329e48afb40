// Progress of long work on the terminal: one line on stderr, redrawn in place,
// for work that takes longer than a moment, and wiped before anything else is
// written. Logs and pipes get none of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

#include "scan/prompt.h"
#include "scan/progress_sink.h"

class TerminalProgress : public ProgressSink {
 public:
  using Clock = std::chrono::steady_clock;

  // Draws on `out` when `shown`; `now` stands in for the clock in tests.
  TerminalProgress(std::ostream& out, bool shown, std::function<Clock::time_point()> now = Clock::now);
  ~TerminalProgress() override { Clear(); }
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // The scan's phases and steps: "Getting Mount Points: 1200 of 20000".
  void SetProgressText(const std::wstring& text) override;
  void SetProgressRange(int lower, int upper) override;
  void StepProgress() override;
  void RestartSplash() override {}
  void CloseSplash() override { Clear(); }

  // How much output has gone, for writing whose size is not known before its end.
  void Written(std::uint64_t bytes);
  // Wipes the line, so that whatever comes next starts at the left margin.
  void Clear();

 private:
  void Phase(const std::string& label);
  void Draw();

  std::ostream& out_;
  const bool shown_;
  const std::function<Clock::time_point()> now_;
  const Clock::time_point start_;
  Clock::time_point drawn_{};
  std::string label_;
  long long at_ = 0;
  long long upper_ = 0;
  std::uint64_t written_ = 0;
  bool writing_ = false;
  std::size_t width_ = 0;  // of the line on the terminal; 0 when there is none
};

// The prompt of a program that shows progress: the line is wiped before a
// message or a diagnostic takes its place.
class ProgressPrompt : public Prompt {
 public:
  ProgressPrompt(Prompt& inner, TerminalProgress& progress) : inner_(inner), progress_(progress) {}
  void ShowMessageBox(const std::wstring& text) override {
    progress_.Clear();
    inner_.ShowMessageBox(text);
  }
  void Diagnostic(const std::wstring& line) override {
    progress_.Clear();
    inner_.Diagnostic(line);
  }

 private:
  Prompt& inner_;
  TerminalProgress& progress_;
};

// Passes everything written on to `target` unchanged, in pieces of some
// kilobytes, and tells `progress` how much has gone after each.
class CountingStreambuf : public std::streambuf {
 public:
  CountingStreambuf(std::streambuf& target, TerminalProgress& progress);
  CountingStreambuf(const CountingStreambuf&) = delete;
  CountingStreambuf& operator=(const CountingStreambuf&) = delete;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // False when the target took less than it was given.
  bool Pass();

  std::streambuf& target_;
  TerminalProgress& progress_;
  std::uint64_t count_ = 0;
  char buffer_[1 << 14];
};

// While it lives, what `stream` writes is counted into `progress`. The
// stream keeps its state across both changes of buffer, which would clear it:
// a write that failed must still show as failed.
class CountedOutput {
 public:
  CountedOutput(std::ostream& stream, TerminalProgress& progress)
      : stream_(stream), counting_(*stream.rdbuf(), progress), previous_(Swap(stream, &counting_)) {}
  // What is still in the last piece goes on before the stream gets its own buffer back.
  ~CountedOutput() {
    stream_.flush();
    Swap(stream_, previous_);
  }
  CountedOutput(const CountedOutput&) = delete;
  CountedOutput& operator=(const CountedOutput&) = delete;

 private:
  static std::streambuf* Swap(std::ostream& stream, std::streambuf* buffer) {
    const std::ios::iostate state = stream.rdstate();
    std::streambuf* previous = stream.rdbuf(buffer);
    stream.setstate(state);
    return previous;
  }

  std::ostream& stream_;
  CountingStreambuf counting_;
  std::streambuf* previous_;
};

// While it lives, what goes to standard output is counted into `progress`,
// unless standard output is a terminal, where the output shows its own progress.
class CountedStandardOutput {
 public:
  explicit CountedStandardOutput(TerminalProgress& progress);

 private:
  std::optional<CountedOutput> counted_;
};
