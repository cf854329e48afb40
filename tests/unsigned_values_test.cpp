// Unsigned quantities at the top of their range are shown as the numbers they
// are, never as negative ones.
#include <gtest/gtest.h>

#include "tests/support/scan_harness.h"
#include "ui/control_ids.h"
#include "ui/form_state.h"
#include "ui/panels.h"

TEST(UnsignedValues, TheTopOfEachRangeIsShownInFull) {
  ScanHarness h(MachineJson(R"(
    "drives": [{"number": 4294967295, "size": "0xffffffffffffffff", "adapter": {"port": 2},
                "layout": {"partitions": [{"number": 2147483649, "offset": 1048576, "length": 1073741824,
                                           "hiddenSectors": "0x80000000"}]}}],
    "volumes": [{"id": "v", "maxComponentLength": "0xffffffff", "partition": {"disk": 4294967295, "number": 2147483649}}],
    "mountPoints": [{"name": "\\DosDevices\\C:", "volume": "v"}],
    "adapters": [{"port": 2}],
    "deviceInstances": [{"id": "PCI\\PORT2", "driverNodes": [{"description": "Controller", "rank": "0xffffffff"}]}],
    "storagePortInterfaces": [{"path": "\\\\?\\port2", "instance": "PCI\\PORT2", "adapter": 2}])"));
  ASSERT_TRUE(h.InitialScan());
  const MountPointNode* c = h.MountPoint(L"\\DosDevices\\C:");
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->extents.size(), 1u);
  const DiskExtentNode& extent = *c->extents[0];
  ASSERT_NE(extent.partition, nullptr);
  const ScsiAdapterNode& adapter = *h.doc->Model().Adapters()->children.at(0);

  FormState mountPoint, extentPanel, partition, disks, adapterPanel;
  ShowMountPoint(mountPoint, *c);
  ShowDiskExtent(extentPanel, extent);
  ShowDiskPartition(partition, *extent.partition);
  ShowPhysicalDiskList(disks, *h.doc->Model().PhysicalDisks());
  ShowScsiAdapter(adapterPanel, adapter);
  auto lineStarting = [&adapterPanel](const std::wstring& start) {
    for (const std::wstring& line : adapterPanel.ListBox(ControlId::AdapterDriverNodesListBox).lines) {
      if (line.rfind(start, 0) == 0) return line;
    }
    return std::wstring();
  };

  struct Shown {
    const char* what;
    std::wstring shown;
    std::wstring expected;
  };
  const std::vector<Shown> cases = {
      {"maximum component length", mountPoint.Edit(ControlId::MountPointMaxNameLengthEdit), L"4294967295"},
      {"MBR hidden sectors", mountPoint.Edit(ControlId::MountPointHiddenSectorsEdit), L"2147483648"},
      {"partition number", mountPoint.Edit(ControlId::MountPointPartitionNumberEdit), L"2147483649"},
      {"extent's disk number", mountPoint.List(ControlId::MountPointExtentList).rows.at(0).cells.at(1), L"4294967295"},
      {"extent's chart label", mountPoint.Chart(ControlId::MountPointChart).slices.at(0).label, L"100% Extent 4294967295"},
      {"extent panel's disk number", extentPanel.Edit(ControlId::ExtentDiskNumberEdit), L"4294967295"},
      {"partition panel's number", partition.Edit(ControlId::PartitionNumberEdit), L"2147483649"},
      {"disk name", disks.List(ControlId::AllDisksList).rows.at(0).cells.at(0), L"PhysicalDrive4294967295"},
      {"disk size of 2^64 - 1 bytes", disks.List(ControlId::AllDisksList).rows.at(0).cells.at(1), L"BIG disk"},
      {"partition name", extent.partition->GetName().substr(0, 14), L"DP(2147483649)"},
      {"driver node rank", lineStarting(L"Driver node rank"), L"Driver node rank is 4294967295"},
  };
  for (const Shown& s : cases) EXPECT_EQ(s.shown, s.expected) << s.what;
}
