#include "platform/whole_file.h"

#include <fstream>

WholeFile WriteWholeFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                         std::string& reason) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = path;
  const fs::file_status existing = fs::status(target, ec);
  const bool inPlace = fs::exists(existing) && !fs::is_regular_file(existing);
  if (!inPlace && fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = std::move(resolved);
  }
  fs::path written = target;
  if (!inPlace) written += ".part";
  std::ofstream out(written, std::ios::binary | std::ios::trunc);
  if (!out) return WholeFile::CannotCreate;
  write(out);
  out.close();
  if (!out) {
    if (!inPlace) fs::remove(written, ec);
    return WholeFile::CannotWrite;
  }
  if (inPlace) return WholeFile::Written;
  if (fs::exists(existing)) fs::permissions(written, existing.permissions(), ec);
  fs::rename(written, target, ec);
  if (ec) {
    reason = ec.message();
    fs::remove(written, ec);
    return WholeFile::CannotReplace;
  }
  return WholeFile::Written;
}
