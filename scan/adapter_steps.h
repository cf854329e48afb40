// The adapter half of the drive scan: descriptor queries and the walk over a
// port's inquiry data.
#pragma once

#include <cstddef>
#include <functional>

#include "model/scsi_adapter_node.h"
#include "platform/platform.h"
#include "scan/answer_buffer.h"

// Reads the adapter descriptor through `device` into the adapter. False when
// the query failed with an error it does not tolerate; the node is then unchanged.
bool QueryAdapterDescriptor(Platform& platform, HANDLE device, ScsiAdapterNode& adapter);
// Reads the device descriptor and the device identifier descriptor.
bool QueryDeviceDescriptors(Platform& platform, HANDLE device, ScsiDeviceNode& deviceNode);

// Asks the port for its inquiry data, growing the buffer when the port says
// more room is needed. False when the request failed.
bool QueryInquiryData(Platform& platform, HANDLE port, AnswerBuffer& answer);
// The bus count of an inquiry answer; 0 when the answer holds no byte.
int InquiryBusCount(const AnswerBuffer& answer);
// Calls `visit` with the offset and header of every record of every bus that
// lies inside the answer. A bus entry or record outside the answer ends the
// walk of that bus, as does a next-record offset that comes back to a record
// already seen.
void WalkInquiryRecords(const AnswerBuffer& answer,
                        const std::function<void(std::size_t offset, const SCSI_INQUIRY_DATA& header)>& visit);
