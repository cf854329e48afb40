// How the scan grows with the machine: recorded machines of many mount points,
// each a volume on its own MBR disk with one partition.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "scan/quelbrin_doc.h"

namespace {

class SilentPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

constexpr ULONGLONG kPartitionOffset = 1048576;
constexpr ULONGLONG kPartitionLength = 1073741824;

std::wstring VolumeName(int i) {
  wchar_t name[64];
  std::swprintf(name, 64, L"\\??\\Volume{%08x-0000-0000-0000-000000000000}", i);
  return name;
}

machine::Machine BuildMachine(int count) {
  machine::Machine m;
  m.drives.reserve(count);
  m.volumes.reserve(count);
  m.mountPoints.reserve(count);
  for (int i = 0; i < count; ++i) {
    machine::PartitionRecord p;
    p.number = 1;
    p.offset = kPartitionOffset;
    p.length = kPartitionLength;
    p.type = 0x07;
    machine::Drive d;
    d.number = static_cast<DWORD>(i);
    d.size = 2 * kPartitionLength;
    d.geometry.Cylinders.QuadPart = static_cast<LONGLONG>(d.size / (255ull * 63 * 512));
    d.geometry.MediaType = FixedMedia;
    d.geometry.TracksPerCylinder = 255;
    d.geometry.SectorsPerTrack = 63;
    d.geometry.BytesPerSector = 512;
    d.layout.signature = 0x10000000u + static_cast<DWORD>(i);
    d.layout.partitions.push_back(p);
    m.drives.push_back(std::move(d));

    machine::Volume v;
    v.id = "v" + std::to_string(i);
    v.label = L"Volume " + std::to_wstring(i);
    v.fileSystem = L"NTFS";
    v.partition = p;
    v.extents.push_back(machine::Extent{static_cast<DWORD>(i), p.offset, p.length});
    v.totalBytes = p.length;
    m.volumes.push_back(std::move(v));

    machine::MountPoint mp;
    mp.symbolicLink = VolumeName(i);
    mp.deviceName = L"\\Device\\HarddiskVolume" + std::to_wstring(i + 1);
    mp.uniqueId = {1, 2, 3, 4, 0, 0, 0x10, 0, 0, 0, 0, 0};
    mp.volume = m.volumes.back().id;
    m.mountPoints.push_back(std::move(mp));
  }
  return m;
}

std::string MachineFileText(int count) {
  std::string text = R"({"format": "quelbrin-machine", "version": 1, "drives": [)";
  for (int i = 0; i < count; ++i) {
    text += std::string(i ? "," : "") + R"({"number": )" + std::to_string(i) +
            R"(, "size": 2147483648, "layout": {"partitions": [{"number": 1, "offset": 1048576, "length": 1073741824}]}})";
  }
  text += R"(], "volumes": [)";
  for (int i = 0; i < count; ++i) {
    text += std::string(i ? "," : "") + R"({"id": "v)" + std::to_string(i) + R"(", "label": "Volume", "fileSystem": "NTFS", "partition": {"disk": )" +
            std::to_string(i) + R"(, "number": 1}})";
  }
  text += R"(], "mountPoints": [)";
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (wchar_t c : VolumeName(i)) name += c == L'\\' ? std::string("\\\\") : std::string(1, static_cast<char>(c));
    text += std::string(i ? "," : "") + R"({"name": ")" + name + R"(", "volume": "v)" + std::to_string(i) + R"("})";
  }
  return text + "]}";
}

// The described machine and the recorded platform over it.
void BM_BuildMachine(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    RecordedPlatform platform(BuildMachine(count));
    benchmark::DoNotOptimize(platform.description().volumes.data());
  }
  state.SetComplexityN(count);
}

// The same machine read from its machine file.
void BM_ParseMachineFile(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string text = MachineFileText(count);
  for (auto _ : state) {
    machine::Machine m = ParseMachine(text, "generated.json");
    benchmark::DoNotOptimize(m.volumes.data());
  }
  state.SetComplexityN(count);
}

// The first scan of a document, with every mount point kept.
void BM_InitialScan(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const machine::Machine description = BuildMachine(count);
  SilentPrompt prompt;
  for (auto _ : state) {
    state.PauseTiming();
    auto platform = std::make_unique<RecordedPlatform>(description);
    state.ResumeTiming();
    {
      CQuelbrinDoc doc(*platform, prompt, nullptr);
      doc.SetShowAllMountPoints(true);
      if (!doc.InitialScan() || doc.Model().MountPoints()->children.size() != static_cast<std::size_t>(count)) {
        state.SkipWithError("the scan did not keep every mount point");
        break;
      }
    }
    state.PauseTiming();
    platform.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(count);
}

}  // namespace

BENCHMARK(BM_BuildMachine)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ParseMachineFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_InitialScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
