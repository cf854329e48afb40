#include "app/common/report_heading.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/wide_text.h"

namespace {

bool BreakDown(std::time_t t, bool utc, std::tm& parts) {
#ifdef _WIN32
  return (utc ? gmtime_s(&parts, &t) : localtime_s(&parts, &t)) == 0;
#else
  return (utc ? gmtime_r(&t, &parts) : localtime_r(&t, &parts)) != nullptr;
#endif
}

// "+hhmm" worked out from the two broken-down times, since strftime's %z
// gives a zone name rather than an offset on some systems.
std::string UtcOffset(const std::tm& local, const std::tm& utc) {
  const int days = local.tm_year != utc.tm_year ? (local.tm_year > utc.tm_year ? 1 : -1) : local.tm_yday - utc.tm_yday;
  const int minutes = days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const int magnitude = minutes < 0 ? -minutes : minutes;
  char text[8];
  std::snprintf(text, sizeof text, "%c%02d%02d", minutes < 0 ? '-' : '+', magnitude / 60 % 100, magnitude % 60);
  return text;
}

std::wstring FormatTime(std::time_t t, bool utc) {
  std::tm parts{};
  std::tm universal{};
  if (!BreakDown(t, utc, parts) || !BreakDown(t, true, universal)) return L"unknown";
  char text[64];
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S ", &parts) == 0) return L"unknown";
  return WideFromUtf8(text + UtcOffset(parts, universal));
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
  if (source.machineFile) return WideFromUtf8(Utf8FromPath(PathFromUtf8(*source.machineFile).filename()));
  const std::string name = LiveMachineName(source);
  return name.empty() ? L"this machine" : WideFromUtf8(name);
}

ReportHeading MakeReportHeading(const MachineSource& source, const std::string& description, bool allMountPoints) {
  ReportHeading heading;
  const std::wstring now = ReportTime();
  heading.machine = MachineName(source);
  if (source.machineFile)
    heading.facts.push_back({L"Machine file", WideFromUtf8(*source.machineFile)});
  else
    heading.facts.push_back({L"Captured", now});
  if (!description.empty()) heading.facts.push_back({L"Description", WideFromUtf8(description)});
  heading.facts.push_back({L"Mount points", allMountPoints ? L"all, also those named by a volume name"
                                                           : L"drive letters only (--all-mount-points shows all)"});
  heading.facts.push_back({L"Report made", now});
  return heading;
}
