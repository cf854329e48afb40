#include "app/common/terminal_progress.h"

#include <cstdio>
#include <iostream>

#include "app/common/program_io.h"
#include "platform/wide_text.h"

namespace {

// Nothing is drawn for work shorter than this: a small machine prints at
// once, and a line that flashes for a moment only distracts.
constexpr auto kQuiet = std::chrono::milliseconds(500);
// Redrawn at most this often: the terminal must not cost more than the work.
constexpr auto kRedraw = std::chrono::milliseconds(100);
constexpr std::size_t kWidest = 79;

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& out, bool shown, std::function<Clock::time_point()> now)
    : out_(out), shown_(shown), now_(std::move(now)), start_(now_()) {}

void TerminalProgress::SetProgressText(const std::wstring& text) {
  Phase(Utf8FromWide(text));
}

void TerminalProgress::SetProgressRange(int lower, int upper) {
  at_ = 0;
  upper_ = static_cast<long long>(upper) - lower;
}

void TerminalProgress::StepProgress() {
  ++at_;
  Draw();
}

void TerminalProgress::Phase(const std::string& label) {
  label_ = label;
  at_ = upper_ = 0;
  writing_ = false;
  Draw();
}

void TerminalProgress::Written(std::uint64_t bytes) {
  writing_ = true;
  written_ = bytes;
  Draw();
}

void TerminalProgress::Draw() {
  if (!shown_) return;
  const Clock::time_point now = now_();
  if (now - start_ < kQuiet || (width_ != 0 && now - drawn_ < kRedraw)) return;
  drawn_ = now;
  std::string line = "quelbrin-cli: ";
  if (writing_) {
    line += "writing: " + Megabytes(written_);
  } else {
    line += label_;
    if (upper_ > 0) line += ": " + std::to_string(at_) + " of " + std::to_string(upper_);
  }
  // Kept within one row of the narrowest terminal, or the carriage return
  // would go back to the start of its last row only; cut where no UTF-8
  // character goes on.
  if (line.size() > kWidest) {
    std::size_t cut = kWidest;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.resize(cut);
  }
  // A shorter line than the last one covers what is left of it.
  const std::size_t width = line.size();
  if (width < width_) line.append(width_ - width, ' ');
  out_ << '\r' << line << std::flush;
  width_ = width;
}

void TerminalProgress::Clear() {
  if (width_ == 0) return;
  out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
  width_ = 0;
}

CountingStreambuf::CountingStreambuf(std::streambuf& target, TerminalProgress& progress)
    : target_(target), progress_(progress) {
  setp(buffer_, buffer_ + sizeof buffer_);
}

CountingStreambuf::int_type CountingStreambuf::overflow(int_type c) {
  if (!Pass()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int CountingStreambuf::sync() { return Pass() && target_.pubsync() == 0 ? 0 : -1; }

bool CountingStreambuf::Pass() {
  const std::streamsize held = pptr() - pbase();
  if (held == 0) return true;
  const std::streamsize put = target_.sputn(pbase(), held);
  setp(buffer_, buffer_ + sizeof buffer_);
  count_ += static_cast<std::uint64_t>(put > 0 ? put : 0);
  progress_.Written(count_);
  return put == held;
}

CountedStandardOutput::CountedStandardOutput(TerminalProgress& progress) {
  if (!StandardOutputIsTerminal()) counted_.emplace(std::cout, progress);
}
