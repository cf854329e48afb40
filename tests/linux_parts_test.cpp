// The pieces of the Linux collector where faults hide: reading system files
// that may be missing or odd, ordering kernel names, device-mapper tables,
// volume naming, and the rule that nothing is opened but through the one
// read-only door.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/block_devices.h"
#include "platform/linux/device_mapper.h"
#include "platform/linux/system_files.h"
#include "platform/linux/udev_database.h"
#include "platform/linux/volume_identity.h"
#include "platform/wide_text.h"

namespace {

namespace fs = std::filesystem;

class TempRoot {
 public:
  TempRoot() {
    char pattern[] = "/tmp/quelbrin-files-XXXXXX";
    path = ::mkdtemp(pattern);
  }
  ~TempRoot() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  void Write(const std::string& relative, const std::string& text) const {
    fs::create_directories(fs::path(path + relative).parent_path());
    std::ofstream(path + relative) << text;
  }
  std::string path;
};

TEST(SystemFiles, MissingOrOddAttributesAreNotKnown) {
  TempRoot root;
  root.Write("/sys/block/sda/size", "976773168\n");
  root.Write("/sys/block/sda/ro", "0");
  root.Write("/sys/block/sda/bad", "12abc\n");
  root.Write("/sys/block/sda/empty", "");
  root.Write("/sys/block/sda/model", "Samsung SSD 860   \nsecond line\n");
  linuxsys::SystemFiles files(root.path + "/");

  EXPECT_EQ(files.ReadNumber("/sys/block/sda/size"), 976773168u);
  EXPECT_EQ(files.ReadNumber("/sys/block/sda/ro"), 0u);
  EXPECT_FALSE(files.ReadNumber("/sys/block/sda/bad"));
  EXPECT_FALSE(files.ReadNumber("/sys/block/sda/empty"));
  EXPECT_FALSE(files.ReadNumber("/sys/block/sda/missing"));
  EXPECT_EQ(files.ReadAttribute("/sys/block/sda/model"), "Samsung SSD 860");
  EXPECT_FALSE(files.ReadAttribute("/sys/block/sdz/model"));
  EXPECT_TRUE(files.List("/sys/block/nothing").empty());
  EXPECT_EQ(files.List("/sys/block/sda").size(), 5u);
  EXPECT_EQ(files.PathOf("/sys/block"), root.path + "/sys/block");
  EXPECT_EQ(linuxsys::SystemFiles("/").PathOf("/sys/block"), "/sys/block");
}

TEST(SystemFiles, AFifoInPlaceOfAnAttributeDoesNotHang) {
  TempRoot root;
  fs::create_directories(root.path + "/sys/block/sda");
  ASSERT_EQ(::mkfifo((root.path + "/sys/block/sda/size").c_str(), 0600), 0);
  linuxsys::SystemFiles files(root.path);
  EXPECT_FALSE(files.ReadNumber("/sys/block/sda/size"));
}

TEST(SystemFiles, ReadsStopAtTheLimit) {
  TempRoot root;
  root.Write("/big", std::string(10000, 'x'));
  linuxsys::SystemFiles files(root.path);
  EXPECT_EQ(files.ReadFile("/big", 100)->size(), 100u);
}

TEST(KernelNames, OrderAsPeopleExpect) {
  std::vector<std::string> names = {"sdaa", "sdb", "nvme10n1", "sda", "nvme1n1", "sdz", "nvme2n1", "nvme1n2"};
  std::sort(names.begin(), names.end(), linuxsys::KernelNameLess);
  auto before = [&names](const char* a, const char* b) {
    return std::find(names.begin(), names.end(), a) < std::find(names.begin(), names.end(), b);
  };
  EXPECT_TRUE(before("sda", "sdb"));
  EXPECT_TRUE(before("sdb", "sdz"));
  EXPECT_TRUE(before("sdz", "sdaa"));
  EXPECT_TRUE(before("nvme1n1", "nvme1n2"));
  EXPECT_TRUE(before("nvme1n2", "nvme2n1"));
  EXPECT_TRUE(before("nvme2n1", "nvme10n1"));
  EXPECT_FALSE(linuxsys::KernelNameLess("sda", "sda"));
  EXPECT_TRUE(linuxsys::KernelNameLess("sda", "sda1"));
  EXPECT_FALSE(linuxsys::KernelNameLess("sda1", "sda"));
}

TEST(DeviceMapperTable, LinearAndStripedPlaceData) {
  auto linear = linuxsys::ParseDmTable("0 2048 linear 8:16 384\n2048 1024 linear /dev/sdc 0\n");
  ASSERT_TRUE(linear);
  ASSERT_EQ(linear->size(), 2u);
  EXPECT_EQ((*linear)[0].device, "8:16");
  EXPECT_EQ((*linear)[0].offsetBytes, 384u * 512);
  EXPECT_EQ((*linear)[0].lengthBytes, 2048u * 512);
  EXPECT_EQ((*linear)[1].device, "/dev/sdc");

  auto striped = linuxsys::ParseDmTable("0 4096 striped 2 128 8:16 0 8:32 2048\n");
  ASSERT_TRUE(striped);
  ASSERT_EQ(striped->size(), 2u);
  EXPECT_EQ((*striped)[1].device, "8:32");
  EXPECT_EQ((*striped)[1].offsetBytes, 2048u * 512);
  EXPECT_EQ((*striped)[1].lengthBytes, 2048u * 512);
  EXPECT_TRUE(linuxsys::ParseDmTable("")->empty());
}

TEST(DeviceMapperTable, AnythingElseIsNotKnownRatherThanHalfKnown) {
  EXPECT_FALSE(linuxsys::ParseDmTable("0 2048 linear 8:16 384\n2048 100 thin 253:3 7\n"));
  EXPECT_FALSE(linuxsys::ParseDmTable("0 100 crypt aes-xts-plain64 :64:logon:x 0 8:32\n")) << "no offset";
  EXPECT_FALSE(linuxsys::ParseDmTable("0 2048 linear 8:16\n"));
  EXPECT_FALSE(linuxsys::ParseDmTable("0 x linear 8:16 0\n"));
  EXPECT_FALSE(linuxsys::ParseDmTable("0 2048 linear 8:16 -5\n"));
  EXPECT_FALSE(linuxsys::ParseDmTable("0 36028797018963968 linear 8:16 0\n")) << "bytes beyond 64 bits";
  EXPECT_FALSE(linuxsys::ParseDmTable("0 4096 striped 3 128 8:16 0 8:32 0\n")) << "fewer devices than stripes";
  EXPECT_FALSE(linuxsys::ParseDmTable("0 4096 striped 0 128\n"));
}

TEST(VolumeIdentity, GuidsFromUuidsAndDerived) {
  const auto g = linuxsys::ParseGuid("8F1E5D2C-3B4A-4C6D-9E8F-0A1B2C3D4E5F");
  ASSERT_TRUE(g);
  EXPECT_EQ(FormatGuid(*g), L"{8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5f}");
  EXPECT_TRUE(linuxsys::ParseGuid("{8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5f}"));
  EXPECT_FALSE(linuxsys::ParseGuid("1A2B-3C4D"));
  EXPECT_FALSE(linuxsys::ParseGuid("c0ffee00-01"));
  EXPECT_FALSE(linuxsys::ParseGuid("8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5g"));
  EXPECT_FALSE(linuxsys::ParseGuid("8f1e5d2c+3b4a-4c6d-9e8f-0a1b2c3d4e5f"));

  // Derived GUIDs stay the same run after run, and neighbouring devices get
  // GUIDs that differ almost everywhere, not in a digit or two.
  const std::wstring a = FormatGuid(linuxsys::DeriveGuid("dev:/dev/sdd1"));
  EXPECT_EQ(a, FormatGuid(linuxsys::DeriveGuid("dev:/dev/sdd1")));
  EXPECT_EQ(a[15], L'5') << "a name-based GUID: " << Utf8FromWide(a);
  const std::pair<const char*, const char*> neighbours[] = {
      {"dev:/dev/sdd1", "dev:/dev/sdd2"}, {"dev:/dev/loop0p1", "dev:/dev/loop0p2"},
      {"dev:/dev/sda1", "dev:/dev/sdb1"}, {"part:c0ffee00-01", "part:c0ffee00-02"}};
  for (const auto& [x, y] : neighbours) {
    const std::wstring gx = FormatGuid(linuxsys::DeriveGuid(x));
    const std::wstring gy = FormatGuid(linuxsys::DeriveGuid(y));
    int differing = 0;
    for (std::size_t i = 0; i < gx.size(); ++i) differing += gx[i] != gy[i] ? 1 : 0;
    // 30 digits are free; a hash leaves about two in sixteen alike by chance.
    EXPECT_GE(differing, 20) << Utf8FromWide(gx) << " " << Utf8FromWide(gy);
    EXPECT_NE(gx.substr(1, 8), gy.substr(1, 8)) << "the first group alone tells them apart";
  }
  EXPECT_EQ(VisibleText(L"new\nline\x7f \u00e9t\u00e9"), L"new\\x0aline\\x7f \u00e9t\u00e9");
}

TEST(VolumeIdentity, SerialNumbersAndUniqueIds) {
  EXPECT_EQ(linuxsys::SerialFromUuid("1A2B-3C4D"), 0x1a2b3c4du);
  EXPECT_EQ(linuxsys::SerialFromUuid("8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5f"), 0x2c3d4e5fu);
  EXPECT_EQ(linuxsys::SerialFromUuid("0123456789ABCDEF"), 0x89abcdefu);
  EXPECT_EQ(linuxsys::SerialFromUuid("AB"), 0xabu);
  EXPECT_EQ(linuxsys::SerialFromUuid(""), 0u);

  EXPECT_EQ(linuxsys::MbrUniqueId(0x1a2b3c4d, 0x100000),
            (std::vector<BYTE>{0x4d, 0x3c, 0x2b, 0x1a, 0, 0, 0x10, 0, 0, 0, 0, 0}));
  const auto gpt = linuxsys::GptUniqueId(*linuxsys::ParseGuid("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"));
  ASSERT_EQ(gpt.size(), 24u);
  EXPECT_EQ(std::string(gpt.begin(), gpt.begin() + 8), "DMIO:ID:");
  EXPECT_EQ(gpt[8], 0x3c);
  EXPECT_EQ(gpt[23], 0xf0);
  const auto text = linuxsys::TextUniqueId("/dev/dm-0");
  EXPECT_EQ(WideFromUtf16(text.data(), text.size() / 2), L"\\dev\\dm-0");
}

TEST(VolumeIdentity, FileSystemFlagsOnlyForFilesystems) {
  using namespace linuxsys;
  constexpr DWORD kUnix = kFileCaseSensitiveSearch | kFileCasePreservedNames | kFileSupportsSparseFiles |
                          kFileSupportsHardLinks;
  const struct {
    const char* type;
    const char* usage;
    bool readOnly;
    DWORD flags;
  } cases[] = {
      {"ext4", "filesystem", false, kUnix},
      {"ext4", "", true, kUnix | kFileReadOnlyVolume},
      {"exfat", "filesystem", false, kFileCasePreservedNames | kFileUnicodeOnDisk},
      {"iso9660", "filesystem", false, kFileCasePreservedNames | kFileUnicodeOnDisk | kFileReadOnlyVolume},
      // Containers and swap hold no files, whether the probe says so or only their type.
      {"LVM2_member", "raid", false, 0},
      {"LVM2_member", "", false, 0},
      {"linux_raid_member", "", false, 0},
      {"crypto_LUKS", "crypto", false, 0},
      {"crypto_LUKS", "", false, 0},
      {"swap", "other", false, 0},
      {"fuseblk", "", false, 0},
      {"", "", false, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileSystemFlags(c.type, c.usage, c.readOnly), c.flags) << c.type << " " << c.usage;
  }
  EXPECT_EQ(FileSystemFlags("ntfs", "filesystem", false) & kFileSupportsReparsePoints, kFileSupportsReparsePoints);
}

TEST(UdevDatabase, PropertiesAndEscapes) {
  TempRoot root;
  root.Write("/run/udev/data/b8:1", "S:disk/by-label/X\nE:ID_FS_TYPE=vfat\nE:ID_FS_LABEL_ENC=MY\\x20STICK\nE:=x\nE:BROKEN\n");
  linuxsys::SystemFiles files(root.path);
  const auto p = linuxsys::ReadUdevProperties(files, 8, 1);
  EXPECT_EQ(p.size(), 2u);
  EXPECT_EQ(p.at("ID_FS_TYPE"), "vfat");
  EXPECT_EQ(linuxsys::DecodeUdevString(p.at("ID_FS_LABEL_ENC")), "MY STICK");
  EXPECT_EQ(linuxsys::DecodeUdevString("a\\x2"), "a\\x2");
  EXPECT_EQ(linuxsys::DecodeUdevString("\\xzz\\x41"), "\\xzzA");
  EXPECT_TRUE(linuxsys::ReadUdevProperties(files, 8, 2).empty());
}

// Every open of the collector goes through SystemFiles, which opens only for
// reading; the other sources must not open anything themselves.
TEST(LinuxCollector, NoSourceOpensAnythingButTheReadOnlyDoor) {
  const fs::path dir = fs::path(QUELBRIN_SOURCE_DIR) / "platform" / "linux";
  const std::vector<std::string> forbidden = {"open(",          "fopen(",   "creat(",
                                              "fstream",        "opendir(", "blkid_new_probe_from_filename",
                                              "mnt_table_parse_file", "mnt_table_parse_mtab", "mnt_new_table_from_file",
                                              "O_WRONLY",       "O_RDWR"};
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() == "system_files.cpp") continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    for (const std::string& word : forbidden) {
      // "fmemopen(" reads a string already in memory.
      std::size_t at = 0;
      while ((at = source.find(word, at)) != std::string::npos) {
        const bool memoryStream = word == "open(" && at >= 4 && source.compare(at - 4, 4, "fmem") == 0;
        EXPECT_TRUE(memoryStream) << entry.path().filename() << " uses " << word;
        at += word.size();
      }
    }
    ++checked;
  }
  EXPECT_GE(checked, 10);
}

}  // namespace
