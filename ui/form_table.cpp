#include "ui/form_table.h"

#include <array>

using enum ControlId;
using enum ControlKind;

namespace {

// clang-format off
constexpr std::array<FormControl, 206> kControls{{
    // "Mount Point Information"
    {MountPointVolumeNameLabel, Label, MountPointPanel, {14, 32, 60, 8}, L"Volume Name:", 0, kNoControl, 0},
    {MountPointVolumeNameEdit, Edit, MountPointPanel, {76, 30, 256, 12}, L"", 1, MountPointVolumeNameLabel, kTabStop},
    {MountPointUniqueIdLabel, Label, MountPointPanel, {14, 46, 60, 8}, L"Unique Id:", 0, kNoControl, 0},
    {MountPointUniqueIdEdit, Edit, MountPointPanel, {76, 44, 256, 12}, L"", 2, MountPointUniqueIdLabel, kTabStop},
    {MountPointDeviceNameLabel, Label, MountPointPanel, {14, 60, 60, 8}, L"Device Name:", 0, kNoControl, 0},
    {MountPointDeviceNameEdit, Edit, MountPointPanel, {76, 58, 256, 12}, L"", 3, MountPointDeviceNameLabel, kTabStop},
    {MountPointSymLinkNameLabel, Label, MountPointPanel, {14, 74, 60, 8}, L"SymLink Name:", 0, kNoControl, 0},
    {MountPointSymLinkNameEdit, Edit, MountPointPanel, {76, 72, 256, 12}, L"", 4, MountPointSymLinkNameLabel, kTabStop},
    {MountPointExtentList, ListView, MountPointPanel, {15, 299, 486, 59}, L"", 22, MountPointExtentListLabel, kSingleSelection | kRowsOpenNodes},
    {MountPointExtentListLabel, Label, MountPointPanel, {15, 289, 120, 8}, L"Disk Extent List:", 0, kNoControl, 0},
    {MountPointPanel, GroupBox, MountPointPanel, {5, 18, 503, 346}, L"Mount Point Information", 0, kNoControl, 0},
    {MountPointVolumeLabelLabel, Label, MountPointPanel, {336, 32, 60, 8}, L"Volume Label:", 0, kNoControl, 0},
    {MountPointVolumeLabelEdit, Edit, MountPointPanel, {398, 30, 104, 12}, L"", 5, MountPointVolumeLabelLabel, kTabStop},
    {MountPointSerialNumberLabel, Label, MountPointPanel, {336, 46, 60, 8}, L"Serial Number:", 0, kNoControl, 0},
    {MountPointSerialNumberEdit, Edit, MountPointPanel, {398, 44, 104, 12}, L"", 6, MountPointSerialNumberLabel, kTabStop},
    {MountPointMaxNameLengthLabel, Label, MountPointPanel, {336, 60, 60, 8}, L"Max Name Len:", 0, kNoControl, 0},
    {MountPointMaxNameLengthEdit, Edit, MountPointPanel, {398, 58, 104, 12}, L"", 7, MountPointMaxNameLengthLabel, kTabStop},
    {MountPointFsFlagsLabel, Label, MountPointPanel, {336, 74, 60, 8}, L"FS Flags:", 0, kNoControl, 0},
    {MountPointFsFlagsEdit, Edit, MountPointPanel, {398, 72, 104, 12}, L"", 8, MountPointFsFlagsLabel, kTabStop},
    {MountPointFsNameLabel, Label, MountPointPanel, {336, 88, 60, 8}, L"FS Name:", 0, kNoControl, 0},
    {MountPointFsNameEdit, Edit, MountPointPanel, {398, 86, 104, 12}, L"", 9, MountPointFsNameLabel, kTabStop},
    {MountPointChart, PieChart, MountPointPanel, {331, 121, 170, 170}, L"", 21, kNoControl, 0},
    {MountPointPartitionFrame, GroupBox, MountPointPanel, {10, 138, 313, 143}, L"Mount Point Partition Information", 11, kNoControl, 0},
    {MountPointStyleLabel, Label, MountPointPanel, {20, 156, 60, 8}, L"Style", 0, kNoControl, 0},
    {MountPointStyleEdit, Edit, MountPointPanel, {82, 154, 124, 12}, L"", 12, MountPointStyleLabel, kTabStop},
    {MountPointStartingOffsetLabel, Label, MountPointPanel, {20, 188, 60, 8}, L"Starting Off:", 0, kNoControl, 0},
    {MountPointStartingOffsetEdit, Edit, MountPointPanel, {82, 186, 124, 12}, L"", 14, MountPointStartingOffsetLabel, kTabStop},
    {MountPointLengthLabel, Label, MountPointPanel, {20, 204, 60, 8}, L"Length:", 0, kNoControl, 0},
    {MountPointLengthEdit, Edit, MountPointPanel, {82, 202, 124, 12}, L"", 15, MountPointLengthLabel, kTabStop},
    {MountPointPartitionNumberLabel, Label, MountPointPanel, {20, 172, 60, 8}, L"Part. Number:", 0, kNoControl, 0},
    {MountPointPartitionNumberEdit, Edit, MountPointPanel, {82, 170, 124, 12}, L"", 13, MountPointPartitionNumberLabel, kTabStop},
    {MountPointRewriteCheck, CheckBox, MountPointPanel, {220, 155, 96, 10}, L"Rewrite Partition", 18, kNoControl, 0},
    {MountPointPartitionTypeEdit, Edit, MountPointPanel, {82, 218, 124, 12}, L"", 16, MountPointPartitionTypeLabel, kTabStop},
    {MountPointPartitionTypeLabel, Label, MountPointPanel, {20, 220, 60, 8}, L"Partition Type:", 0, kNoControl, 0},
    {MountPointBootIndicatorCheck, CheckBox, MountPointPanel, {220, 171, 96, 10}, L"Boot Indicator", 19, kNoControl, 0},
    {MountPointRecognizedCheck, CheckBox, MountPointPanel, {220, 187, 96, 10}, L"Recognized Partition", 20, kNoControl, 0},
    {MountPointHiddenSectorsEdit, Edit, MountPointPanel, {82, 234, 124, 12}, L"", 17, MountPointHiddenSectorsLabel, kTabStop},
    {MountPointHiddenSectorsLabel, Label, MountPointPanel, {20, 236, 60, 8}, L"Hidden Sectors:", 0, kNoControl, 0},
    {MountPointPathNamesLabel, Label, MountPointPanel, {195, 89, 90, 8}, L"Volume Path Names:", 0, kNoControl, 0},
    {MountPointPathNamesListBox, ListBox, MountPointPanel, {19, 87, 170, 46}, L"", 10, MountPointPathNamesLabel, kSorted},

    // "Disk Information"
    {DiskPanel, GroupBox, DiskPanel, {5, 1171, 503, 346}, L"Disk Information", 0, kNoControl, 0},
    {DiskPartitionList, ListView, DiskPanel, {15, 1459, 485, 50}, L"", 26, DiskPartitionListLabel, kSingleSelection | kRowsOpenNodes},
    {DiskSizeLabel, Label, DiskPanel, {14, 1186, 60, 8}, L"Disk Size:", 0, kNoControl, 0},
    {DiskSizeEdit, Edit, DiskPanel, {76, 1184, 160, 12}, L"", 1, DiskSizeLabel, kTabStop},
    {DiskPartitionListLabel, Label, DiskPanel, {15, 1449, 120, 8}, L"Disk Partition List:", 0, kNoControl, 0},
    {DiskChart, PieChart, DiskPanel, {329, 1277, 170, 170}, L"", 25, kNoControl, 0},
    {DiskCylindersLabel, Label, DiskPanel, {14, 1200, 60, 8}, L"Cylinders:", 0, kNoControl, 0},
    {DiskCylindersEdit, Edit, DiskPanel, {76, 1198, 160, 12}, L"", 2, DiskCylindersLabel, kTabStop},
    {DiskMediaTypeLabel, Label, DiskPanel, {14, 1214, 60, 8}, L"Media Type:", 0, kNoControl, 0},
    {DiskMediaTypeEdit, Edit, DiskPanel, {76, 1212, 160, 12}, L"", 3, DiskMediaTypeLabel, kTabStop},
    {DiskTracksPerCylinderLabel, Label, DiskPanel, {256, 1186, 62, 8}, L"Tracks/Cylinder:", 0, kNoControl, 0},
    {DiskTracksPerCylinderEdit, Edit, DiskPanel, {320, 1184, 180, 12}, L"", 4, DiskTracksPerCylinderLabel, kTabStop},
    {DiskSectorsPerTrackLabel, Label, DiskPanel, {256, 1200, 62, 8}, L"Sectors/Track:", 0, kNoControl, 0},
    {DiskSectorsPerTrackEdit, Edit, DiskPanel, {320, 1198, 180, 12}, L"", 5, DiskSectorsPerTrackLabel, kTabStop},
    {DiskBytesPerSectorLabel, Label, DiskPanel, {256, 1214, 62, 8}, L"Bytes/Sector:", 0, kNoControl, 0},
    {DiskBytesPerSectorEdit, Edit, DiskPanel, {320, 1212, 180, 12}, L"", 6, DiskBytesPerSectorLabel, kTabStop},
    {DiskStyleFrame, GroupBox, DiskPanel, {9, 1228, 496, 40}, L"MBR Partition", 7, kNoControl, 0},
    {DiskSignatureLabel, Label, DiskPanel, {16, 1246, 44, 8}, L"Signature:", 0, kNoControl, 0},
    {DiskSignatureEdit, Edit, DiskPanel, {62, 1244, 100, 12}, L"", 8, DiskSignatureLabel, kTabStop},
    {DiskChecksumLabel, Label, DiskPanel, {176, 1246, 44, 8}, L"Checksum:", 0, kNoControl, 0},
    {DiskChecksumEdit, Edit, DiskPanel, {222, 1244, 100, 12}, L"", 9, DiskChecksumLabel, kTabStop},
    {DiskIdLabel, Label, DiskPanel, {16, 1246, 44, 8}, L"Disk Id:", 0, kNoControl, kHiddenInTemplate},
    {DiskIdEdit, Edit, DiskPanel, {62, 1244, 220, 12}, L"", 10, DiskIdLabel, kTabStop | kHiddenInTemplate},
    {DiskDetectionFrame, GroupBox, DiskPanel, {9, 1277, 304, 159}, L"Detect Int13", 11, kNoControl, 0},
    {DiskInt13DriveSelectLabel, Label, DiskPanel, {20, 1294, 62, 8}, L"Drive Select:", 0, kNoControl, 0},
    {DiskInt13DriveSelectEdit, Edit, DiskPanel, {84, 1292, 120, 12}, L"", 12, DiskInt13DriveSelectLabel, kTabStop},
    {DiskInt13MaxCylindersLabel, Label, DiskPanel, {20, 1310, 62, 8}, L"Max Cylinders:", 0, kNoControl, 0},
    {DiskInt13MaxCylindersEdit, Edit, DiskPanel, {84, 1308, 120, 12}, L"", 13, DiskInt13MaxCylindersLabel, kTabStop},
    {DiskInt13SectorsPerTrackLabel, Label, DiskPanel, {20, 1326, 62, 8}, L"Sectors/Track:", 0, kNoControl, 0},
    {DiskInt13SectorsPerTrackEdit, Edit, DiskPanel, {84, 1324, 120, 12}, L"", 14, DiskInt13SectorsPerTrackLabel, kTabStop},
    {DiskInt13MaxHeadsLabel, Label, DiskPanel, {20, 1342, 62, 8}, L"Max Heads:", 0, kNoControl, 0},
    {DiskInt13MaxHeadsEdit, Edit, DiskPanel, {84, 1340, 120, 12}, L"", 15, DiskInt13MaxHeadsLabel, kTabStop},
    {DiskInt13DriveCountLabel, Label, DiskPanel, {20, 1358, 62, 8}, L"# of Drives:", 0, kNoControl, 0},
    {DiskInt13DriveCountEdit, Edit, DiskPanel, {84, 1356, 120, 12}, L"", 16, DiskInt13DriveCountLabel, kTabStop},
    {DiskExInt13BufferSizeLabel, Label, DiskPanel, {20, 1294, 62, 8}, L"Buffer Size:", 0, kNoControl, 0},
    {DiskExInt13BufferSizeEdit, Edit, DiskPanel, {84, 1292, 120, 12}, L"", 17, DiskExInt13BufferSizeLabel, kTabStop},
    {DiskExInt13FlagsLabel, Label, DiskPanel, {20, 1310, 62, 8}, L"Flags:", 0, kNoControl, 0},
    {DiskExInt13FlagsEdit, Edit, DiskPanel, {84, 1308, 120, 12}, L"", 18, DiskExInt13FlagsLabel, kTabStop},
    {DiskExInt13CylindersLabel, Label, DiskPanel, {20, 1326, 62, 8}, L"Cylinders:", 0, kNoControl, 0},
    {DiskExInt13CylindersEdit, Edit, DiskPanel, {84, 1324, 120, 12}, L"", 19, DiskExInt13CylindersLabel, kTabStop},
    {DiskExInt13HeadsLabel, Label, DiskPanel, {20, 1342, 62, 8}, L"Heads:", 0, kNoControl, 0},
    {DiskExInt13HeadsEdit, Edit, DiskPanel, {84, 1340, 120, 12}, L"", 20, DiskExInt13HeadsLabel, kTabStop},
    {DiskExInt13SectorsPerTrackLabel, Label, DiskPanel, {20, 1358, 62, 8}, L"Sectors/Track:", 0, kNoControl, 0},
    {DiskExInt13SectorsPerTrackEdit, Edit, DiskPanel, {84, 1356, 120, 12}, L"", 21, DiskExInt13SectorsPerTrackLabel, kTabStop},
    {DiskExInt13SectorsPerDriveLabel, Label, DiskPanel, {20, 1374, 62, 8}, L"Sectors/Drive:", 0, kNoControl, 0},
    {DiskExInt13SectorsPerDriveEdit, Edit, DiskPanel, {84, 1372, 120, 12}, L"", 22, DiskExInt13SectorsPerDriveLabel, kTabStop},
    {DiskExInt13SectorSizeLabel, Label, DiskPanel, {20, 1390, 62, 8}, L"Sector Size:", 0, kNoControl, 0},
    {DiskExInt13SectorSizeEdit, Edit, DiskPanel, {84, 1388, 120, 12}, L"", 23, DiskExInt13SectorSizeLabel, kTabStop},
    {DiskExInt13ReservedLabel, Label, DiskPanel, {20, 1406, 62, 8}, L"Reserved:", 0, kNoControl, 0},
    {DiskExInt13ReservedEdit, Edit, DiskPanel, {84, 1404, 120, 12}, L"", 24, DiskExInt13ReservedLabel, kTabStop},

    // "Scsi Adapter Information"
    {AdapterPanel, GroupBox, AdapterPanel, {5, 1526, 503, 346}, L"Scsi Adapter Information", 0, kNoControl, 0},
    {AdapterDeviceList, ListView, AdapterPanel, {15, 1798, 483, 64}, L"", 18, AdapterDeviceListLabel, kSingleSelection | kRowsOpenNodes},
    {AdapterDeviceListLabel, Label, AdapterPanel, {15, 1788, 120, 8}, L"Scsi Device List:", 0, kNoControl, 0},
    {AdapterDriverNameLabel, Label, AdapterPanel, {14, 1544, 54, 8}, L"Driver Name:", 0, kNoControl, 0},
    {AdapterDriverNameEdit, Edit, AdapterPanel, {70, 1542, 176, 12}, L"", 1, AdapterDriverNameLabel, kTabStop},
    {AdapterMaxTransferLengthLabel, Label, AdapterPanel, {14, 1564, 74, 8}, L"Max TXFR Len:", 0, kNoControl, 0},
    {AdapterMaxTransferLengthEdit, Edit, AdapterPanel, {90, 1562, 90, 12}, L"", 3, AdapterMaxTransferLengthLabel, kTabStop},
    {AdapterMaxPhysicalPagesLabel, Label, AdapterPanel, {14, 1580, 74, 8}, L"Max Physical Pages:", 0, kNoControl, 0},
    {AdapterMaxPhysicalPagesEdit, Edit, AdapterPanel, {90, 1578, 90, 12}, L"", 4, AdapterMaxPhysicalPagesLabel, kTabStop},
    {AdapterAsyncEventsLabel, Label, AdapterPanel, {14, 1596, 74, 8}, L"Async Events:", 0, kNoControl, 0},
    {AdapterAsyncEventsEdit, Edit, AdapterPanel, {90, 1594, 90, 12}, L"", 5, AdapterAsyncEventsLabel, kTabStop},
    {AdapterAlignmentMaskLabel, Label, AdapterPanel, {14, 1612, 74, 8}, L"Alignment Mask:", 0, kNoControl, 0},
    {AdapterAlignmentMaskEdit, Edit, AdapterPanel, {90, 1610, 90, 12}, L"", 6, AdapterAlignmentMaskLabel, kTabStop},
    {AdapterTaggedQueuingCheck, CheckBox, AdapterPanel, {196, 1563, 96, 10}, L"Tagged Queuing", 7, kNoControl, 0},
    {AdapterScansDownCheck, CheckBox, AdapterPanel, {196, 1579, 96, 10}, L"Adapter Scans Down", 8, kNoControl, 0},
    {AdapterUsesPioCheck, CheckBox, AdapterPanel, {196, 1595, 96, 10}, L"Adapter Uses PIO", 9, kNoControl, 0},
    {AdapterAcceleratedTransferCheck, CheckBox, AdapterPanel, {196, 1611, 96, 10}, L"Accelerated Transfer", 10, kNoControl, 0},
    {AdapterBusTypeLabel, Label, AdapterPanel, {308, 1564, 54, 8}, L"Bus Type:", 0, kNoControl, 0},
    {AdapterBusTypeEdit, Edit, AdapterPanel, {364, 1562, 126, 12}, L"", 11, AdapterBusTypeLabel, kTabStop},
    {AdapterBusMajorVersionLabel, Label, AdapterPanel, {308, 1580, 54, 8}, L"Bus Maj. Ver:", 0, kNoControl, 0},
    {AdapterBusMajorVersionEdit, Edit, AdapterPanel, {364, 1578, 126, 12}, L"", 12, AdapterBusMajorVersionLabel, kTabStop},
    {AdapterBusMinorVersionLabel, Label, AdapterPanel, {308, 1596, 54, 8}, L"Bus Minor Ver:", 0, kNoControl, 0},
    {AdapterBusMinorVersionEdit, Edit, AdapterPanel, {364, 1594, 126, 12}, L"", 13, AdapterBusMinorVersionLabel, kTabStop},
    {AdapterHardwareIdsLabel, Label, AdapterPanel, {24, 1654, 120, 8}, L"Hardware Ids:", 0, kNoControl, 0},
    {AdapterHardwareIdsListBox, ListBox, AdapterPanel, {24, 1664, 222, 40}, L"", 14, AdapterHardwareIdsLabel, 0},
    {AdapterCompatibleIdsLabel, Label, AdapterPanel, {267, 1654, 120, 8}, L"Compatible Ids:", 0, kNoControl, 0},
    {AdapterCompatibleIdsListBox, ListBox, AdapterPanel, {267, 1664, 222, 40}, L"", 15, AdapterCompatibleIdsLabel, 0},
    {AdapterResourcesLabel, Label, AdapterPanel, {24, 1714, 120, 8}, L"Hardware Resources:", 0, kNoControl, 0},
    {AdapterResourcesListBox, ListBox, AdapterPanel, {24, 1724, 222, 59}, L"", 16, AdapterResourcesLabel, 0},
    {AdapterDriverNodesLabel, Label, AdapterPanel, {267, 1714, 120, 8}, L"Device Node Information:", 0, kNoControl, 0},
    {AdapterDriverNodesListBox, ListBox, AdapterPanel, {267, 1724, 222, 59}, L"", 17, AdapterDriverNodesLabel, 0},
    {AdapterDeviceNameLabel, Label, AdapterPanel, {258, 1544, 54, 8}, L"Device Name:", 0, kNoControl, 0},
    {AdapterDeviceNameEdit, Edit, AdapterPanel, {314, 1542, 176, 12}, L"", 2, AdapterDeviceNameLabel, kTabStop},

    // "Scsi Device"
    {DevicePanel, GroupBox, DevicePanel, {5, 1880, 503, 364}, L"Scsi Device", 0, kNoControl, 0},
    {DeviceTypeLabel, Label, DevicePanel, {26, 1950, 68, 8}, L"Device Type:", 0, kNoControl, 0},
    {DeviceTypeQualifierLabel, Label, DevicePanel, {182, 1950, 68, 8}, L"Device Type Qual.", 0, kNoControl, 0},
    {DeviceTypeEdit, Edit, DevicePanel, {96, 1948, 80, 12}, L"", 2, DeviceTypeLabel, kTabStop},
    {DeviceTypeQualifierEdit, Edit, DevicePanel, {252, 1948, 80, 12}, L"", 3, DeviceTypeQualifierLabel, kTabStop},
    {DeviceTypeModifierLabel, Label, DevicePanel, {338, 1950, 68, 8}, L"Device Type Mod.", 0, kNoControl, 0},
    {DeviceTypeModifierEdit, Edit, DevicePanel, {408, 1948, 80, 12}, L"", 4, DeviceTypeModifierLabel, kTabStop},
    {DeviceRemovableMediaCheck, CheckBox, DevicePanel, {26, 2013, 104, 10}, L"Removable Media:", 5, kNoControl, kTextOnLeft},
    {DeviceVersionLabel, Label, DevicePanel, {26, 1965, 68, 8}, L"Version:", 0, kNoControl, 0},
    {DeviceVersionEdit, Edit, DevicePanel, {96, 1963, 80, 12}, L"", 6, DeviceVersionLabel, kTabStop},
    {DeviceResponseDataFormatLabel, Label, DevicePanel, {182, 1965, 68, 8}, L"Resp. Data Fmt.", 0, kNoControl, 0},
    {DeviceResponseDataFormatEdit, Edit, DevicePanel, {252, 1963, 80, 12}, L"", 7, DeviceResponseDataFormatLabel, kTabStop},
    {DeviceHiSupportCheck, CheckBox, DevicePanel, {142, 2013, 104, 10}, L"Hi Support:", 8, kNoControl, kTextOnLeft},
    {DeviceNormAcaCheck, CheckBox, DevicePanel, {258, 2013, 104, 10}, L"Norm ACA:", 9, kNoControl, kTextOnLeft},
    {DeviceTerminateTaskCheck, CheckBox, DevicePanel, {374, 2013, 104, 10}, L"Terminate Task:", 10, kNoControl, kTextOnLeft},
    {DeviceAercCheck, CheckBox, DevicePanel, {26, 2026, 104, 10}, L"AERC:", 11, kNoControl, kTextOnLeft},
    {DeviceAdditionalLengthLabel, Label, DevicePanel, {338, 1965, 68, 8}, L"Additional Length:", 0, kNoControl, 0},
    {DeviceAdditionalLengthEdit, Edit, DevicePanel, {408, 1963, 80, 12}, L"", 12, DeviceAdditionalLengthLabel, kTabStop},
    {DeviceAddr16Check, CheckBox, DevicePanel, {142, 2026, 104, 10}, L"Addr 16:", 13, kNoControl, kTextOnLeft},
    {DeviceAddr32Check, CheckBox, DevicePanel, {258, 2026, 104, 10}, L"Addr 32:", 14, kNoControl, kTextOnLeft},
    {DeviceAckReqQCheck, CheckBox, DevicePanel, {374, 2026, 104, 10}, L"Ack ReqQ:", 15, kNoControl, kTextOnLeft},
    {DeviceMediumChangerCheck, CheckBox, DevicePanel, {26, 2039, 104, 10}, L"Medium Changer:", 16, kNoControl, kTextOnLeft},
    {DeviceMultiPortCheck, CheckBox, DevicePanel, {142, 2039, 104, 10}, L"MultiPort:", 17, kNoControl, kTextOnLeft},
    {DeviceEnclosureServicesCheck, CheckBox, DevicePanel, {258, 2039, 104, 10}, L"Enclosure Services:", 18, kNoControl, kTextOnLeft},
    {DeviceSoftResetCheck, CheckBox, DevicePanel, {374, 2039, 104, 10}, L"Soft Reset:", 19, kNoControl, kTextOnLeft},
    {DeviceCommandQueueCheck, CheckBox, DevicePanel, {26, 2052, 104, 10}, L"Command Queue:", 20, kNoControl, kTextOnLeft},
    {DeviceTransferDisableCheck, CheckBox, DevicePanel, {142, 2052, 104, 10}, L"Transfer Disable:", 21, kNoControl, kTextOnLeft},
    {DeviceLinkedCommandsCheck, CheckBox, DevicePanel, {258, 2052, 104, 10}, L"Linked Commands:", 22, kNoControl, kTextOnLeft},
    {DeviceSynchronousCheck, CheckBox, DevicePanel, {374, 2052, 104, 10}, L"Synchronous:", 23, kNoControl, kTextOnLeft},
    {DeviceWide16BitCheck, CheckBox, DevicePanel, {26, 2065, 104, 10}, L"Wide 16 Bit:", 24, kNoControl, kTextOnLeft},
    {DeviceWide32BitCheck, CheckBox, DevicePanel, {142, 2065, 104, 10}, L"Wide 32 Bit:", 25, kNoControl, kTextOnLeft},
    {DeviceRelativeAddressingCheck, CheckBox, DevicePanel, {258, 2065, 104, 10}, L"Relative Addressing:", 26, kNoControl, kTextOnLeft},
    {DeviceVendorIdLabel, Label, DevicePanel, {26, 1980, 68, 8}, L"Vendor Id:", 0, kNoControl, 0},
    {DeviceVendorIdEdit, Edit, DevicePanel, {96, 1978, 158, 12}, L"", 27, DeviceVendorIdLabel, kTabStop},
    {DeviceProductIdLabel, Label, DevicePanel, {260, 1980, 64, 8}, L"Product Id:", 0, kNoControl, 0},
    {DeviceProductIdEdit, Edit, DevicePanel, {326, 1978, 158, 12}, L"", 28, DeviceProductIdLabel, kTabStop},
    {DeviceProductRevisionLabel, Label, DevicePanel, {26, 1995, 68, 8}, L"Prod. Rev. Lvl:", 0, kNoControl, 0},
    {DeviceProductRevisionEdit, Edit, DevicePanel, {96, 1993, 158, 12}, L"", 29, DeviceProductRevisionLabel, kTabStop},
    {DeviceVendorSpecificLabel, Label, DevicePanel, {260, 1995, 64, 8}, L"Vend Specific:", 0, kNoControl, 0},
    {DeviceVendorSpecificEdit, Edit, DevicePanel, {326, 1993, 158, 12}, L"", 30, DeviceVendorSpecificLabel, kTabStop},
    {DeviceInquiryFrame, GroupBox, DevicePanel, {18, 1933, 480, 148}, L"Device Inquiry Data:", 1, kNoControl, 0},
    {DeviceSerialNumberLabel, Label, DevicePanel, {24, 1902, 60, 8}, L"Serial Number:", 0, kNoControl, 0},
    {DeviceSerialNumberEdit, Edit, DevicePanel, {86, 1900, 260, 12}, L"", 31, DeviceSerialNumberLabel, kTabStop},
    {DeviceIdentifierListLabel, Label, DevicePanel, {15, 2094, 120, 8}, L"Device Identifier List:", 0, kNoControl, 0},
    {DeviceIdentifierList, ListView, DevicePanel, {15, 2104, 484, 132}, L"", 32, DeviceIdentifierListLabel, 0},

    // "Disk Extent"
    {ExtentPanel, GroupBox, ExtentPanel, {5, 378, 503, 346}, L"Disk Extent", 0, kNoControl, 0},
    {ExtentDiskNumberEdit, Edit, ExtentPanel, {218, 404, 161, 12}, L"", 1, ExtentDiskNumberLabel, kTabStop},
    {ExtentDiskNumberLabel, Label, ExtentPanel, {156, 406, 60, 8}, L"Disk Number:", 0, kNoControl, 0},
    {ExtentStartingOffsetEdit, Edit, ExtentPanel, {218, 420, 161, 12}, L"", 2, ExtentStartingOffsetLabel, kTabStop},
    {ExtentStartingOffsetLabel, Label, ExtentPanel, {156, 422, 60, 8}, L"Starting Offset:", 0, kNoControl, 0},
    {ExtentLengthEdit, Edit, ExtentPanel, {218, 436, 161, 12}, L"", 3, ExtentLengthLabel, kTabStop},
    {ExtentLengthLabel, Label, ExtentPanel, {156, 438, 60, 8}, L"Extent Length:", 0, kNoControl, 0},
    {ExtentChart, PieChart, ExtentPanel, {156, 476, 223, 223}, L"", 4, kNoControl, 0},

    // "Disk Partition"
    {PartitionPanel, GroupBox, PartitionPanel, {5, 734, 503, 346}, L"Disk Partition", 0, kNoControl, 0},
    {PartitionStyleFrame, GroupBox, PartitionPanel, {12, 751, 491, 108}, L"MBR Partition", 1, kNoControl, 0},
    {PartitionStartingOffsetLabel, Label, PartitionPanel, {22, 769, 60, 8}, L"Starting Offset:", 0, kNoControl, 0},
    {PartitionStartingOffsetEdit, Edit, PartitionPanel, {84, 767, 120, 12}, L"", 2, PartitionStartingOffsetLabel, kTabStop},
    {PartitionLengthLabel, Label, PartitionPanel, {22, 785, 60, 8}, L"Length:", 0, kNoControl, 0},
    {PartitionLengthEdit, Edit, PartitionPanel, {84, 783, 120, 12}, L"", 3, PartitionLengthLabel, kTabStop},
    {PartitionNumberLabel, Label, PartitionPanel, {22, 801, 60, 8}, L"Number:", 0, kNoControl, 0},
    {PartitionNumberEdit, Edit, PartitionPanel, {84, 799, 120, 12}, L"", 4, PartitionNumberLabel, kTabStop},
    {PartitionHiddenSectorsLabel, Label, PartitionPanel, {222, 769, 58, 8}, L"Hidden Sectors:", 0, kNoControl, 0},
    {PartitionHiddenSectorsEdit, Edit, PartitionPanel, {282, 767, 212, 12}, L"", 5, PartitionHiddenSectorsLabel, kTabStop},
    {PartitionMbrTypeLabel, Label, PartitionPanel, {222, 785, 58, 8}, L"Partition Type:", 0, kNoControl, 0},
    {PartitionMbrTypeEdit, Edit, PartitionPanel, {282, 783, 212, 12}, L"", 6, PartitionMbrTypeLabel, kTabStop},
    {PartitionBootIndicatorCheck, CheckBox, PartitionPanel, {222, 800, 104, 10}, L"Boot Indicator", 7, kNoControl, kTextOnLeft},
    {PartitionRecognizedCheck, CheckBox, PartitionPanel, {222, 816, 104, 10}, L"Recognized Partition:", 8, kNoControl, kTextOnLeft},
    {PartitionRewriteCheck, CheckBox, PartitionPanel, {222, 832, 104, 10}, L"Rewrite Partition:", 9, kNoControl, kTextOnLeft},
    {PartitionGptTypeLabel, Label, PartitionPanel, {222, 769, 58, 8}, L"Partition Type:", 0, kNoControl, 0},
    {PartitionGptTypeEdit, Edit, PartitionPanel, {282, 767, 212, 12}, L"", 10, PartitionGptTypeLabel, kTabStop},
    {PartitionGptIdLabel, Label, PartitionPanel, {222, 785, 58, 8}, L"Partition Id:", 0, kNoControl, 0},
    {PartitionGptIdEdit, Edit, PartitionPanel, {282, 783, 212, 12}, L"", 11, PartitionGptIdLabel, kTabStop},
    {PartitionGptAttributesLabel, Label, PartitionPanel, {222, 801, 58, 8}, L"Attributes:", 0, kNoControl, 0},
    {PartitionGptAttributesEdit, Edit, PartitionPanel, {282, 799, 212, 12}, L"", 12, PartitionGptAttributesLabel, kTabStop},
    {PartitionGptNameLabel, Label, PartitionPanel, {222, 817, 58, 8}, L"Name:", 0, kNoControl, 0},
    {PartitionGptNameEdit, Edit, PartitionPanel, {282, 815, 212, 12}, L"", 13, PartitionGptNameLabel, kTabStop},
    {PartitionChart, PieChart, PartitionPanel, {305, 869, 193, 193}, L"", 14, kNoControl, 0},

    // "Mountpoints", "Physical Disks" and "Scsi Adapters"
    {MountPointListPanel, GroupBox, MountPointListPanel, {5, 2255, 503, 346}, L"Mountpoints", 0, kNoControl, 0},
    {AllMountPointsList, ListView, MountPointListPanel, {23, 2281, 463, 272}, L"", 1, kNoControl, kSingleSelection | kRowsOpenNodes},
    {DiskListPanel, GroupBox, DiskListPanel, {5, 2612, 502, 347}, L"Physical Disks", 0, kNoControl, 0},
    {AllDisksList, ListView, DiskListPanel, {22, 2645, 463, 272}, L"", 1, kNoControl, kRowsOpenNodes},
    {AdapterListPanel, GroupBox, AdapterListPanel, {5, 2981, 502, 347}, L"Scsi Adapters", 0, kNoControl, 0},
    {AllAdaptersList, ListView, AdapterListPanel, {22, 3007, 463, 272}, L"", 1, kNoControl, kRowsOpenNodes},
}};
// clang-format on

constexpr std::array<FormPanel, 9> kPanels{{
    {KindMountPoint, MountPointPanel, "mountpoint.html"},
    {KindDiskExtent, ExtentPanel, "extent.html"},
    {KindDiskPartition, PartitionPanel, "partition.html"},
    {KindPhysicalDisk, DiskPanel, "disk.html"},
    {KindScsiAdapter, AdapterPanel, "adapter.html"},
    {KindScsiDevice, DevicePanel, "device.html"},
    {KindMountPointList, MountPointListPanel, "mountpoints.html"},
    {KindPhysicalDiskList, DiskListPanel, "physicaldisks.html"},
    {KindAdapterList, AdapterListPanel, "adapters.html"},
}};

constexpr const FormControl* Find(ControlId id) {
  for (const FormControl& c : kControls)
    if (c.id == id) return &c;
  return nullptr;
}

constexpr bool IsPanelFrame(ControlId id) {
  for (const FormPanel& p : kPanels)
    if (p.groupBox == id) return true;
  return false;
}

// What a slip in the rows above would break, checked while compiling.
constexpr bool IdsAscend() {
  for (std::size_t i = 1; i < kControls.size(); ++i)
    if (!(kControls[i - 1].id < kControls[i].id)) return false;
  return true;
}

constexpr bool PanelsAreFramesOfTheirOwn() {
  for (const FormPanel& p : kPanels) {
    const FormControl* frame = Find(p.groupBox);
    if (frame == nullptr || frame->kind != GroupBox || frame->panel != p.groupBox) return false;
  }
  for (const FormControl& c : kControls)
    if (!IsPanelFrame(c.panel)) return false;
  return true;
}

constexpr bool LabelsNameTheirNeighbours() {
  for (const FormControl& c : kControls) {
    if (c.label == kNoControl) continue;
    const FormControl* label = Find(c.label);
    if (label == nullptr || label->kind != Label || label->panel != c.panel) return false;
  }
  return true;
}

constexpr bool StylesFitTheirKinds() {
  for (const FormControl& c : kControls) {
    if ((c.style & kTextOnLeft) != 0 && c.kind != CheckBox) return false;
    if ((c.style & kSorted) != 0 && c.kind != ListBox) return false;
    if ((c.style & (kSingleSelection | kRowsOpenNodes)) != 0 && c.kind != ListView) return false;
  }
  return true;
}

static_assert(IdsAscend(), "form table: rows out of id order or an id twice");
static_assert(PanelsAreFramesOfTheirOwn(), "form table: a control outside the nine panels");
static_assert(LabelsNameTheirNeighbours(), "form table: a control named by something other than a label of its panel");
static_assert(StylesFitTheirKinds(), "form table: a style on a control of the wrong kind");

}  // namespace

std::span<const FormControl> FormControls() { return kControls; }
std::span<const FormPanel> FormPanels() { return kPanels; }
