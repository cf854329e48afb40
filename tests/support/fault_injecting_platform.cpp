#include "tests/support/fault_injecting_platform.h"

#include "platform/request_names.h"
#include "platform/wide_text.h"

bool FaultInjectingPlatform::Next(const char* function, std::wstring subject) {
  const bool fail = failIndex_ && *failIndex_ == calls_.size();
  calls_.push_back(Call{function, std::move(subject), fail});
  injectedError_.reset();
  if (fail) injectedError_ = failError_;
  return !fail;
}

std::optional<std::size_t> FaultInjectingPlatform::FindCall(const std::string& function,
                                                           const std::wstring& part) const {
  for (std::size_t i = 0; i < calls_.size(); ++i) {
    if (calls_[i].function == function && calls_[i].subject.find(part) != std::wstring::npos) return i;
  }
  return std::nullopt;
}

std::wstring FaultInjectingPlatform::PathOf(HANDLE handle) const {
  auto it = handlePaths_.find(reinterpret_cast<std::uintptr_t>(handle));
  return it != handlePaths_.end() ? it->second : L"(no handle)";
}

HANDLE FaultInjectingPlatform::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                                           LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                                           DWORD flagsAndAttributes, HANDLE templateFile) {
  const std::wstring path = fileName != nullptr ? fileName : L"";
  HANDLE h = Request("CreateFileW", path, INVALID_HANDLE_VALUE, [&] {
    return inner_.CreateFileW(fileName, desiredAccess, shareMode, securityAttributes, creationDisposition,
                              flagsAndAttributes, templateFile);
  });
  if (h != INVALID_HANDLE_VALUE) handlePaths_[reinterpret_cast<std::uintptr_t>(h)] = path;
  return h;
}

BOOL FaultInjectingPlatform::DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                             DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
  std::string name = ControlCodeName(code);
  if (name.empty()) name = "control code " + std::to_string(code);
  return Request("DeviceIoControl", PathOf(device) + L" " + WideFromUtf8(name), FALSE,
                 [&] { return inner_.DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped); });
}

BOOL FaultInjectingPlatform::CloseHandle(HANDLE object) {
  const std::wstring path = PathOf(object);
  handlePaths_.erase(reinterpret_cast<std::uintptr_t>(object));
  return Release("CloseHandle", path, FALSE, [&] { return inner_.CloseHandle(object); });
}

BOOL FaultInjectingPlatform::GetVolumeInformationW(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial,
                                                   LPDWORD maxComponent, LPDWORD flags, LPWSTR fileSystem,
                                                   DWORD fileSystemSize) {
  return Request("GetVolumeInformationW", root != nullptr ? root : L"", FALSE, [&] {
    return inner_.GetVolumeInformationW(root, label, labelSize, serial, maxComponent, flags, fileSystem,
                                        fileSystemSize);
  });
}

BOOL FaultInjectingPlatform::GetDiskFreeSpaceExW(LPCWSTR directory, PULARGE_INTEGER freeToCaller,
                                                 PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
  return Request("GetDiskFreeSpaceExW", directory != nullptr ? directory : L"", FALSE,
                 [&] { return inner_.GetDiskFreeSpaceExW(directory, freeToCaller, total, totalFree); });
}

BOOL FaultInjectingPlatform::GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames,
                                                              DWORD bufferLength, LPDWORD returnLength) {
  return Request("GetVolumePathNamesForVolumeNameW", volumeName != nullptr ? volumeName : L"", FALSE,
                 [&] { return inner_.GetVolumePathNamesForVolumeNameW(volumeName, volumePathNames, bufferLength,
                                                                      returnLength); });
}
