// The terminal program's tree and show commands, and the naming of nodes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/wide_text.h"
#include "tests/support/cli_run.h"
#include "tests/support/presentation_fixture.h"
#include "ui/detailed_form.h"
#include "ui/form_layout.h"
#include "ui/text/form_printer.h"
#include "ui/text/node_lookup.h"
#include "ui/text/tree_printer.h"

namespace {

std::size_t Columns(const std::string& utf8Line) { return WideFromUtf8(utf8Line).size(); }

std::string PanelTitleOfKind(NodeKind kind) { return Utf8FromWide(PanelOfKind(kind)->title); }

}  // namespace

TEST(CliTree, PrintsTheTreeOfTheTreePane) {
  const CliRun run = RunCli({"--machine", SamplePath("workstation.json"), "tree"});
  EXPECT_EQ(run.status, 0);
  const std::string expected =
      "Mountpoints\n"
      "  \\DosDevices\\C:\n"
      "    Disk Extent 0 1f500000-3200000000\n"
      "      DP(2)1f500000-3200000000\n"
      "        PhysicalDrive0\n"
      "          Scsi2\n"
      "            Bus0,Target0,Lun0\n"
      "  \\DosDevices\\D:\n"
      "    Disk Extent 0 7500000-e8d97ac000\n"
      "      DP(3)7500000-e8d97ac000\n"
      "        PhysicalDrive1\n"
      "          Scsi2\n"
      "            Bus0,Target1,Lun0\n"
      "  \\DosDevices\\F:\n"
      "    Disk Extent 0 321f600000-97ef56000\n"
      "      DP(3)321f600000-97ef56000\n"
      "        PhysicalDrive0\n"
      "          Scsi2\n"
      "            Bus0,Target0,Lun0\n"
      "  \\DosDevices\\S:\n"
      "    Disk Extent 0 7e00-7470a00200\n"
      "      DP(1)7e00-7470a00200\n"
      "        PhysicalDrive2\n"
      "          Scsi3\n"
      "            Bus0,Target0,Lun0\n"
      "    Disk Extent 1 7e00-5d21dba000\n"
      "      DP(1)7e00-7470980400\n"
      "        PhysicalDrive3\n"
      "          Scsi3\n"
      "            Bus0,Target1,Lun0\n"
      "  \\DosDevices\\E:\n"
      "  \\DosDevices\\U:\n"
      "    Disk Extent 0 100000-3ba200000\n"
      "      DP(1)100000-3ba200000\n"
      "        PhysicalDrive4\n"
      "          UsbStorage\n"
      "            Usb Disk\n"
      "  \\DosDevices\\W:\n"
      "    Disk Extent 0 100000-7470b06000\n"
      "      DP(1)100000-7470b06000\n"
      "        PhysicalDrive5\n"
      "          1394Storage\n"
      "            1394 Disk\n"
      "Physical Disks\n"
      "  PhysicalDrive0\n"
      "    Scsi2\n"
      "      Bus0,Target0,Lun0\n"
      "  PhysicalDrive1\n"
      "    Scsi2\n"
      "      Bus0,Target1,Lun0\n"
      "  PhysicalDrive2\n"
      "    Scsi3\n"
      "      Bus0,Target0,Lun0\n"
      "  PhysicalDrive3\n"
      "    Scsi3\n"
      "      Bus0,Target1,Lun0\n"
      "  PhysicalDrive4\n"
      "    UsbStorage\n"
      "      Usb Disk\n"
      "  PhysicalDrive5\n"
      "    1394Storage\n"
      "      1394 Disk\n"
      "Adapters\n"
      "  Scsi2\n"
      "    Bus0,Target0,Lun0\n"
      "    Bus0,Target1,Lun0\n"
      "  Scsi3\n"
      "    Bus0,Target0,Lun0\n"
      "    Bus0,Target1,Lun0\n"
      "  UsbStorage\n"
      "    Usb Disk\n"
      "  1394Storage\n"
      "    1394 Disk\n";
  EXPECT_EQ(run.out, expected);
}

TEST(CliTree, AStoppedScanPrintsWhatWasScannedAndFails) {
  const CliRun run = RunCli({"--machine", SamplePath("failing-layout.json"), "tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("Mountpoints\n  \\DosDevices\\C:\n", 0), 0u);
  EXPECT_NE(run.err.find("IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error"), std::string::npos);
}

TEST(CliShow, EveryNodeOfEverySampleFitsEightyColumns) {
  for (const std::string& sampleName : AllSampleNames()) {
    for (bool all : {false, true}) {
      ScannedSample sample(sampleName, all);
      const auto named = NameableNodes(sample.doc);
      ASSERT_FALSE(named.empty()) << sampleName;
      for (const NamedNode& entry : named) {
        DetailedForm view(sample.doc, nullptr);
        view.OnUpdate(HintSelectNode, entry.node);
        std::ostringstream out;
        PrintForm(view.Form(), out);
        const std::string text = out.str();
        const std::string where = sampleName + ": " + Utf8FromWide(entry.path);
        // The panel of the node's kind; adapters and devices retitle theirs.
        if (entry.node->kind != KindScsiAdapter && entry.node->kind != KindScsiDevice) {
          EXPECT_EQ(text.rfind(PanelTitleOfKind(entry.node->kind) + "\n", 0), 0u) << where;
        }
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(Columns(line), 80u) << where << "\n" << line;
        // The path names exactly this node.
        EXPECT_EQ(FindNode(sample.doc, Utf8FromWide(entry.path)).node, entry.node) << where;
      }
    }
  }
}

TEST(CliShow, PrintsLabelsChecksTablesAndSlices) {
  const CliRun run = RunCli({"--machine", SamplePath("workstation.json"), "show", "Physical Disks/PhysicalDrive3"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string expected =
      "Disk Information\n"
      "================\n"
      "Disk Size:        7470988200\n"
      "Cylinders:        ed81\n"
      "Media Type:       Fixed hard disk media.\n"
      "Tracks/Cylinder:  000000ff\n"
      "Sectors/Track:    0000003f\n"
      "Bytes/Sector:     00000200\n"
      "\n"
      "MBR Partition\n"
      "  Signature:        00000000\n"
      "  Checksum:         00000000\n"
      "\n"
      "DetectNone\n"
      "\n"
      "Disk Partition Allocation\n"
      "  99% Partition 1 \xE2\x80\x94 99%\n"
      "  1% Unallocated \xE2\x80\x94 1%\n"
      "\n"
      "Disk Partition List:\n"
      "  Style  Number  Starting Offset  Length      ReWrite  Type\n"
      "  -----  ------  ---------------  ----------  -------  -------------\n"
      "  MBR    1       7e00             7470980400  FALSE    PARTITION_LDM\n";
  EXPECT_EQ(run.out, expected);

  const CliRun partition = RunCli({"--machine", SamplePath("workstation.json"), "--all-mount-points", "show",
                                "Mountpoints/\\??\\Volume{3f1b2c4d-0000-0000-0000-501f00000000}/Disk Extent 0 "
                                "100000-1f400000/DP(1)100000-1f400000"});
  EXPECT_EQ(partition.status, 0) << partition.err;
  EXPECT_NE(partition.out.find("  Boot Indicator         [x]\n"), std::string::npos);
  EXPECT_NE(partition.out.find("  Rewrite Partition:     [ ]\n"), std::string::npos);
}

TEST(CliShow, NamesThatFitNoneOrSeveralNodes) {
  ScannedSample sample("workstation.json");
  EXPECT_EQ(FindNode(sample.doc, "PhysicalDrive2").node, &sample.Disk(2));
  EXPECT_EQ(FindNode(sample.doc, "Mountpoints").node, sample.doc.Model().MountPoints());
  EXPECT_EQ(FindNode(sample.doc, "Physical Disks/").node, sample.doc.Model().PhysicalDisks());
  EXPECT_EQ(FindNode(sample.doc, "physicaldrive2").node, &sample.Disk(2));
  // A partition listed in both forms: its name fits two nodes.
  const NodeLookup twice = FindNode(sample.doc, "DP(1)100000-1f400000");
  EXPECT_EQ(twice.node, nullptr);
  EXPECT_NE(twice.error.find("Physical Disks/PhysicalDrive0/DP(1)100000-1f400000#2"), std::string::npos);
  EXPECT_EQ(FindNode(sample.doc, "Physical Disks/PhysicalDrive0/DP(1)100000-1f400000#2").node,
            &sample.Partition(0, L"DP(1)100000-1f400000", false));
  // The extended partition 2 also stands in the tree; below its disk it shares a path.
  EXPECT_EQ(FindNode(sample.doc, "Physical Disks/PhysicalDrive0/DP(2)1f500000-3200000000#1").node,
            &sample.Partition(0, L"DP(2)1f500000-3200000000", true));

  const CliRun unknown = RunCli({"--machine", SamplePath("workstation.json"), "show", "C:"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  const std::string message = "quelbrin-cli: no node is named 'C:'. Close matches:\n  Mountpoints/\\DosDevices\\C:\n";
  ASSERT_GE(unknown.err.size(), message.size());
  EXPECT_EQ(unknown.err.substr(unknown.err.size() - message.size()), message);
  const CliRun typo = RunCli({"--machine", SamplePath("workstation.json"), "show", "PhysicalDrve3"});
  EXPECT_EQ(typo.status, 2);
  EXPECT_NE(typo.err.find("Close matches:\n  Physical Disks/PhysicalDrive3\n"), std::string::npos);
  // Volume names are mount points only with --all-mount-points.
  const std::string volume = "\\??\\Volume{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}";
  EXPECT_EQ(RunCli({"--machine", SamplePath("workstation.json"), "show", volume}).status, 2);
  const CliRun all = RunCli({"--machine", SamplePath("workstation.json"), "--all-mount-points", "show", volume});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out.rfind("Mount Point Information\n", 0), 0u);
}

TEST(CliShow, UsageErrors) {
  EXPECT_EQ(RunCli({"--machine", SamplePath("workstation.json"), "show"}).status, 2);
  EXPECT_EQ(RunCli({"--machine", SamplePath("workstation.json"), "show", "a", "b"}).status, 2);
  EXPECT_EQ(RunCli({"--machine", SamplePath("workstation.json"), "--svg", "x", "tree"}).status, 2);
  EXPECT_EQ(RunCli({"--machine", SamplePath("workstation.json"), "tree", "extra"}).status, 2);
}

TEST(CliShow, WritesTheChartsAsSvg) {
  const auto dir = std::filesystem::temp_directory_path() / ("quelbrin-svg-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  const CliRun run = RunCli({"--machine", SamplePath("workstation.json"), "show", "--svg", dir.string(),
                          "\\DosDevices\\S:"});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto file = dir / "extent-size-vs-volume-size.svg";
  ASSERT_TRUE(std::filesystem::exists(file));
  std::string svg;
  {
    // Closed before the folder is removed: Windows removes no open file.
    std::ifstream in(file);
    svg.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_NE(svg.find(">55% Extent 2</text>"), std::string::npos);
  EXPECT_NE(svg.find(">44% Extent 3</text>"), std::string::npos);
  EXPECT_NE(svg.find("width=\"255\" height=\"276\""), std::string::npos);
  EXPECT_NE(run.err.find("wrote "), std::string::npos);
  // A panel without a chart writes nothing.
  const CliRun list = RunCli({"--machine", SamplePath("workstation.json"), "show", "--svg", dir.string(), "Mountpoints"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  std::filesystem::remove_all(dir);
}

// Labels from a machine file reach the terminal with their control characters
// made visible, in the panel and in the columns of its lists.
TEST(CliShow, ControlCharactersFromTheMachineAreShownNotSent) {
  std::ifstream in(SamplePath("workstation.json"));
  std::string machine(std::istreambuf_iterator<char>(in), {});
  const std::string from = "\"label\": \"Windows\"";
  ASSERT_NE(machine.find(from), std::string::npos);
  machine.replace(machine.find(from), from.size(), "\"label\": \"Win\\u001b[31mdows\\u0007\\u009b2J\"");
  const auto file = std::filesystem::temp_directory_path() / ("quelbrin-controls-" + std::to_string(::getpid()) + ".json");
  std::ofstream(file) << machine;
  const CliRun show = RunCli({"--machine", file.string(), "show", "\\DosDevices\\C:"});
  const CliRun list = RunCli({"--machine", file.string(), "show", "Mountpoints"});
  std::filesystem::remove(file);

  for (const CliRun* run : {&show, &list}) {
    EXPECT_EQ(run->status, 0) << run->err;
    const std::wstring wide = WideFromUtf8(run->out);
    EXPECT_TRUE(std::none_of(wide.begin(), wide.end(),
                             [](wchar_t c) { return (c < 0x20 && c != L'\n') || (c >= 0x7F && c < 0xA0); }))
        << run->out;
  }
  EXPECT_NE(show.out.find("Volume Label:         Win\\x1b[31mdows\\x07\\x9b2J\n"), std::string::npos) << show.out;
  EXPECT_NE(list.out.find("Label:          Win\\x1b[31mdows\\x07\\x9b2J\n"), std::string::npos) << list.out;
}
