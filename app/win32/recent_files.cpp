#include "app/win32/recent_files.h"

#include <algorithm>
#include <cwchar>
#include <filesystem>

namespace {

std::wstring ValueName(std::size_t i) { return L"File" + std::to_wstring(i + 1); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
  // Windows file names do not differ by case alone.
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// "&1 C:\a&&b.json": the number is the item's access key; a "&" of the path
// would make the next letter one.
std::wstring MenuText(std::size_t i, const std::wstring& path) {
  std::wstring text = L"&" + std::to_wstring(i + 1) + L" ";
  for (wchar_t c : path) {
    if (c == L'&') text += L'&';
    text += c;
  }
  return text;
}

}  // namespace

RecentFiles::RecentFiles(std::wstring key) : key_(std::move(key) + L"\\Recent File List") {}

void RecentFiles::Load() {
  files_.clear();
  for (std::size_t i = 0; i < kMost; ++i) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), ValueName(i).c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS)
      break;
    std::wstring path(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), ValueName(i).c_str(), RRF_RT_REG_SZ, nullptr, path.data(),
                       &bytes) != ERROR_SUCCESS)
      break;
    path.resize(std::wcslen(path.c_str()));  // the value ends in a NUL, which RegGetValueW makes sure of
    if (path.empty()) break;
    files_.push_back(std::move(path));
  }
}

void RecentFiles::Add(const std::wstring& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  const std::wstring file = absolute.empty() ? path : absolute.lexically_normal().wstring();
  files_.erase(std::remove_if(files_.begin(), files_.end(), [&file](const std::wstring& f) { return SamePath(f, file); }),
               files_.end());
  files_.insert(files_.begin(), file);
  if (files_.size() > kMost) files_.resize(kMost);
  Save();
}

void RecentFiles::Save() const {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;  // the list then lasts this run only
  for (std::size_t i = 0; i < kMost; ++i) {
    if (i < files_.size()) {
      const std::wstring& f = files_[i];
      ::RegSetValueExW(key, ValueName(i).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(f.c_str()),
                       static_cast<DWORD>((f.size() + 1) * sizeof(wchar_t)));
    } else {
      ::RegDeleteValueW(key, ValueName(i).c_str());
    }
  }
  ::RegCloseKey(key);
}

void RecentFiles::FillMenu(HMENU menu, int firstId) const {
  if (menu == nullptr) return;
  while (::GetMenuItemCount(menu) > 0) ::DeleteMenu(menu, 0, MF_BYPOSITION);
  if (files_.empty()) {
    ::AppendMenuW(menu, MF_STRING | MF_GRAYED, static_cast<UINT_PTR>(firstId), L"(none)");
    return;
  }
  for (std::size_t i = 0; i < files_.size(); ++i)
    ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(firstId) + i, MenuText(i, files_[i]).c_str());
}
