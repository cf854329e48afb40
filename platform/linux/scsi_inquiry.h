// The SCSI data a port keeps about its logical units, read from or built for
// sysfs: standard INQUIRY data, the unit serial number page (VPD 0x80) and the
// device identification page (VPD 0x83) as the platform's device identifiers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/machine.h"

namespace linuxsys {

// Standard INQUIRY data is at most this long here: the fixed part and the
// vendor-specific bytes that follow it, which is all that is shown.
constexpr std::size_t kInquiryKept = 56;

struct InquiryFields {
  BYTE deviceType = 0;
  bool removable = false;
  bool commandQueueing = false;
  BYTE version = 5;  // SPC-3
  std::string vendor;
  std::string product;
  std::string revision;
};

// 36 bytes of standard INQUIRY data, the identification space-padded.
std::vector<BYTE> StandardInquiry(const InquiryFields& fields);

// The identification of INQUIRY data as stored (padding kept), `width` bytes
// from `at`, as far as the data reaches; characters outside printable ASCII
// become '?'.
std::string InquiryText(const std::vector<BYTE>& inquiry, std::size_t at, std::size_t width);

// Printable ASCII only: what a device descriptor string may hold.
std::string Printable(std::string_view text);

// The identification descriptors of a device identification page: code set,
// designator type, association and the designator, in page order. A length
// that runs past the bytes present ends the list.
std::vector<machine::Identifier> ParseIdentificationPage(std::string_view page);

// The product serial number of a unit serial number page, blanks trimmed;
// not known when the page is not one or is empty.
std::optional<std::string> ParseSerialPage(std::string_view page);

// The revision the published NVMe-to-SCSI translation gives: the last four
// characters of the firmware revision that are not blanks.
std::string NvmeRevision(std::string_view firmware);

// Hexadecimal digits with any of " -:" between them ("00 25 38 8b", a UUID)
// as bytes; not known for anything else or an odd count of digits.
std::optional<std::vector<BYTE>> HexDigits(std::string_view text);

}  // namespace linuxsys
