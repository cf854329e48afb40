// The answers of drives, SCSI ports and storage-port interfaces about adapters
// and devices, formed from a described machine in the platform's layouts.
#pragma once

#include "platform/machine/machine.h"
#include "platform/recorded/storage_answers.h"

namespace answers {

// IOCTL_STORAGE_QUERY_PROPERTY on a drive; `port` is the drive's port when described.
Answer DriveProperty(const machine::Drive& d, const machine::Port* port, STORAGE_PROPERTY_ID property);
// IOCTL_STORAGE_QUERY_PROPERTY on a port or a storage-port interface.
Answer PortProperty(const machine::Port& p, STORAGE_PROPERTY_ID property);
Answer ScsiAddress(const machine::Drive& d);
Answer ScsiCapabilities(const machine::Port& p);
Answer InquiryData(const machine::Port& p);

std::vector<BYTE> DeviceDescriptorBytes(const machine::Drive& d, const machine::Port* port);
std::vector<BYTE> DeviceIdDescriptorBytes(const machine::Drive& d);

}  // namespace answers
