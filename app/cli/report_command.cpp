#include "app/cli/report_command.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/common/console_prompt.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/text/html_report.h"

namespace {

// The scan's message boxes go to stderr as always, and into the page, which
// is read where no stderr is at hand.
class ReportPrompt : public Prompt {
 public:
  void MessageBox(const std::wstring& text) override {
    console_.MessageBox(text);
    messages.push_back(text);
  }
  void Diagnostic(const std::wstring& line) override { console_.Diagnostic(line); }
  std::vector<std::wstring> messages;

 private:
  ConsolePrompt console_;
};

std::wstring FormatTime(std::time_t t, bool utc) {
  std::tm parts{};
  if (utc ? gmtime_r(&t, &parts) == nullptr : localtime_r(&t, &parts) == nullptr) return L"unknown";
  char text[64];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &parts) == 0) return L"unknown";
  return WideFromUtf8(text);
}

// Now, or the time SOURCE_DATE_EPOCH gives, in UTC, so that a page can be
// made again byte for byte.
std::wstring ReportTime() {
  if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long seconds = std::strtoll(fixed, &end, 10);
    if (end != fixed && *end == '\0' && seconds >= 0) return FormatTime(static_cast<std::time_t>(seconds), true);
  }
  return FormatTime(std::time(nullptr), false);
}

std::wstring HostName(const std::string& systemRoot) {
  std::ifstream file(std::filesystem::path(systemRoot) / "proc/sys/kernel/hostname");
  std::string name;
  std::getline(file, name);
  return name.empty() ? L"this machine" : WideFromUtf8(name);
}

ReportHeading Heading(const SharedOptions& options, const machine::Machine& m) {
  ReportHeading heading;
  const std::wstring now = ReportTime();
  if (options.source.machineFile) {
    const std::filesystem::path file(*options.source.machineFile);
    heading.machine = WideFromUtf8(file.filename().string());
    heading.facts.push_back({L"Machine file", WideFromUtf8(file.string())});
  } else {
    heading.machine = HostName(options.source.systemRoot);
    heading.facts.push_back({L"Captured", now});
  }
  if (!m.description.empty()) heading.facts.push_back({L"Description", WideFromUtf8(m.description)});
  heading.facts.push_back({L"Mount points", options.allMountPoints
                                                ? L"all, also those named by a volume name"
                                                : L"drive letters only (--all-mount-points shows all)"});
  heading.facts.push_back({L"Report made", now});
  return heading;
}

bool WriteFile(const std::string& path, CQuelbrinDoc& doc, const ReportHeading& heading) {
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
      WriteHtmlReport(doc, heading, file);
      file.close();
      if (file) return true;
    }
  }
  std::cerr << "quelbrin-cli: " << path << ": cannot write the report\n";
  // Half a page must not pass for the whole machine.
  std::error_code ignored;
  if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
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
  ReportHeading heading = Heading(options, m);
  RecordedPlatform platform(std::move(m));
  ReportPrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.SetShowAllMountPoints(options.allMountPoints);
  const bool scanned = doc.InitialScan();
  heading.warnings = prompt.messages;
  std::string stopped;
  if (!scanned) {
    stopped = !doc.MountPointManagerOpen()
                  ? std::string("the mount point manager cannot be opened")
                  : "the scan stopped with error " + std::to_string(doc.LastScanResult());
    heading.warnings.push_back(WideFromUtf8(stopped) + L"; what was scanned is shown");
  }

  if (!outputFile || *outputFile == "-") {
    WriteHtmlReport(doc, heading, std::cout);
    std::cout.flush();
    if (!std::cout) return 1;
  } else if (!WriteFile(*outputFile, doc, heading)) {
    return 1;
  }
  if (scanned) return 0;
  std::cerr << "quelbrin-cli: " << stopped << "\n";
  return 1;
}
