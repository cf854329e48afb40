// A port's inquiry answer: the bus count, one entry per bus, and each bus's
// records chained by next-record offsets. Every count and offset comes from
// the port and is checked against the bytes it returned.
#include <algorithm>
#include <array>

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
    // A record offset met twice on one bus is a cycle. A bus holds at most 255
    // records, so the offsets seen are few; a map of the whole answer per bus
    // would cost memory in proportion to what the port claims. Ports chain
    // their records forward, so only an offset not past all those seen is
    // searched for: a walk per disk over a port of many units stays linear.
    std::array<std::size_t, 255> seen{};
    std::size_t seenCount = 0;
    std::size_t furthest = 0;
    for (int unit = 0; unit < entry.NumberOfLogicalUnits; ++unit) {
      if (!answer.Contains(offset, layout::kInquiryRecordHeader)) break;
      const bool forward = seenCount == 0 || offset > furthest;
      if (!forward && std::find(seen.begin(), seen.begin() + seenCount, offset) != seen.begin() + seenCount) break;
      seen[seenCount++] = offset;
      furthest = std::max(furthest, offset);
      SCSI_INQUIRY_DATA header{};
      std::memcpy(&header, answer.At(offset), layout::kInquiryRecordHeader);
      visit(offset, header);
      offset = header.NextInquiryDataOffset;
    }
  }
}
