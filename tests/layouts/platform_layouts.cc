// Compiled with the Windows cross compiler: the size and offset checks in the
// record headers then hold against the platform's own declarations, and every
// member the hand-written records declare is named, so that a platform header
// lacking one fails here rather than in the program's Windows build.
#include "platform/device_manager_records.h"
#include "platform/port_records.h"
#include "platform/storage_records.h"

namespace {

template <class... Members>
void Name(const Members&...) {}

[[maybe_unused]] void Members(const MOUNTMGR_MOUNT_POINT& r) {
  Name(r.SymbolicLinkNameOffset, r.SymbolicLinkNameLength, r.UniqueIdOffset, r.UniqueIdLength, r.DeviceNameOffset,
       r.DeviceNameLength);
}
[[maybe_unused]] void Members(const MOUNTMGR_MOUNT_POINTS& r) { Name(r.Size, r.NumberOfMountPoints, r.MountPoints); }
[[maybe_unused]] void Members(const PARTITION_INFORMATION_MBR& r) {
  Name(r.PartitionType, r.BootIndicator, r.RecognizedPartition, r.HiddenSectors, r.PartitionId);
}
[[maybe_unused]] void Members(const PARTITION_INFORMATION_GPT& r) {
  Name(r.PartitionType, r.PartitionId, r.Attributes, r.Name);
}
[[maybe_unused]] void Members(const PARTITION_INFORMATION_EX& r) {
  Name(r.PartitionStyle, r.StartingOffset, r.PartitionLength, r.PartitionNumber, r.RewritePartition,
       r.IsServicePartition, r.Mbr, r.Gpt);
}
[[maybe_unused]] void Members(const PARTITION_INFORMATION& r) {
  Name(r.StartingOffset, r.PartitionLength, r.HiddenSectors, r.PartitionNumber, r.PartitionType, r.BootIndicator,
       r.RecognizedPartition, r.RewritePartition);
}
[[maybe_unused]] void Members(const DISK_EXTENT& r) { Name(r.DiskNumber, r.StartingOffset, r.ExtentLength); }
[[maybe_unused]] void Members(const VOLUME_DISK_EXTENTS& r) { Name(r.NumberOfDiskExtents, r.Extents); }
[[maybe_unused]] void Members(const DRIVE_LAYOUT_INFORMATION_MBR& r) { Name(r.Signature); }
[[maybe_unused]] void Members(const DRIVE_LAYOUT_INFORMATION_GPT& r) {
  Name(r.DiskId, r.StartingUsableOffset, r.UsableLength, r.MaxPartitionCount);
}
[[maybe_unused]] void Members(const DRIVE_LAYOUT_INFORMATION_EX& r) {
  Name(r.PartitionStyle, r.PartitionCount, r.Mbr, r.Gpt, r.PartitionEntry);
}
[[maybe_unused]] void Members(const DRIVE_LAYOUT_INFORMATION& r) {
  Name(r.PartitionCount, r.Signature, r.PartitionEntry);
}
[[maybe_unused]] void Members(const DISK_GEOMETRY& r) {
  Name(r.Cylinders, r.MediaType, r.TracksPerCylinder, r.SectorsPerTrack, r.BytesPerSector);
}
[[maybe_unused]] void Members(const DISK_GEOMETRY_EX& r) { Name(r.Geometry, r.DiskSize, r.Data); }
[[maybe_unused]] void Members(const DISK_INT13_INFO& r) {
  Name(r.DriveSelect, r.MaxCylinders, r.SectorsPerTrack, r.MaxHeads, r.NumberDrives);
}
[[maybe_unused]] void Members(const DISK_EX_INT13_INFO& r) {
  Name(r.ExBufferSize, r.ExFlags, r.ExCylinders, r.ExHeads, r.ExSectorsPerTrack, r.ExSectorsPerDrive, r.ExSectorSize,
       r.ExReserved);
}
[[maybe_unused]] void Members(const DISK_DETECTION_INFO& r) {
  Name(r.SizeOfDetectInfo, r.DetectionType, r.Int13, r.ExInt13);
}
[[maybe_unused]] void Members(const DISK_PARTITION_INFO& r) {
  Name(r.SizeOfPartitionInfo, r.PartitionStyle, r.Mbr.Signature, r.Mbr.CheckSum, r.Gpt.DiskId);
}
[[maybe_unused]] void Members(const STORAGE_PROPERTY_QUERY& r) {
  Name(r.PropertyId, r.QueryType, r.AdditionalParameters);
}
[[maybe_unused]] void Members(const STORAGE_DESCRIPTOR_HEADER& r) { Name(r.Version, r.Size); }
[[maybe_unused]] void Members(const STORAGE_DEVICE_DESCRIPTOR& r) {
  Name(r.Version, r.Size, r.DeviceType, r.DeviceTypeModifier, r.RemovableMedia, r.CommandQueueing, r.VendorIdOffset,
       r.ProductIdOffset, r.ProductRevisionOffset, r.SerialNumberOffset, r.BusType, r.RawPropertiesLength,
       r.RawDeviceProperties);
}
[[maybe_unused]] void Members(const STORAGE_ADAPTER_DESCRIPTOR& r) {
  Name(r.Version, r.Size, r.MaximumTransferLength, r.MaximumPhysicalPages, r.AlignmentMask, r.AdapterUsesPio,
       r.AdapterScansDown, r.CommandQueueing, r.AcceleratedTransfer, r.BusType, r.BusMajorVersion, r.BusMinorVersion);
}
[[maybe_unused]] void Members(const STORAGE_DEVICE_ID_DESCRIPTOR& r) {
  Name(r.Version, r.Size, r.NumberOfIdentifiers, r.Identifiers);
}
[[maybe_unused]] void Members(const STORAGE_IDENTIFIER& r) {
  Name(r.CodeSet, r.Type, r.IdentifierSize, r.NextOffset, r.Association, r.Identifier);
}
[[maybe_unused]] void Members(const SCSI_ADDRESS& r) { Name(r.Length, r.PortNumber, r.PathId, r.TargetId, r.Lun); }
[[maybe_unused]] void Members(const IO_SCSI_CAPABILITIES& r) {
  Name(r.Length, r.MaximumTransferLength, r.MaximumPhysicalPages, r.SupportedAsynchronousEvents, r.AlignmentMask,
       r.TaggedQueuing, r.AdapterScansDown, r.AdapterUsesPio);
}
[[maybe_unused]] void Members(const SCSI_BUS_DATA& r) {
  Name(r.NumberOfLogicalUnits, r.InitiatorBusId, r.InquiryDataOffset);
}
[[maybe_unused]] void Members(const SCSI_ADAPTER_BUS_INFO& r) { Name(r.NumberOfBuses, r.BusData); }
[[maybe_unused]] void Members(const SCSI_INQUIRY_DATA& r) {
  Name(r.PathId, r.TargetId, r.Lun, r.DeviceClaimed, r.InquiryDataLength, r.NextInquiryDataOffset, r.InquiryData);
}
[[maybe_unused]] void Members(const FILETIME& r) { Name(r.dwLowDateTime, r.dwHighDateTime); }
[[maybe_unused]] void Members(const SP_DEVINFO_DATA& r) { Name(r.cbSize, r.ClassGuid, r.DevInst, r.Reserved); }
[[maybe_unused]] void Members(const SP_DEVICE_INTERFACE_DATA& r) {
  Name(r.cbSize, r.InterfaceClassGuid, r.Flags, r.Reserved);
}
[[maybe_unused]] void Members(const SP_DEVICE_INTERFACE_DETAIL_DATA_W& r) { Name(r.cbSize, r.DevicePath); }
[[maybe_unused]] void Members(const SP_DEVINFO_LIST_DETAIL_DATA_W& r) {
  Name(r.cbSize, r.ClassGuid, r.RemoteMachineHandle, r.RemoteMachineName);
}
[[maybe_unused]] void Members(const SP_DEVINSTALL_PARAMS_W& r) {
  Name(r.cbSize, r.Flags, r.FlagsEx, r.hwndParent, r.InstallMsgHandler, r.InstallMsgHandlerContext, r.FileQueue,
       r.ClassInstallReserved, r.Reserved, r.DriverPath);
}
[[maybe_unused]] void Members(const SP_DRVINFO_DATA_V1_W& r) {
  Name(r.cbSize, r.DriverType, r.Reserved, r.Description, r.MfgName, r.ProviderName);
}
[[maybe_unused]] void Members(const SP_DRVINFO_DATA_V2_W& r) {
  Name(r.cbSize, r.DriverType, r.Reserved, r.Description, r.MfgName, r.ProviderName, r.DriverDate, r.DriverVersion);
}
[[maybe_unused]] void Members(const SP_DRVINFO_DETAIL_DATA_W& r) {
  Name(r.cbSize, r.InfDate, r.CompatIDsOffset, r.CompatIDsLength, r.Reserved, r.SectionName, r.InfFileName,
       r.DrvDescription, r.HardwareID);
}
[[maybe_unused]] void Members(const SP_DRVINSTALL_PARAMS& r) {
  Name(r.cbSize, r.Rank, r.Flags, r.PrivateData, r.Reserved);
}
[[maybe_unused]] void Members(const MEM_DES& r) {
  Name(r.MD_Count, r.MD_Type, r.MD_Alloc_Base, r.MD_Alloc_End, r.MD_Flags, r.MD_Reserved);
}
[[maybe_unused]] void Members(const IO_DES& r) {
  Name(r.IOD_Count, r.IOD_Type, r.IOD_Alloc_Base, r.IOD_Alloc_End, r.IOD_DesFlags);
}
[[maybe_unused]] void Members(const DMA_DES& r) { Name(r.DD_Count, r.DD_Type, r.DD_Flags, r.DD_Alloc_Chan); }
[[maybe_unused]] void Members(const IRQ_DES& r) {
  Name(r.IRQD_Count, r.IRQD_Type, r.IRQD_Flags, r.IRQD_Alloc_Num, r.IRQD_Affinity);
}

}  // namespace
