// Answers every request from a described machine. The test suite, the samples
// and the live Linux backend (which collects the running machine into the same
// description) all stand on it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/platform.h"

class RecordedPlatform : public Platform {
 public:
  explicit RecordedPlatform(machine::Machine description);

  HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                     DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                       DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
  BOOL CloseHandle(HANDLE object) override;
  DWORD GetLastError() override { return lastError_; }
  BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                             LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                             LPWSTR fileSystemNameBuffer, DWORD fileSystemNameSize) override;
  BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                           PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) override;
  // Answers from the volume's "mountPaths"; the volume is the one the mount
  // point "\??\Volume{GUID}" (or a "paths" entry "\\.\Volume{GUID}") names.
  BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                        LPDWORD returnLength) override;

  const machine::Machine& description() const { return machine_; }
  // Handles opened and not yet closed; a scan must leave none behind.
  std::size_t OpenHandleCount() const { return open_.size(); }
  // Every path opened, with the access asked for, in order.
  struct OpenRecord {
    std::wstring path;
    DWORD access;
  };
  const std::vector<OpenRecord>& opens() const { return opens_; }

 protected:
  enum class ObjectKind { MountPointManager, Volume, Drive };
  struct Target {
    ObjectKind kind;
    std::size_t index;  // into the description's volumes or drives
  };

  BOOL Fail(DWORD error) {
    lastError_ = error;
    return FALSE;
  }
  const machine::Behaviour& BehaviourOf(const Target& target) const;
  // Finds what a device or root path names; false when nothing does.
  bool Resolve(const std::wstring& path, Target& target) const;

  machine::Machine machine_;

 private:
  BOOL Answer(const Target& target, DWORD code, LPVOID in, DWORD inSize, BYTE* out, DWORD outSize,
              DWORD& returned);
  bool VolumeForRoot(LPCWSTR rootPathName, const machine::Volume*& volume, const machine::Behaviour*& behaviour,
                     const char* request);

  std::map<std::wstring, Target> paths_;
  std::map<std::uintptr_t, Target> open_;
  std::uintptr_t nextHandle_ = 0x100;
  std::vector<OpenRecord> opens_;
  DWORD lastError_ = 0;
};
