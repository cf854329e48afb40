// Scans of generated machines with many disks spread over storage ports, each
// port with its storage-port interface and device-manager text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"

namespace {

using nlohmann::json;

class SilentPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

// `disks` disks round-robin over `ports` SAS ports, 255 targets to a bus; one
// volume per disk, mounted by volume name.
machine::Machine PortMachine(int disks, int ports) {
  json m = {{"format", "quelbrin-machine"}, {"version", 1}};
  for (int p = 0; p < ports; ++p) {
    const std::string id = "PCI\\VEN_1000&DEV_0097\\" + std::to_string(p);
    m["adapters"].push_back({{"port", p}, {"descriptor", {{"busType", "sas"}, {"commandQueueing", true}}}});
    m["deviceInstances"].push_back(
        {{"id", id},
         {"hardwareIds", {"PCI\\VEN_1000&DEV_0097&SUBSYS_30901000", "PCI\\VEN_1000&DEV_0097"}},
         {"manufacturer", "Maker"},
         {"allocated", {{{"type", "mem"}, {"base", 0xf0000000u + p * 0x10000u}, {"end", 0xf000ffffu + p * 0x10000u}},
                        {{"type", "irq"}, {"number", 32 + p}}}},
         {"driverNodes", {{{"description", "SAS Controller"}, {"manufacturer", "Maker"}, {"provider", "Maker"},
                           {"infFile", "oem9.inf"}, {"section", "SAS_Inst"}, {"flags", 0x2044}}}},
         {"driverKey", {{"InfPath", "oem9.inf"}, {"ProviderName", "Maker"}, {"InfSection", "SAS_Inst"},
                        {"DriverDesc", "SAS Controller"}}},
         {"driverFiles", {"C:\\Windows\\system32\\drivers\\sas.sys"}}});
    m["storagePortInterfaces"].push_back(
        {{"path", "\\\\?\\pci#sas" + std::to_string(p) + "#{2accfe60-c130-11d2-b082-00a0c91efb8b}"},
         {"instance", id},
         {"adapter", p}});
  }
  for (int n = 0; n < disks; ++n) {
    const int k = n / ports;
    char serial[32];
    std::snprintf(serial, sizeof serial, "SN%08d", n);
    m["drives"].push_back(
        {{"number", n},
         {"size", 4000787030016ull},
         {"adapter", {{"port", n % ports}, {"bus", k / 255}, {"target", k % 255}}},
         {"device", {{"vendor", "SEAGATE"}, {"product", "ST4000NM0023"}, {"revision", "0004"}, {"serial", serial}}},
         {"layout",
          {{"style", "mbr"},
           {"signature", n + 1},
           {"partitions", {{{"number", 1}, {"offset", 1048576}, {"length", 4000785956864ull}}}}}}});
    const std::string id = "v" + std::to_string(n);
    m["volumes"].push_back({{"id", id}, {"fileSystem", "NTFS"}, {"partition", {{"disk", n}, {"number", 1}}}});
    char name[64];
    std::snprintf(name, sizeof name, "\\??\\Volume{00000000-0000-0000-0000-%012d}", n);
    m["mountPoints"].push_back({{"name", name}, {"volume", id}});
  }
  return ParseMachine(m.dump(), "generated");
}

void ScanPortMachine(benchmark::State& state) {
  const auto disks = static_cast<int>(state.range(0));
  const auto ports = static_cast<int>(state.range(1));
  const machine::Machine described = PortMachine(disks, ports);
  SilentPrompt prompt;
  for (auto _ : state) {
    RecordedPlatform platform(described);
    CQuelbrinDoc doc(platform, prompt, nullptr);
    doc.SetShowAllMountPoints(true);
    const bool scanned = doc.InitialScan();
    if (!scanned || doc.Model().Adapters()->children.size() != static_cast<std::size_t>(ports))
      state.SkipWithError("scan failed");
    std::size_t devices = 0;
    for (const auto& a : doc.Model().Adapters()->children) devices += a->devices.size();
    if (devices != static_cast<std::size_t>(disks)) state.SkipWithError("devices lost");
    benchmark::DoNotOptimize(doc.Model().Adapters());
  }
  state.counters["disks"] = disks;
}

BENCHMARK(ScanPortMachine)->Args({1000, 4})->Args({10000, 16})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
