// Progress on the terminal: drawn only for long work and at most ten times a
// second, wiped before other text, and output counted on its way unchanged.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/common/terminal_progress.h"
#include "tests/support/recording_prompt.h"

namespace {

using namespace std::chrono_literals;
using Clock = TerminalProgress::Clock;

struct FakeClock {
  Clock::time_point now{};
  std::function<Clock::time_point()> Reader() {
    return [this] { return now; };
  }
};

std::string Wipe(std::size_t width) { return "\r" + std::string(width, ' ') + "\r"; }

TEST(TerminalProgress, DrawsOnlyLongWorkAndWipesItsLineBeforeOtherText) {
  for (const bool shown : {true, false}) {
    SCOPED_TRACE(shown ? "a terminal" : "no terminal");
    FakeClock clock;
    std::ostringstream out;
    TerminalProgress progress(out, shown, clock.Reader());
    RecordingPrompt messages;
    ProgressPrompt prompt(messages, progress);
    std::string expected;

    progress.SetProgressText(L"Getting Mount Points");
    progress.SetProgressRange(0, 20000);
    for (int i = 0; i < 100; ++i) progress.StepProgress();
    EXPECT_EQ(out.str(), expected) << "nothing in the first half second";

    clock.now += 600ms;
    progress.StepProgress();
    const std::string scanning = "\rquelbrin-cli: Getting Mount Points: 101 of 20000";
    if (shown) expected += scanning;
    EXPECT_EQ(out.str(), expected);

    clock.now += 50ms;
    progress.StepProgress();
    EXPECT_EQ(out.str(), expected) << "not redrawn within a tenth of a second";

    // A shorter line covers what is left of the longer one.
    clock.now += 100ms;
    progress.Written(1'500'000);
    const std::string writing = "\rquelbrin-cli: writing: 1.5 MB";
    if (shown) expected += writing + std::string(scanning.size() - writing.size(), ' ');
    EXPECT_EQ(out.str(), expected);

    // A message takes the line's place; the next step draws again at once.
    prompt.ShowMessageBox(L"No Physical Drive");
    if (shown) expected += Wipe(writing.size() - 1);
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(messages.messages.size(), 1u);
    progress.Written(2'000'000);
    if (shown) expected += "\rquelbrin-cli: writing: 2.0 MB";
    EXPECT_EQ(out.str(), expected);

    // A long name is cut to one row of a narrow terminal, never inside a character.
    clock.now += 200ms;
    progress.SetProgressText(std::wstring(64, L'x') + L"\u00e9\u00e9\u00e9\u00e9\u00e9");
    const std::string cut = "\rquelbrin-cli: " + std::string(64, 'x');
    if (shown) expected += cut;
    EXPECT_EQ(out.str(), expected);

    progress.Clear();
    progress.Clear();
    if (shown) expected += Wipe(cut.size() - 1);
    EXPECT_EQ(out.str(), expected) << "wiped once";
  }
}

// Takes `room` bytes, then no more, as a full disk does.
class FillingBuf : public std::streambuf {
 public:
  explicit FillingBuf(std::size_t room) : room_(room) {}
  std::string taken;

 protected:
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto put = static_cast<std::streamsize>(std::min<std::size_t>(static_cast<std::size_t>(n), room_ - taken.size()));
    taken.append(s, static_cast<std::size_t>(put));
    return put;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }

 private:
  std::size_t room_;
};

TEST(TerminalProgress, CountedOutputPassesEveryByteAndItsFailure) {
  FakeClock clock;
  std::ostringstream terminal;
  TerminalProgress progress(terminal, true, clock.Reader());
  clock.now += 1s;

  std::string expected;
  for (int i = 0; expected.size() < 100'000; ++i) expected += "line " + std::to_string(i) + "\n";
  std::ostringstream out;
  {
    CountedOutput counted(out, progress);
    for (std::size_t at = 0; at < expected.size(); at += 37) out << expected.substr(at, 37);
  }
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(terminal.str(), "\rquelbrin-cli: writing: 0.0 MB") << "drawn once: the clock stood still";
  out << "after";
  EXPECT_EQ(out.str(), expected + "after") << "the stream has its own buffer back";

  // A target that fills up fails the stream, as a full disk fails a file.
  FillingBuf full(50'000);
  std::ostream file(&full);
  {
    CountedOutput counted(file, progress);
    file << expected;
  }
  EXPECT_TRUE(file.fail());
  EXPECT_EQ(full.taken, expected.substr(0, 50'000));
}

}  // namespace
