// A machine file: read, written back and read again, then scanned and shown.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/machine/machine_file.h"
#include "platform/machine/machine_file_parts.h"
#include "platform/machine/machine_writer.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  machine::Machine m;
  try {
    m = ParseMachine(text, "fuzz.json");
  } catch (const MachineFileError&) {
    return 0;  // refused with a message, as it should be
  }
  // Whatever the quick reader took, the library's document reads alike.
  try {
    const nlohmann::json document = ParseJsonText(text, "fuzz.json");
    if (WriteMachine(machine::ReadMachineDocument(JsonField(document, "", "fuzz.json"))) != WriteMachine(m))
      fuzz::Fail("the quick and the full reader read this file differently");
  } catch (const MachineFileError& e) {
    fuzz::Fail(std::string("read, but the full reader refuses it: ") + e.what());
  }
  fuzz::CheckRoundTrip(m);
  fuzz::ScanAndShowMachine(m, fuzz::Scans::DriveLettersThenAll);
  return 0;
}
