#include "platform/linux/mount_table.h"

#include <libmount/libmount.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <memory>

namespace linuxsys {
namespace {

struct TableDeleter {
  void operator()(libmnt_table* t) const { mnt_unref_table(t); }
};
struct IterDeleter {
  void operator()(libmnt_iter* i) const { mnt_free_iter(i); }
};
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

bool HasReadOnlyOption(const char* options) {
  if (options == nullptr) return false;
  char* value = nullptr;
  std::size_t size = 0;
  return mnt_optstr_get_option(options, "ro", &value, &size) == 0;
}

}  // namespace

std::vector<MountEntry> ReadMountTable(SystemFiles& files) {
  std::vector<MountEntry> entries;
  // Read through the one read-only door, then hand libmount the text.
  auto text = files.ReadFile("/proc/self/mountinfo", 16 << 20);
  if (!text || text->empty()) return entries;
  std::unique_ptr<FILE, FileCloser> stream(fmemopen(text->data(), text->size(), "r"));
  std::unique_ptr<libmnt_table, TableDeleter> table(mnt_new_table());
  if (!stream || !table) return entries;
  mnt_table_enable_comments(table.get(), 0);
  if (mnt_table_parse_stream(table.get(), stream.get(), "mountinfo") != 0) return entries;
  std::unique_ptr<libmnt_iter, IterDeleter> iter(mnt_new_iter(MNT_ITER_FORWARD));
  if (!iter) return entries;
  libmnt_fs* fs = nullptr;
  while (mnt_table_next_fs(table.get(), iter.get(), &fs) == 0) {
    MountEntry e;
    e.target = Text(mnt_fs_get_target(fs));
    e.source = Text(mnt_fs_get_srcpath(fs));
    if (e.source.empty()) e.source = Text(mnt_fs_get_source(fs));
    e.fsType = Text(mnt_fs_get_fstype(fs));
    const dev_t devno = mnt_fs_get_devno(fs);
    if (devno != 0) {
      e.major = ::major(devno);
      e.minor = ::minor(devno);
    }
    e.readOnly = HasReadOnlyOption(mnt_fs_get_vfs_options(fs)) || HasReadOnlyOption(mnt_fs_get_fs_options(fs));
    if (!e.target.empty()) entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace linuxsys
