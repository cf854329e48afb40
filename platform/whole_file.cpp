#include "platform/whole_file.h"

#include <fstream>

WholeFile WriteWholeFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                         std::string& reason) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = path;
  const fs::file_status existing = fs::status(target, ec);
  const bool existed = fs::exists(existing);
  // Only a file with something in it has anything to lose. Anything else is
  // written as it is: no file yet, an empty one, a pipe or a device (which
  // Windows may call a regular file of no size, as Wine does /dev/null).
  std::uintmax_t size = 0;
  if (fs::is_regular_file(existing)) size = fs::file_size(target, ec);
  const bool beside = fs::is_regular_file(existing) && !ec && size > 0;
  if (beside && fs::is_symlink(fs::symlink_status(target, ec))) {
    // Through a link, the file it names is replaced and the link stays.
    fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = std::move(resolved);
  }
  fs::path written = target;
  if (beside) written += ".part";
  std::ofstream out(written, std::ios::binary | std::ios::trunc);
  if (!out) return WholeFile::CannotCreate;
  write(out);
  out.close();
  if (!out) {
    // What the attempt made is taken back: a part or a new file removed, an
    // empty file emptied again.
    if (beside || !existed)
      fs::remove(written, ec);
    else if (fs::is_regular_file(existing))
      fs::resize_file(written, 0, ec);
    return WholeFile::CannotWrite;
  }
  if (!beside) return WholeFile::Written;
  fs::permissions(written, existing.permissions(), ec);
  fs::rename(written, target, ec);
  if (ec) {
    reason = ec.message();
    fs::remove(written, ec);
    return WholeFile::CannotReplace;
  }
  return WholeFile::Written;
}
