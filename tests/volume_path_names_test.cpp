// "Volume Path Names": where each volume is mounted, asked of the platform by
// the volume's GUID path, which the scan finds through the "\??\Volume{...}"
// mount point that shares the volume's unique id.
#include <gtest/gtest.h>

#include "app/common/console_prompt.h"
#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"
#include "tests/support/allocation_limit.h"

namespace {

machine::Machine Workstation() {
  return LoadMachineFile(std::string(QUELBRIN_SOURCE_DIR) + "/samples/workstation.json");
}

const MountPointNode* Find(const CQuelbrinDoc& doc, const std::wstring& name) {
  for (const auto& mp : doc.Model().MountPoints()->children) {
    if (mp->symbolicLinkName == name) return mp.get();
  }
  return nullptr;
}

TEST(VolumePathNames, RecordedAnswersFollowTheWin32Contract) {
  RecordedPlatform platform(Workstation());
  const wchar_t* system = L"\\\\?\\Volume{3f1b2c4d-0000-0000-0000-100000000000}\\";
  wchar_t buffer[64];
  DWORD returned = 0;
  ASSERT_TRUE(platform.GetVolumePathNamesForVolumeNameW(system, buffer, 64, &returned));
  EXPECT_EQ(returned, 5u);  // "C:\" and two terminators
  EXPECT_EQ(std::wstring(buffer, 5), std::wstring(L"C:\\\0\0", 5));

  // Too small: how much is needed, and nothing claimed as written.
  returned = 0;
  EXPECT_FALSE(platform.GetVolumePathNamesForVolumeNameW(system, buffer, 4, &returned));
  EXPECT_EQ(platform.GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(returned, 5u);

  // A volume mounted nowhere: an empty list.
  ASSERT_TRUE(platform.GetVolumePathNamesForVolumeNameW(L"\\\\?\\Volume{3f1b2c4d-0000-0000-0000-501f00000000}\\",
                                                        buffer, 64, &returned));
  EXPECT_EQ(returned, 1u);
  EXPECT_EQ(buffer[0], L'\0');

  // Only volume GUID paths with the closing backslash name a volume.
  EXPECT_FALSE(platform.GetVolumePathNamesForVolumeNameW(L"\\\\?\\Volume{3f1b2c4d-0000-0000-0000-100000000000}",
                                                         buffer, 64, &returned));
  EXPECT_EQ(platform.GetLastError(), 123u);
  EXPECT_FALSE(platform.GetVolumePathNamesForVolumeNameW(L"C:\\", buffer, 64, &returned));
  EXPECT_EQ(platform.GetLastError(), 123u);
  EXPECT_FALSE(platform.GetVolumePathNamesForVolumeNameW(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\",
                                                         buffer, 64, &returned));
  EXPECT_EQ(platform.GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(VolumePathNames, TheScanFillsEachMountPointFromItsVolume) {
  RecordedPlatform platform(Workstation());
  ConsolePrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  doc.SetShowAllMountPoints(true);
  ASSERT_TRUE(doc.InitialScan());
  // The drive letter and the volume name of one volume list the same paths.
  EXPECT_EQ(Find(doc, L"\\DosDevices\\C:")->volumePathNames, std::vector<std::wstring>{L"C:\\"});
  EXPECT_EQ(Find(doc, L"\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}")->volumePathNames,
            std::vector<std::wstring>{L"C:\\"});
  EXPECT_EQ(Find(doc, L"\\DosDevices\\D:")->volumePathNames, std::vector<std::wstring>{L"D:\\"});
  // A volume the mount point manager lists under no volume name cannot be asked.
  EXPECT_TRUE(Find(doc, L"\\DosDevices\\F:")->volumePathNames.empty());
  EXPECT_TRUE(Find(doc, L"\\??\\Volume{3f1b2c4d-0000-0000-0000-501f00000000}")->volumePathNames.empty());
}

// One volume with `count` mount paths, mounted as C: and under `links` volume names.
machine::Machine ManyPaths(std::size_t count, const std::string& fail = "", std::size_t links = 1) {
  std::string paths;
  for (std::size_t i = 0; i < count; ++i) paths += std::string(i ? "," : "") + "\"/srv/mount/number/" + std::to_string(i) + "\"";
  std::string volume = R"({"id": "v", "extents": [{"disk": 0, "offset": 0, "length": 1048576}], "mountPaths": [)" +
                       paths + "]";
  if (!fail.empty()) volume += R"(, "fail": {")" + fail + R"(": 5})";
  volume += "}";
  std::string mountPoints = R"({"name": "\\DosDevices\\C:", "volume": "v"})";
  for (std::size_t i = 1; i <= links; ++i) {
    const std::string number = std::to_string(i);
    mountPoints += R"(, {"name": "\\??\\Volume{12345678-0000-0000-0000-)" + std::string(12 - number.size(), '0') +
                   number + R"(}", "volume": "v"})";
  }
  return ParseMachine(R"({"format": "quelbrin-machine", "version": 1,
    "drives": [{"number": 0, "size": 1048576}],
    "volumes": [)" + volume + R"(],
    "mountPoints": [)" + mountPoints + "]}",
                      "inline");
}

TEST(VolumePathNames, LongListsGrowTheBufferAndFailuresLeaveItEmpty) {
  {
    RecordedPlatform platform(ManyPaths(200));  // far beyond the first buffer
    ConsolePrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    ASSERT_TRUE(doc.InitialScan());
    const auto& names = Find(doc, L"\\DosDevices\\C:")->volumePathNames;
    ASSERT_EQ(names.size(), 200u);
    EXPECT_EQ(names[199], L"/srv/mount/number/199");
  }
  {
    RecordedPlatform platform(ManyPaths(2, "GetVolumePathNamesForVolumeNameW"));
    ConsolePrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    ASSERT_TRUE(doc.InitialScan());
    const MountPointNode* c = Find(doc, L"\\DosDevices\\C:");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->volumePathNames.empty());
  }
}

TEST(VolumePathNames, MountPointsOfOneVolumeShareOneListAskedOnce) {
  // Each mount point lists every path of its volume: copied per mount point,
  // a volume mounted thousands of times would take gigabytes.
  auto scan = [](std::size_t links, auto check) {
    RecordedPlatform platform(ManyPaths(300, "", links));
    platform.KeepCallRecords();
    ConsolePrompt prompt;
    CQuelbrinDoc doc(platform, prompt, nullptr);
    doc.SetShowAllMountPoints(true);
    EXPECT_TRUE(doc.InitialScan());
    check(doc.Model().MountPoints()->children);
    return platform.requestCounts().at("GetVolumePathNamesForVolumeNameW");
  };
  const unsigned asked = scan(300, [](const auto& mountPoints) {
    ASSERT_EQ(mountPoints.size(), 301u);
    std::size_t listing = 0, sharing = 0;
    for (const auto& mp : mountPoints) {
      listing += mp->volumePathNames.size() == 300;
      sharing += mp->volumePathNames.SharesNamesWith(mountPoints.front()->volumePathNames);
    }
    EXPECT_EQ(listing, 301u);
    EXPECT_EQ(sharing, 301u);
  });
  // As often as for a volume with one name: once, and again with more room.
  EXPECT_EQ(asked, scan(1, [](const auto&) {}));
}

// A platform whose answer has no terminators and claims more than it wrote.
class UnterminatedPathNames : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR, LPWSTR names, DWORD size, LPDWORD returned) override {
    for (DWORD i = 0; i < size; ++i) names[i] = L'x';
    *returned = size + 1000;
    return TRUE;
  }
};

TEST(VolumePathNames, AnAnswerIsReadNoFurtherThanTheBuffer) {
  UnterminatedPathNames platform(ManyPaths(1));
  ConsolePrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  ASSERT_TRUE(doc.InitialScan());
  const auto& names = Find(doc, L"\\DosDevices\\C:")->volumePathNames;
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], std::wstring(256, L'x'));
}

// A platform that always says it needs the most room the scan believes.
class HugePathNames : public RecordedPlatform {
 public:
  using RecordedPlatform::RecordedPlatform;
  BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR, LPWSTR, DWORD, LPDWORD returned) override {
    *returned = 1u << 20;
    return Fail(ERROR_MORE_DATA);
  }
};

TEST(VolumePathNames, RoomThatCannotBeHadEndsTheNamesNotTheScan) {
  HugePathNames platform(ManyPaths(1));
  ConsolePrompt prompt;
  CQuelbrinDoc doc(platform, prompt, nullptr);
  bool scanned = false;
  {
    // The buffer of a million characters is more than this machine has.
    AllocationLimit limit(1u << 20);
    scanned = doc.InitialScan();
  }
  ASSERT_TRUE(scanned);
  const MountPointNode* c = Find(doc, L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->volumePathNames.empty());
  EXPECT_FALSE(c->extents.empty()) << "the rest of the mount point is still read";
}

}  // namespace
