// A port's inquiry answer: the bus count, one entry per bus, and each bus's
// records chained by next-record offsets. Every count and offset comes from
// the port and is checked against the bytes it returned.
#include <vector>

#include "scan/adapter_steps.h"
#include "scan/growing_request.h"

bool QueryInquiryData(Platform& platform, HANDLE port, AnswerBuffer& answer) {
  if (!answer.Allocate(layout::kInquiryBufferBytes)) return false;
  // The inquiry answer does not say how much room it needs; the buffer doubles.
  const NeededBytes unknown;
  return SendGrowingRequest(platform, port, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, answer, unknown);
}

int InquiryBusCount(const AnswerBuffer& answer) { return answer.Read<UCHAR>(0); }

void WalkInquiryRecords(const AnswerBuffer& answer,
                        const std::function<void(std::size_t offset, const SCSI_INQUIRY_DATA& header)>& visit) {
  const int buses = InquiryBusCount(answer);
  for (int bus = 0; bus < buses; ++bus) {
    const std::size_t entryAt = layout::kBusInfoHeader + static_cast<std::size_t>(bus) * sizeof(SCSI_BUS_DATA);
    if (!answer.Contains(entryAt, sizeof(SCSI_BUS_DATA))) return;
    const auto entry = answer.Read<SCSI_BUS_DATA>(entryAt);
    std::size_t offset = entry.InquiryDataOffset;
    // One flag per byte of the answer: a record offset met twice is a cycle.
    std::vector<bool> seen(answer.valid(), false);
    for (int unit = 0; unit < entry.NumberOfLogicalUnits; ++unit) {
      if (!answer.Contains(offset, layout::kInquiryRecordHeader) || seen[offset]) break;
      seen[offset] = true;
      SCSI_INQUIRY_DATA header{};
      std::memcpy(&header, answer.At(offset), layout::kInquiryRecordHeader);
      visit(offset, header);
      offset = header.NextInquiryDataOffset;
    }
  }
}
