// The machine files opened last, newest first, kept in the user's part of the
// registry from one run to the next, and shown as the File menu's Recent Files.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

class RecentFiles {
 public:
  static constexpr std::size_t kMost = 8;

  // `key` is under HKEY_CURRENT_USER; the list is its "Recent File List".
  explicit RecentFiles(std::wstring key);

  // Reads the list the registry holds; an absent or unreadable one is empty.
  void Load();
  // Puts the file first, once, as an absolute path, and writes the list back.
  void Add(const std::wstring& path);
  const std::vector<std::wstring>& Files() const { return files_; }

  // Fills the submenu with an item per file, ids from `firstId`; a greyed
  // "(none)" while the list is empty, since a popup needs an item.
  void FillMenu(HMENU menu, int firstId) const;

 private:
  void Save() const;

  std::wstring key_;
  std::vector<std::wstring> files_;
};
