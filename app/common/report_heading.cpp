#include "app/common/report_heading.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/wide_text.h"

namespace {

std::wstring FormatTime(std::time_t t, bool utc) {
  std::tm parts{};
  if (utc ? gmtime_r(&t, &parts) == nullptr : localtime_r(&t, &parts) == nullptr) return L"unknown";
  char text[64];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &parts) == 0) return L"unknown";
  return WideFromUtf8(text);
}

}  // namespace

std::wstring ReportTime() {
  if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long seconds = std::strtoll(fixed, &end, 10);
    if (end != fixed && *end == '\0' && seconds >= 0) return FormatTime(static_cast<std::time_t>(seconds), true);
  }
  return FormatTime(std::time(nullptr), false);
}

std::wstring MachineName(const MachineSource& source) {
  if (source.machineFile) return WideFromUtf8(std::filesystem::path(*source.machineFile).filename().string());
  std::ifstream file(std::filesystem::path(source.systemRoot) / "proc/sys/kernel/hostname");
  std::string name;
  std::getline(file, name);
  return name.empty() ? L"this machine" : WideFromUtf8(name);
}

ReportHeading MakeReportHeading(const MachineSource& source, const std::string& description, bool allMountPoints) {
  ReportHeading heading;
  const std::wstring now = ReportTime();
  heading.machine = MachineName(source);
  if (source.machineFile)
    heading.facts.push_back({L"Machine file", WideFromUtf8(std::filesystem::path(*source.machineFile).string())});
  else
    heading.facts.push_back({L"Captured", now});
  if (!description.empty()) heading.facts.push_back({L"Description", WideFromUtf8(description)});
  heading.facts.push_back({L"Mount points", allMountPoints ? L"all, also those named by a volume name"
                                                           : L"drive letters only (--all-mount-points shows all)"});
  heading.facts.push_back({L"Report made", now});
  return heading;
}
