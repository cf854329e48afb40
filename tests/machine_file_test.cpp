// Machine files: what a broken file is told, and the defaults a short file gets.
#include <gtest/gtest.h>

#include <optional>

#include "platform/machine/machine_file.h"
#include "platform/machine/machine_file_parts.h"
#include "platform/machine/machine_writer.h"
#include "platform/recorded/path_table.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/recorded/storage_answers.h"
#include "tests/support/scan_harness.h"

namespace {

// The error that reading `text` as "bad.json" gives; empty when it reads.
std::string ErrorOf(const std::string& text) {
  try {
    ParseMachine(text, "bad.json");
  } catch (const MachineFileError& e) {
    return e.what();
  }
  return {};
}

const char* kDrives = R"("drives": [{"number": 0, "size": 1000000,
                                     "layout": {"partitions": [{"number": 1, "offset": 1024, "length": 4096}]}}])";

struct BadFile {
  const char* what;
  std::string text;
  std::vector<std::string> mentions;
};

}  // namespace

TEST(MachineFileErrors, NameTheFileTheFieldAndWhatWasExpected) {
  const std::string drives = kDrives;
  const std::vector<BadFile> cases = {
      {"not JSON", "{\n  \"format\": \"quelbrin-machine\",\n  \"version\": 1,,\n}", {"bad.json:3:16: not valid JSON"}},
      {"top level not an object", "[1, 2]", {"bad.json: top level: expected a machine description object", "array"}},
      {"no format", R"({"version": 1})", {"bad.json: top level: missing required field \"format\""}},
      {"other format", R"({"format": "other", "version": 1})", {"bad.json: format: expected \"quelbrin-machine\""}},
      {"no version", R"({"format": "quelbrin-machine"})", {"bad.json: top level: missing required field \"version\""}},
      {"version 2", R"({"format": "quelbrin-machine", "version": 2})",
       {"bad.json: version: expected version 1", "found number 2"}},
      {"unknown field", MachineJson(drives + R"(, "volumes": [{"id": "v", "lable": "x"}])"),
       {"bad.json: volumes[0]: unknown field \"lable\"", "known fields: id, paths, label"}},
      {"negative number", MachineJson(R"("drives": [{"number": -1, "size": 1}])"),
       {"bad.json: drives[0].number: expected an unsigned 32-bit number", "found number -1"}},
      {"too large for 32 bits", MachineJson(R"("drives": [{"number": 4294967296, "size": 1}])"),
       {"bad.json: drives[0].number: expected an unsigned 32-bit number"}},
      {"bad hex number",
       MachineJson(R"("drives": [{"number": 0, "size": 1}, {"number": 1, "size": 1,
                     "layout": {"partitions": [{"number": 1, "offset": "0x1g", "length": 1}]}}])"),
       {"bad.json: drives[1].layout.partitions[0].offset: expected an unsigned 64-bit number", "\"0x1g\""}},
      {"bad GUID", MachineJson(R"("drives": [{"number": 0, "size": 1, "layout": {"style": "gpt", "diskId": "{1234}"}}])"),
       {"bad.json: drives[0].layout.diskId: expected a GUID"}},
      {"bad hex bytes",
       MachineJson(drives + R"(, "volumes": [{"id": "v"}],
                   "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "v", "uniqueId": {"hex": "0a 1"}}])"),
       {"bad.json: mountPoints[0].uniqueId.hex: expected a string of hexadecimal byte pairs"}},
      {"unknown volume", MachineJson(R"("mountPoints": [{"name": "\\DosDevices\\C:", "volume": "nowhere"}])"),
       {"bad.json: mountPoints[0].volume: expected the id of a volume listed under \"volumes\"", "nowhere"}},
      {"partition on a missing drive", MachineJson(drives + R"(, "volumes": [{"id": "v", "partition": {"disk": 7, "number": 1}}])"),
       {"bad.json: volumes[0].partition.disk: expected the number of a drive listed under \"drives\""}},
      {"missing partition number", MachineJson(drives + R"(, "volumes": [{"id": "v", "partition": {"disk": 0, "number": 2}}])"),
       {"bad.json: volumes[0].partition.number: expected the number of a partition in that drive's layout"}},
      {"reference to entry 0, which is no partition",
       MachineJson(R"("drives": [{"number": 0, "size": 1, "layout": {"partitions": [{"number": 0, "offset": 0, "length": 1}]}}],
                      "volumes": [{"id": "v", "partition": {"disk": 0, "number": 0}}])"),
       {"bad.json: volumes[0].partition.number: expected the number of a partition in that drive's layout"}},
      {"extent on a missing drive",
       MachineJson(drives + R"(, "volumes": [{"id": "v", "extents": [{"disk": 3, "offset": 0, "length": 1}]}])"),
       {"bad.json: volumes[0].extents[0].disk: expected the number of a drive listed under \"drives\""}},
      {"duplicate drive", MachineJson(R"("drives": [{"number": 0, "size": 1}, {"number": 0, "size": 2}])"),
       {"bad.json: drives[1].number: expected a drive number not used before"}},
      {"duplicate volume", MachineJson(drives + R"(, "volumes": [{"id": "v"}, {"id": "v"}])"),
       {"bad.json: volumes[1].id: expected a volume id not used before"}},
      {"request the object does not answer",
       MachineJson(drives + R"(, "volumes": [{"id": "v", "fail": {"IOCTL_DISK_GET_DRIVE_LAYOUT_EX": 1}}])"),
       {"bad.json: volumes[0].fail.IOCTL_DISK_GET_DRIVE_LAYOUT_EX: \"IOCTL_DISK_GET_DRIVE_LAYOUT_EX\" is not a request "
        "of this object",
        "GetVolumeInformationW"}},
      {"raw answer for a call that is not a control request",
       MachineJson(drives + R"(, "volumes": [{"id": "v", "raw": {"GetVolumeInformationW": "00"}}])"),
       {"bad.json: volumes[0].raw.GetVolumeInformationW: a raw answer can only be given for an IOCTL request"}},
      {"zero error code", MachineJson(R"("drives": [{"number": 0, "size": 1, "fail": {"open": 0}}])"),
       {"bad.json: drives[0].fail.open: expected a non-zero error code"}},
      {"drive without size or geometry", MachineJson(R"("drives": [{"number": 0}])"),
       {"bad.json: drives[0]: expected a drive with \"size\" or \"geometry\""}},
      {"GPT name too long",
       MachineJson(R"("drives": [{"number": 0, "size": 1, "layout": {"style": "gpt", "partitions": [
                     {"number": 1, "offset": 0, "length": 1, "name": "0123456789012345678901234567890123456"}]}}])"),
       {"bad.json: drives[0].layout.partitions[0].name: expected a name of at most 36 characters"}},
      {"mount point name too long",
       MachineJson(drives + R"(, "volumes": [{"id": "v"}], "mountPoints": [{"name": ")" + std::string(40000, 'x') +
                   R"(", "volume": "v"}])"),
       {"bad.json: mountPoints[0].name: longer than the 65535 bytes"}},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = ErrorOf(c.text);
    ASSERT_FALSE(error.empty());
    for (const std::string& m : c.mentions) EXPECT_NE(error.find(m), std::string::npos) << error;
  }
}

// What reading `text` gives: the machine written back, or the error.
template <class Read>
std::string OutcomeOf(Read read) {
  try {
    return WriteMachine(read());
  } catch (const MachineFileError& e) {
    return std::string("error: ") + e.what();
  }
}

// The quick parser reads most files; where it would read a file otherwise than
// the library's document, or take one that the document refuses, it must
// leave the file to the full reader.
TEST(MachineFileReaders, QuickReaderTakesOnlyWhatTheFullReaderReadsAlike) {
  const std::string drive = R"({"number": 0, "size": 1000, "layout": {"partitions": []}})";
  struct Case {
    const char* what;
    std::string text;
    bool quick;  // whether the quick reader takes it
  } cases[] = {
      {"a plain file", MachineJson(R"("drives": [)" + drive + "]"), true},
      {"members in any order, escapes, text beyond ASCII",
       MachineJson(R"("volumes": [{"label": "D\u00e9j\u00e0 \"vu\"\t", "id": "v", "paths": ["\\\\.\\Vol\u00e9"]}],
                      "drives": [)" + drive + "]"), true},
      {"every field of a partition, in the reverse of the order it is read",
       MachineJson(R"("drives": [{"layout": {"partitions": [{"name": "n", "attributes": 5,
           "id": "{00000000-0000-0000-0000-000000000002}", "typeGuid": "{00000000-0000-0000-0000-000000000001}",
           "hiddenSectors": 4, "recognized": false, "boot": true, "type": 12, "service": true, "rewrite": true,
           "length": 3, "offset": 2, "number": 1, "style": "gpt"}], "style": "gpt"}, "size": 1000, "number": 0}])"),
       true},
      {"text beyond ASCII written as it is", MachineJson("\"description\": \"D\xC3\xA9j\xC3\xA0 \xF0\x9F\x92\xBE\""), true},
      {"a name twice in one object", MachineJson(R"("drives": [{"number": 0, "size": 1, "size": 2}])"), false},
      {"a name twice among many", MachineJson(R"("volumes": [{"id": "v", "fail": {"open": 1, "open": 2, "a": 3,
          "b": 4, "c": 5, "d": 6, "e": 7, "f": 8, "g": 9, "h": 10, "i": 11, "j": 12, "k": 13, "l": 14, "m": 15,
          "n": 16, "o": 17}}])"), false},
      {"minus zero", MachineJson(R"("drives": [{"number": -0, "size": 1}])"), false},
      {"a negative number", MachineJson(R"("drives": [{"number": -1, "size": 1}])"), false},
      {"a number past 64 bits", MachineJson(R"("drives": [{"number": 0, "size": 18446744073709551616}])"), false},
      {"a fraction", MachineJson(R"("drives": [{"number": 0, "size": 1.0}])"), false},
      {"a low surrogate alone", MachineJson(R"("description": "\udc00")"), false},
      {"surrogate pairs, and letters on either side of the surrogates",
       MachineJson(R"("volumes": [{"id": "v", "label": "\ud83d\ude00\uD83D\uDE00 \ud7ff\ue000 \u00e9"}])"), true},
      {"a low surrogate after an escaped backslash", MachineJson(R"("volumes": [{"id": "v", "label": "\\\udc00"}])"),
       false},
      {"a low surrogate alone in a name", MachineJson(R"("volumes": [{"id": "v", "\udfff": 1}])"), false},
      {"a high surrogate with no low one after it", MachineJson(R"("volumes": [{"id": "v", "label": "\ud83dx"}])"),
       false},
      {"a byte order mark", "\xEF\xBB\xBF" + MachineJson(R"("drives": [)" + drive + "]"), false},
      {"bytes that are no UTF-8", MachineJson("\"description\": \"\xC0\xAF\""), false},
      {"nesting past the limit",
       MachineJson(R"("description": )" + std::string(120, '[') + std::string(120, ']')), false},
      {"a second document after the first", MachineJson(R"("description": "x")") + " {}", false},
      {"a NUL byte after the document", MachineJson(R"("description": "x")") + std::string("\0 {}", 4), false},
      {"a text cut after the first byte of a UTF-8 sequence", "{\"description\": \"x\xF2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string full = OutcomeOf([&c] {
      const nlohmann::json document = ParseJsonText(c.text, "f.json");
      return machine::ReadMachineDocument(JsonField(document, "", "f.json"));
    });
    EXPECT_EQ(OutcomeOf([&c] { return ParseMachine(c.text, "f.json"); }), full);
    EXPECT_EQ(machine::ReadMachineQuickly(c.text, "f.json").has_value(), c.quick) << full;
  }
}

TEST(MachineFileErrors, MissingFileIsNamed) {
  try {
    LoadMachineFile("/nonexistent/machine.json");
    FAIL() << "a missing file was read";
  } catch (const MachineFileError& e) {
    EXPECT_EQ(std::string(e.what()), "/nonexistent/machine.json: cannot open the machine file");
  }
}

TEST(MachineFileDefaults, AShortDescriptionIsCompletedAsThePlatformWould) {
  const machine::Machine m = ParseMachine(MachineJson(R"(
    "drives": [{"number": 0, "size": 8225280000,
                "layout": {"signature": "0x1a2b3c4d",
                           "partitions": [{"number": 1, "offset": 1048576, "length": 4096},
                                          {"number": 1, "offset": 9999, "length": 1}]}},
               {"number": 1, "geometry": {"cylinders": 10}},
               {"number": 2, "size": 1000, "layout": {"style": "gpt", "partitions": [
                  {"number": 1, "offset": 17408, "length": 512, "id": "{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"}]}}],
    "volumes": [{"id": "mbr", "totalFreeBytes": 10, "partition": {"disk": 0, "number": 1}},
                {"id": "gpt", "partition": {"disk": 2, "number": 1}},
                {"id": "bare"}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "mbr"},
                    {"name": "\\DosDevices\\G:", "volume": "gpt"},
                    {"name": "\\DosDevices\\B:", "volume": "bare"}])"),
                                          "short.json");
  // A drive given by size gets the platform's synthetic geometry; one given by
  // geometry gets the size the geometry spans.
  EXPECT_EQ(m.drives[0].geometry.Cylinders.QuadPart, 1000);
  EXPECT_EQ(m.drives[0].geometry.TracksPerCylinder, 255u);
  EXPECT_EQ(m.drives[0].geometry.SectorsPerTrack, 63u);
  EXPECT_EQ(m.drives[0].geometry.BytesPerSector, 512u);
  EXPECT_EQ(m.drives[0].geometry.MediaType, FixedMedia);
  EXPECT_EQ(m.drives[1].size, 10ull * 255 * 63 * 512);
  EXPECT_EQ(m.drives[2].layout.maxPartitionCount, 128u);
  // MBR partitions default to type 0x07 and "recognized"; GPT ones to type 0.
  EXPECT_EQ(m.drives[0].layout.partitions[0].type, 0x07);
  EXPECT_TRUE(m.drives[0].layout.partitions[0].recognized);
  EXPECT_EQ(m.drives[2].layout.partitions[0].type, 0);

  // A partition reference takes the first entry with that number, and gives
  // the volume one extent over it.
  const machine::Volume& mbr = m.volumes[0];
  ASSERT_TRUE(mbr.partition);
  EXPECT_EQ(mbr.partition->offset, 1048576u);
  ASSERT_EQ(mbr.extents.size(), 1u);
  EXPECT_EQ(mbr.extents[0].disk, 0u);
  EXPECT_EQ(mbr.extents[0].offset, 1048576u);
  EXPECT_EQ(mbr.extents[0].length, 4096u);
  EXPECT_EQ(mbr.totalBytes, 4096u);
  EXPECT_EQ(mbr.freeBytesAvailable, 10u);
  EXPECT_EQ(mbr.maxComponentLength, 255u);
  EXPECT_FALSE(m.volumes[2].partition);
  EXPECT_TRUE(m.volumes[2].extents.empty());

  // Device names count the volumes from 1; unique ids follow the partition.
  EXPECT_EQ(m.mountPoints[0].deviceName, L"\\Device\\HarddiskVolume1");
  EXPECT_EQ(m.mountPoints[2].deviceName, L"\\Device\\HarddiskVolume3");
  EXPECT_EQ(m.mountPoints[0].uniqueId,
            (std::vector<BYTE>{0x4d, 0x3c, 0x2b, 0x1a, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00}));
  const std::vector<BYTE>& gptId = m.mountPoints[1].uniqueId;
  ASSERT_EQ(gptId.size(), 24u);
  EXPECT_EQ(std::string(gptId.begin(), gptId.begin() + 8), "DMIO:ID:");
  EXPECT_EQ(gptId[8], 0x3c);
  const std::vector<BYTE>& bareId = m.mountPoints[2].uniqueId;
  ASSERT_GE(bareId.size(), 2u);
  EXPECT_EQ(bareId[0], '\\');
  EXPECT_EQ(bareId[1], 0);
}

TEST(RecordedAnswers, ShortBuffersFailAsThePlatformDoes) {
  RecordedPlatform p(ParseMachine(MachineJson(std::string(kDrives) + R"(,
    "volumes": [{"id": "v", "partition": {"disk": 0, "number": 1}, "label": "Twelve chars"}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "v"}])"),
                                  "short.json"));
  HANDLE manager = p.CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr);
  HANDLE volume = p.CreateFileW(L"\\\\.\\c:", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE drive = p.CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(volume, INVALID_HANDLE_VALUE) << "paths are matched without regard to case";
  ASSERT_NE(drive, INVALID_HANDLE_VALUE);
  EXPECT_EQ(p.CreateFileW(L"\\\\.\\PhysicalDrive9", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(p.GetLastError(), ERROR_FILE_NOT_FOUND);

  BYTE buffer[64] = {};
  DWORD returned = 0;
  // The mount point list: ERROR_MORE_DATA with the size it needs.
  MOUNTMGR_MOUNT_POINT input{};
  EXPECT_FALSE(p.DeviceIoControl(manager, IOCTL_MOUNTMGR_QUERY_POINTS, &input, sizeof input, buffer, 40, &returned,
                                 nullptr));
  EXPECT_EQ(p.GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(returned, 8u);
  ULONG needed = 0;
  std::memcpy(&needed, buffer, 4);
  EXPECT_GT(needed, 40u);
  // The drive layout: ERROR_INSUFFICIENT_BUFFER.
  EXPECT_FALSE(p.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer, sizeof buffer, &returned,
                                 nullptr));
  EXPECT_EQ(p.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  // A record shorter than its size: ERROR_INSUFFICIENT_BUFFER.
  EXPECT_FALSE(p.DeviceIoControl(volume, IOCTL_DISK_GET_PARTITION_INFO_EX, nullptr, 0, buffer, sizeof buffer, &returned,
                                 nullptr));
  EXPECT_EQ(p.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  // A request the object does not answer.
  EXPECT_FALSE(p.DeviceIoControl(volume, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer, sizeof buffer, &returned,
                                 nullptr));
  EXPECT_EQ(p.GetLastError(), ERROR_INVALID_FUNCTION);
  // A label longer than the caller's buffer.
  wchar_t label[8] = {};
  EXPECT_FALSE(p.GetVolumeInformationW(L"\\\\.\\C:\\", label, 8, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(p.GetLastError(), 24u);
  EXPECT_TRUE(p.CloseHandle(drive));
  EXPECT_FALSE(p.CloseHandle(drive));
  EXPECT_EQ(p.GetLastError(), ERROR_INVALID_HANDLE);
  p.CloseHandle(volume);
  p.CloseHandle(manager);
  EXPECT_EQ(p.OpenHandleCount(), 0u);
}

TEST(RecordedAnswers, FirstObjectToNameAPathKeepsIt) {
  RecordedPlatform p(ParseMachine(MachineJson(std::string(kDrives) + R"(,
    "volumes": [{"id": "a", "label": "A", "paths": ["\\\\.\\MountPointManager", "\\\\.\\PhysicalDrive0", "\\\\.\\X:"]},
                {"id": "b", "label": "B", "paths": ["\\\\.\\x:"]}],
    "mountPoints": [{"name": "\\DosDevices\\X:", "volume": "b"}])"),
                                  "paths.json"));
  HANDLE manager = p.CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr);
  BYTE buffer[4096] = {};
  DWORD returned = 0;
  MOUNTMGR_MOUNT_POINT input{};
  EXPECT_TRUE(p.DeviceIoControl(manager, IOCTL_MOUNTMGR_QUERY_POINTS, &input, sizeof input, buffer, sizeof buffer,
                                &returned, nullptr));
  HANDLE drive = p.CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(p.DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, buffer, sizeof buffer, &returned,
                                nullptr));
  wchar_t label[256] = {};
  ASSERT_TRUE(p.GetVolumeInformationW(L"\\\\.\\X:\\", label, 256, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(std::wstring(label), L"A");
  p.CloseHandle(drive);
  p.CloseHandle(manager);
}

TEST(RecordedAnswers, PathTableFoldsCaseOnlyAndKeepsEveryPathApart) {
  PathTable<int> table;
  // No room given: the table grows as paths come, and keeps finding the early ones.
  for (int i = 0; i < 5000; ++i) table.Insert(L"\\\\.\\PhysicalDrive" + std::to_wstring(i), i, false);
  table.Insert(L"\\\\.\\physicaldrive7", -1, false);
  table.Insert(L"\\\\.\\PHYSICALDRIVE8", -2, true);
  table.Insert(L"\\\\.\\Caf\u00e9", 10, false);
  table.Insert(L"\\\\.\\\u00ff", 11, false);
  table.Insert(L"\\\\.\\\u00ff\u0001", 12, false);
  table.Insert(L"", 13, false);
  // A path asked for before it was added is found once it is.
  EXPECT_EQ(table.Find(L"\\\\.\\Late"), nullptr);
  table.Insert(L"\\\\.\\LATE", 14, false);
  const int* late = table.Find(L"\\\\.\\Late");
  EXPECT_TRUE(late != nullptr && *late == 14);
  struct Case {
    std::wstring path;
    std::optional<int> value;
  };
  const Case cases[] = {
      {L"\\\\.\\PhysicalDrive0", 0},
      {L"\\\\.\\physicalDRIVE4999", 4999},
      {L"\\\\.\\PhysicalDrive7", 7},   // the first keeps a path
      {L"\\\\.\\PhysicalDrive8", -2},  // unless told to replace it
      {L"\\\\.\\PhysicalDrive5000", std::nullopt},
      {L"\\\\.\\PhysicalDrive", std::nullopt},
      {L"\\\\.\\caf\u00e9", 10},
      {L"\\\\.\\cafe", std::nullopt},
      {L"\\\\.\\\u00ff", 11},
      {L"\\\\.\\\u00ff\u0001", 12},
      {L"\\\\.\\\u007f", std::nullopt},
      {L"", 13},
  };
  for (const Case& c : cases) {
    const int* found = table.Find(c.path);
    EXPECT_EQ(found ? std::optional<int>(*found) : std::nullopt, c.value) << testing::PrintToString(c.path);
  }
}
