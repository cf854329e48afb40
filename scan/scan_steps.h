// The steps of one scan. Each returns 0, or the code that stops the scan.
#pragma once

#include <string>

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

// Attaches the device manager's text of one storage-port interface to the
// adapter it belongs to.
void AttachPortDeviceManagerInfo(ScanContext& scan, const GUID& interfaceClass, DWORD index, HANDLE port,
                                 const std::wstring& path);

// Every present storage-port interface in turn, each given to
// AttachPortDeviceManagerInfo; ends at the first index past the last one.
void StoragePortStage(ScanContext& scan);
