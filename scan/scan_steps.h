// The steps of one scan. Each returns 0, or the code that stops the scan.
#pragma once

#include <string>
#include <vector>

#include "platform/storage_records.h"
#include "scan/scan_context.h"

class MountPointNode;
class PhysicalDiskNode;

// Storage-port interface class {2ACCFE60-C130-11D2-B082-00A0C91EFB8B}.
extern const GUID kStoragePortInterfaceClass;

// Creates the model's roots and fills them: the mount points the manager lists
// (drive letters only unless `showAllMountPoints`) and their volumes; hands
// each extent to ScanVolumeExtent.
DWORD StorageScan(ScanContext& scan, HANDLE mountPointManager, bool showAllMountPoints);

// The disk, extent and partitions behind one extent of the volume being built.
DWORD ScanVolumeExtent(ScanContext& scan, MountPointNode& mountPoint, const DISK_EXTENT& extent, int extentIndex,
                       bool useExtendedLayout);

// Files the open drive under its adapter and device.
DWORD ScanDriveAdapter(ScanContext& scan, HANDLE drive, PhysicalDiskNode& disk, bool diskIsNew);

// Opens the index-th present interface of the class. Returns 0 with an open
// handle and the interface path, ERROR_NO_MORE_ITEMS past the last one, or the
// error that kept the interface from opening.
DWORD OpenInterfaceDevice(ScanContext& scan, const GUID& interfaceClass, DWORD index, HANDLE& handle,
                          std::wstring& path);

// The adapters one opened storage-port interface may belong to, by its answers:
// those with a device at a place it lists, and of those the ones whose every
// device it lists with the same INQUIRY data.
struct PortInterfaceMatch {
  DWORD index = 0;
  std::wstring path;
  std::vector<ScsiAdapterNode*> adapters;
  std::vector<ScsiAdapterNode*> closely;
};
// Adds the match of the interface open as `port`, if it fits any adapter.
void MatchPortInterface(ScanContext& scan, DWORD index, HANDLE port, const std::wstring& path,
                        std::vector<PortInterfaceMatch>& matches);
// Gives each adapter the device manager's text of the one interface that
// belongs to it; an adapter that two interfaces fit alike gets none, and a
// diagnostic line says so.
void AttachPortDeviceManagerInfo(ScanContext& scan, const GUID& interfaceClass,
                                 const std::vector<PortInterfaceMatch>& matches);

// Every present storage-port interface is matched first, then each adapter
// given the text of the one that belongs to it; ends at the first index past
// the last interface.
void StoragePortStage(ScanContext& scan);
