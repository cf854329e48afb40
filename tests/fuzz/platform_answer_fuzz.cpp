// One answer of the platform, in a scan of a sample machine, replaced by the
// fuzz bytes: the first two bytes choose which answer (in the order the scans
// of all samples ask for them), the rest is what the platform answers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/fault_injecting_platform.h"

namespace {

// Passes every call on, numbering it; the chosen call's answer — the bytes it
// puts in the caller's buffer and the size it reports — becomes `bytes`. An
// answer larger than the caller's buffer fills it and reports that more data
// is waiting, as drivers do.
class AnswerReplacingPlatform : public FaultInjectingPlatform {
 public:
  AnswerReplacingPlatform(Platform& inner, std::optional<std::size_t> chosen, std::vector<BYTE> bytes)
      : FaultInjectingPlatform(inner), chosen_(chosen), bytes_(std::move(bytes)) {}

  // The calls whose answer carries bytes, in call order, with what a run
  // without a chosen call answered.
  struct AnswerCall {
    std::size_t index;
    std::string kind;  // the function, and the control code's name
    std::vector<BYTE> answer;
  };
  const std::vector<AnswerCall>& answerCalls() const { return answerCalls_; }

  DWORD GetLastError() override {
    if (error_ && *chosen_ + 1 == calls().size()) return *error_;
    return FaultInjectingPlatform::GetLastError();
  }

  BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                       LPDWORD returned, LPOVERLAPPED overlapped) override {
    const BOOL ok = FaultInjectingPlatform::DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
    // Kinds of answer: the code, a property query's property, and whether only the header was asked for.
    std::string kind = std::to_string(code);
    if (in != nullptr && inSize >= sizeof(DWORD)) kind += " property " + std::to_string(*static_cast<const BYTE*>(in));
    if (outSize <= 8) kind += " header";
    if (!Chosen(kind, out, ok && returned != nullptr ? *returned : 0) || out == nullptr) return ok;
    const DWORD n = Fill(out, outSize);
    if (returned != nullptr) *returned = n;
    return Answer(n < bytes_.size() ? ERROR_MORE_DATA : 0);
  }

  BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volume, LPWSTR names, DWORD length, LPDWORD returnLength) override {
    const BOOL ok = FaultInjectingPlatform::GetVolumePathNamesForVolumeNameW(volume, names, length, returnLength);
    if (!Chosen({}, names, ok && returnLength != nullptr ? *returnLength * sizeof(WCHAR) : 0) || names == nullptr) return ok;
    const DWORD units = Fill(names, length * sizeof(WCHAR)) / sizeof(WCHAR);
    const DWORD wanted = static_cast<DWORD>(bytes_.size() / sizeof(WCHAR));
    if (returnLength != nullptr) *returnLength = wanted;
    return Answer(units < wanted ? ERROR_MORE_DATA : 0);
  }

  DWORD QueryDosDeviceW(LPCWSTR name, LPWSTR target, DWORD maxChars) override {
    const DWORD ok = FaultInjectingPlatform::QueryDosDeviceW(name, target, maxChars);
    if (!Chosen({}, target, ok * sizeof(WCHAR)) || target == nullptr) return ok;
    const DWORD units = Fill(target, maxChars * sizeof(WCHAR)) / sizeof(WCHAR);
    Answer(units == 0 ? ERROR_INSUFFICIENT_BUFFER : 0);
    return units;
  }

  BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, PDWORD type,
                                         PBYTE buffer, DWORD size, PDWORD required) override {
    const BOOL ok =
        FaultInjectingPlatform::SetupDiGetDeviceRegistryPropertyW(set, device, property, type, buffer, size, required);
    if (!Chosen(std::to_string(property), buffer, ok && required != nullptr ? std::min(*required, size) : 0)) return ok;
    const DWORD n = buffer != nullptr ? Fill(buffer, size) : 0;
    if (required != nullptr) *required = static_cast<DWORD>(bytes_.size());
    return Answer(n < bytes_.size() ? ERROR_INSUFFICIENT_BUFFER : 0);
  }

  CONFIGRET CM_Get_Res_Des_Data_Ex(RES_DES resDes, PVOID buffer, ULONG length, ULONG flags, HMACHINE machine) override {
    const CONFIGRET r = FaultInjectingPlatform::CM_Get_Res_Des_Data_Ex(resDes, buffer, length, flags, machine);
    if (!Chosen({}, buffer, r == CR_SUCCESS ? length : 0) || buffer == nullptr) return r;
    Fill(buffer, length);
    return CR_SUCCESS;
  }

  LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, BYTE* data,
                           LPDWORD size) override {
    const LSTATUS r = FaultInjectingPlatform::RegQueryValueExW(key, name, reserved, type, data, size);
    if (!Chosen({}, data, r == ERROR_SUCCESS && data != nullptr && size != nullptr ? *size : 0) || size == nullptr) return r;
    const DWORD room = *size;
    *size = static_cast<DWORD>(bytes_.size());
    if (data == nullptr) return ERROR_SUCCESS;
    return Fill(data, room) < bytes_.size() ? ERROR_MORE_DATA : ERROR_SUCCESS;
  }

 private:
  // Whether the call just numbered is the chosen one. A run without a chosen
  // call notes every answer call instead, with the `n` bytes it answered at `out`.
  bool Chosen(const std::string& kind, const void* out, std::size_t n) {
    error_.reset();
    if (chosen_) return *chosen_ + 1 == calls().size();
    AnswerCall a{calls().size() - 1, calls().back().function + " " + kind, {}};
    if (out != nullptr) a.answer.assign(static_cast<const BYTE*>(out), static_cast<const BYTE*>(out) + n);
    answerCalls_.push_back(std::move(a));
    return false;
  }
  DWORD Fill(void* out, std::size_t room) {
    const std::size_t n = std::min(room, bytes_.size());
    if (n > 0) std::memcpy(out, bytes_.data(), n);
    return static_cast<DWORD>(n);
  }
  BOOL Answer(DWORD error) {
    if (error != 0) error_ = error;
    return error == 0;
  }

  std::optional<std::size_t> chosen_;
  std::vector<BYTE> bytes_;
  std::optional<DWORD> error_;
  std::vector<AnswerCall> answerCalls_;
};

struct Sample {
  machine::Machine machine;
  std::vector<AnswerReplacingPlatform::AnswerCall> answerCalls;
};

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = [] {
    std::vector<Sample> out;
    for (const char* name : {"samples/workstation.json", "samples/server.json", "samples/failing-layout.json"}) {
      Sample s{ParseMachine(fuzz::SourceFile(name), name), {}};
      RecordedPlatform recorded(s.machine);
      AnswerReplacingPlatform counting(recorded, std::nullopt, {});
      fuzz::ScanAndShowAll(counting, fuzz::Scans::All);
      s.answerCalls = counting.answerCalls();
      out.push_back(std::move(s));
    }
    return out;
  }();
  return samples;
}

}  // namespace

// With QUELBRIN_FUZZ_WRITE_SEEDS=DIR, writes the seed corpus to DIR and ends:
// the first answer of each kind of every sample, as the platform gave it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* dir = std::getenv("QUELBRIN_FUZZ_WRITE_SEEDS");
  if (dir == nullptr) return 0;
  std::size_t base = 0;
  for (const Sample& s : Samples()) {
    std::set<std::string> kinds;
    for (std::size_t i = 0; i < s.answerCalls.size(); ++i) {
      const auto& a = s.answerCalls[i];
      if (!kinds.insert(a.kind).second) continue;
      const std::size_t choice = base + i;
      std::ofstream out(std::string(dir) + "/" + std::to_string(choice), std::ios::binary);
      out.put(static_cast<char>(choice & 0xFF)).put(static_cast<char>(choice >> 8));
      out.write(reinterpret_cast<const char*>(a.answer.data()), static_cast<std::streamsize>(a.answer.size()));
    }
    base += s.answerCalls.size();
  }
  std::fprintf(stderr, "%zu answer calls in all\n", base);
  std::exit(0);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::vector<Sample>& samples = Samples();
  std::size_t choice = static_cast<std::size_t>(data[0] | (data[1] << 8));
  std::size_t total = 0;
  for (const Sample& s : samples) total += s.answerCalls.size();
  choice %= total;
  for (const Sample& s : samples) {
    if (choice >= s.answerCalls.size()) {
      choice -= s.answerCalls.size();
      continue;
    }
    RecordedPlatform recorded(s.machine);
    AnswerReplacingPlatform platform(recorded, s.answerCalls[choice].index, std::vector<BYTE>(data + 2, data + size));
    fuzz::ScanAndShowAll(platform, fuzz::Scans::All);
    if (recorded.OpenHandleCount() != 0) fuzz::Fail("handles left open after the document closed");
    break;
  }
  return 0;
}
