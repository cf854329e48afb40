// The one door to the operating system. The scan asks every question through
// this interface, in the platform's own terms and with the same arguments and
// meanings as the Win32 calls of the same names; a backend answers them (a
// recorded machine, the live Linux machine, or Win32 itself).
#pragma once

#include "platform/win_types.h"

class Platform {
 public:
  virtual ~Platform() = default;

  virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                             LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize,
                               LPVOID outBuffer, DWORD outBufferSize, LPDWORD bytesReturned,
                               LPOVERLAPPED overlapped) = 0;
  virtual BOOL CloseHandle(HANDLE object) = 0;
  virtual DWORD GetLastError() = 0;

  virtual BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                                     LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                                     LPDWORD fileSystemFlags, LPWSTR fileSystemNameBuffer,
                                     DWORD fileSystemNameSize) = 0;
  virtual BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                                   PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) = 0;
  // The places a volume is mounted, for a volume named "\\?\Volume{GUID}\": a
  // list of zero-terminated paths ended by an empty one.
  virtual BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                                LPDWORD returnLength) = 0;
};
