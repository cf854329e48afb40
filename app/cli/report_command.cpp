#include "app/cli/report_command.h"

#include <iostream>
#include <optional>

#include "app/common/console_prompt.h"
#include "app/common/program_io.h"
#include "app/common/report_heading.h"
#include "app/common/terminal_progress.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/whole_file.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/text/html_report.h"

namespace {

// The scan's message boxes go to stderr as always, and into the page, which
// is read where no stderr is at hand.
class ReportPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring& text) override {
    console_.ShowMessageBox(text);
    messages.push_back(text);
  }
  void Diagnostic(const std::wstring& line) override { console_.Diagnostic(line); }
  std::vector<std::wstring> messages;

 private:
  ConsolePrompt console_;
};

bool WriteFile(const std::string& path, CQuelbrinDoc& doc, const ReportHeading& heading, TerminalProgress& progress) {
  std::string reason;
  const WholeFile written = WriteWholeFile(
      PathFromUtf8(path),
      [&](std::ostream& file) {
        CountedOutput counted(file, progress);
        WriteHtmlReport(doc, heading, file);
      },
      reason);
  progress.Clear();
  if (written == WholeFile::Written) return true;
  std::cerr << "quelbrin-cli: " << path << ": cannot write the report" << (reason.empty() ? "" : " (" + reason + ")")
            << "\n";
  return false;
}

}  // namespace

int ReportCommand(const SharedOptions& options, const std::optional<std::string>& outputFile) {
  machine::Machine m;
  std::string error;
  auto note = [](const std::string& line) { std::cerr << "quelbrin-cli: " << line << "\n"; };
  if (!LoadMachine(options.source, m, error, note)) {
    std::cerr << "quelbrin-cli: " << error << "\n";
    return 2;
  }
  ReportHeading heading = MakeReportHeading(options.source, m.description, options.allMountPoints);
  RecordedPlatform platform(std::move(m));
  ReportPrompt messages;
  TerminalProgress progress(std::cerr, StandardErrorIsTerminal());
  ProgressPrompt prompt(messages, progress);
  CQuelbrinDoc doc(platform, prompt, &progress);
  doc.SetShowAllMountPoints(options.allMountPoints);
  const bool scanned = doc.InitialScan();
  progress.Clear();
  heading.warnings = messages.messages;
  std::string stopped;
  if (!scanned) {
    stopped = !doc.MountPointManagerOpen()
                  ? std::string("the mount point manager cannot be opened")
                  : "the scan stopped with error " + std::to_string(doc.LastScanResult());
    heading.warnings.push_back(WideFromUtf8(stopped) + L"; what was scanned is shown");
  }

  if (!outputFile || *outputFile == "-") {
    {
      CountedStandardOutput counted(progress);
      WriteHtmlReport(doc, heading, std::cout);
    }
    progress.Clear();
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "quelbrin-cli: cannot write to standard output\n";
      return 1;
    }
  } else if (!WriteFile(*outputFile, doc, heading, progress)) {
    return 1;
  }
  if (scanned) return 0;
  std::cerr << "quelbrin-cli: " << stopped << "\n";
  return 1;
}
