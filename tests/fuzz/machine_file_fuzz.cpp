// A machine file: read, written back and read again, then scanned and shown.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/machine/machine_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  machine::Machine m;
  try {
    m = ParseMachine(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json");
  } catch (const MachineFileError&) {
    return 0;  // refused with a message, as it should be
  }
  fuzz::CheckRoundTrip(m);
  fuzz::ScanAndShowMachine(m, fuzz::Scans::DriveLettersThenAll);
  return 0;
}
