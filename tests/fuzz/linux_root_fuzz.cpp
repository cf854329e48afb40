// One file of a fake Linux root replaced by the fuzz bytes: the first two
// bytes choose the file, the rest is its new content. Disk images keep their
// size and get the bytes at their start; a symbolic link points at them.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/linux_collector.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/linux_fake_system.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kSector = 512;

void WriteServerImages(const fake::FakeSystem& sys) {
  const std::uint32_t ext = 1050624;
  const std::uint32_t ebr2 = 410652672;
  sys.WriteImage("sda", 976773168ull * kSector,
                 {{0, fake::BootRecord(0x5eedf00d, {{true, 0x83, 2048, 1048576}, {false, 0x05, ext, 975722544}})},
                  {ext * kSector, fake::BootRecord(0, {{false, 0x83, 2048, 409600000},
                                                       {false, 0x05, ebr2 - ext, 566120496}})},
                  {ebr2 * kSector, fake::BootRecord(0, {{false, 0x83, 2048, 566118448}})}});
  sys.WriteImage("sda5", 4 << 20, fake::ExtSuperblock("system", fake::UuidBytes("5b6c7d8e-9f00-4112-8233-445566778899")));
  sys.WriteImage("vdb", 41943040ull * kSector, fake::ExtSuperblock("data", fake::UuidBytes("5b6c7d8e-9f00-4112-8233-445566778899")));
}

void WriteLaptopImages(const fake::FakeSystem& sys) {
  const std::uint64_t sectors = 1000215216;
  const GUID linuxType = fake::Guid("0fc63daf-8483-4772-8e79-3d69d8477de4");
  sys.WriteImage("nvme0n1", sectors * kSector,
                 fake::GptDisk(fake::Guid("7d4e3b2a-1c0f-4e5d-9a8b-6c5d4e3f2a10"), sectors,
                               {{fake::Guid("c12a7328-f81f-11d2-ba4b-00a0c93ec93b"),
                                 fake::Guid("11111111-2222-4333-8444-555555555555"), 2048, 1050623,
                                 0x8000000000000001ull, u"EFI System Partition"},
                                {linuxType, fake::Guid("22222222-3333-4444-8555-666666666666"), 1050624, 839911423, 0,
                                 u"root"},
                                {linuxType, fake::Guid("33333333-4444-4555-8666-777777777777"), 839911424, 1000214527,
                                 0, u"backup"}}));
  sys.WriteImage("nvme0n1p2", 4 << 20, fake::ExtSuperblock("root", fake::UuidBytes("8f1e5d2c-3b4a-4c6d-9e8f-0a1b2c3d4e5f")));
  sys.WriteImage("nvme0n1p3", 4 << 20, fake::ExtSuperblock("backup", fake::UuidBytes("0a0b0c0d-1111-2222-3333-444455556666")));
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAt(const std::string& path, const std::string& bytes, bool truncate) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
  if (fd < 0) fuzz::Fail("cannot write " + path);
  const bool ok = ::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
  ::close(fd);
  if (!ok) fuzz::Fail("cannot write " + path);
}

// A file of a fake root, with what it held.
struct RootFile {
  const fake::FakeSystem* root;
  std::string path;
  enum Kind { Text, Image, Link } kind;
  std::string original;  // the content, or for a link its target
};

struct Roots {
  fake::FakeSystem server{"server"};
  fake::FakeSystem laptop{"laptop"};
  std::vector<RootFile> files;

  Roots() {
    WriteServerImages(server);
    WriteLaptopImages(laptop);
    for (const fake::FakeSystem* sys : {&server, &laptop}) {
      std::vector<RootFile> found;
      for (const auto& entry : fs::recursive_directory_iterator(sys->root())) {
        const std::string path = entry.path().string();
        if (entry.is_symlink()) {
          found.push_back({sys, path, RootFile::Link, fs::read_symlink(entry.path()).string()});
        } else if (entry.is_regular_file()) {
          const bool image = path.rfind(sys->root() + "/dev/", 0) == 0;
          found.push_back({sys, path, image ? RootFile::Image : RootFile::Text, image ? std::string() : ReadWhole(path)});
        }
      }
      std::sort(found.begin(), found.end(), [](const RootFile& a, const RootFile& b) { return a.path < b.path; });
      files.insert(files.end(), found.begin(), found.end());
    }
  }
};

// Puts `bytes` in place of the file; returns what undoes it.
std::string Replace(const RootFile& f, const std::string& bytes) {
  switch (f.kind) {
    case RootFile::Text:
      WriteAt(f.path, bytes, true);
      return f.original;
    case RootFile::Image: {
      std::string before(bytes.size(), '\0');
      const int fd = ::open(f.path.c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t n = fd >= 0 ? ::pread(fd, before.data(), before.size(), 0) : -1;
      if (fd >= 0) ::close(fd);
      before.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
      WriteAt(f.path, bytes, false);
      return before;
    }
    case RootFile::Link: {
      std::string target = bytes.substr(0, 4000);
      target.erase(std::remove(target.begin(), target.end(), '\0'), target.end());
      fs::remove(f.path);
      if (!target.empty()) fs::create_symlink(target, f.path);
      return f.original;
    }
  }
  return {};
}

void Restore(const RootFile& f, const std::string& undo, std::size_t written) {
  switch (f.kind) {
    case RootFile::Text:
      WriteAt(f.path, undo, true);
      break;
    case RootFile::Image: {
      // Bytes past the old end of a short image were not there before: zeros read as a hole would.
      std::string back = undo;
      back.resize(written, '\0');
      WriteAt(f.path, back, false);
      break;
    }
    case RootFile::Link:
      std::error_code ignored;
      fs::remove(f.path, ignored);
      fs::create_symlink(undo, f.path);
      break;
  }
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d) != nullptr) ++n;
    ::closedir(d);
  }
  return n;
}

linuxsys::CollectOptions FixedOptions() {
  linuxsys::CollectOptions options;
  options.fileSystemSpace = [](const std::string& path) -> std::optional<linuxsys::FileSystemSpace> {
    linuxsys::FileSystemSpace s;
    s.totalBytes = 1000000 + path.size();
    s.totalFreeBytes = 400000;
    s.freeBytesAvailable = 300000;
    s.maxNameLength = 255;
    return s;
  };
  options.deviceMapperTable = [](unsigned, unsigned) -> std::optional<std::string> { return std::nullopt; };
  return options;
}

Roots& TheRoots() {
  // Made once and removed at exit; every run puts back the file it changed.
  static Roots roots;
  return roots;
}

}  // namespace

// With QUELBRIN_FUZZ_WRITE_SEEDS=DIR, writes the seed corpus to DIR and ends:
// the first file of each name, as it is (an image: its written start).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* dir = std::getenv("QUELBRIN_FUZZ_WRITE_SEEDS");
  if (dir == nullptr) return 0;
  std::set<std::string> names;
  const std::vector<RootFile>& files = TheRoots().files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const RootFile& f = files[i];
    if (f.kind != RootFile::Image && !names.insert(fs::path(f.path).filename().string()).second) continue;
    std::string content = f.original;
    if (f.kind == RootFile::Image) {
      std::ifstream in(f.path, std::ios::binary);
      content.resize(20480);
      in.read(content.data(), static_cast<std::streamsize>(content.size()));
      content.resize(static_cast<std::size_t>(in.gcount()));
      while (!content.empty() && content.back() == '\0') content.pop_back();
    }
    std::ofstream out(std::string(dir) + "/" + std::to_string(i), std::ios::binary);
    out.put(static_cast<char>(i & 0xFF)).put(static_cast<char>(i >> 8));
    out << content;
  }
  std::fprintf(stderr, "%zu files in all\n", files.size());
  std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<RootFile>& files = TheRoots().files;
  if (size < 2) return 0;
  const RootFile& f = files[static_cast<std::size_t>(data[0] | (data[1] << 8)) % files.size()];
  const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string undo = Replace(f, bytes);

  const std::size_t descriptors = OpenDescriptors();
  machine::Machine m;
  {
    linuxsys::SystemFiles system(f.root->root());
    m = linuxsys::CollectMachine(system, FixedOptions());
    for (const auto& open : system.opens()) {
      if ((open.flags & O_ACCMODE) != O_RDONLY) fuzz::Fail(open.path + " was opened for more than reading");
    }
  }
  const std::size_t left = OpenDescriptors();
  Restore(f, undo, bytes.size());
  if (left != descriptors) fuzz::Fail(std::to_string(left - descriptors) + " file descriptors left open by the collector");

  fuzz::CheckRoundTrip(m);
  fuzz::ScanAndShowMachine(m, fuzz::Scans::All);
  return 0;
}
