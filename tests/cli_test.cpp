// quelbrin-cli as a user runs it: exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/wide_text.h"
#include "tests/support/cli_run.h"

namespace {

std::string Sample(const std::string& name) {
  return ShellQuote(std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(Cli, TreeOfTheWorkstation) {
  const CliRun r = RunCliLine("--machine " + Sample("workstation.json") + " tree");
  EXPECT_EQ(r.status, 0) << r.err;
  // stderr holds only the diagnostic lines of the storage-port interfaces being opened.
  std::istringstream errLines(r.err);
  for (std::string line; std::getline(errLines, line);) EXPECT_EQ(line.rfind("Attempting to open ", 0), 0u) << line;
  EXPECT_EQ(r.out.rfind("Mountpoints\n", 0), 0u);
  EXPECT_TRUE(Contains(r.out, "\nPhysical Disks\n"));
  EXPECT_TRUE(Contains(r.out, "\nAdapters\n"));
  EXPECT_TRUE(Contains(r.out, "\\DosDevices\\C:"));
  EXPECT_FALSE(Contains(r.out, "\\??\\Volume{"));

  const CliRun all = RunCliLine("--all-mount-points --machine=" + Sample("workstation.json") + " tree");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(Contains(all.out, "\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}"));
}

TEST(Cli, StoppedScanPrintsWhatWasScannedAndTheMessage) {
  const CliRun r = RunCliLine("--machine " + Sample("failing-layout.json") + " tree");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error\n")) << r.err;
  EXPECT_TRUE(Contains(r.err, "1117")) << r.err;
  EXPECT_TRUE(Contains(r.out, "\\DosDevices\\C:"));
  EXPECT_FALSE(Contains(r.out, "\\DosDevices\\G:"));
  EXPECT_TRUE(Contains(r.out, "PhysicalDrive0"));
  EXPECT_FALSE(Contains(r.out, "PhysicalDrive1"));
}

TEST(Cli, EveryMalformedMachineFileEndsInStatusTwoNamingWhereAndWhat) {
  const std::string dir = testing::TempDir() + "/bad_" + std::to_string(getpid());
  std::filesystem::create_directories(dir + "/a-directory.json");
  const std::string machine = R"({"format": "quelbrin-machine", "version": 1})";
  const std::string deep(50000, '[');
  struct Case {
    const char* what;
    std::string file;  // written to `name` unless empty
    std::string name;
    std::string mention;  // after "quelbrin-cli: <path>"
  };
  std::vector<Case> cases = {
      {"a field out of range",
       R"({"format": "quelbrin-machine", "version": 1,
           "drives": [{"number": 0, "size": 1}, {"number": 1, "size": 1,
                        "layout": {"partitions": [{"number": 1, "offset": -5, "length": 1}]}}]})",
       "range.json", ": drives[1].layout.partitions[0].offset: expected an unsigned 64-bit number"},
      {"nesting that would exhaust the stack", deep + std::string(50000, ']'), "deep.json",
       ":1:101: objects and arrays nested more than 100 deep"},
      {"deep nesting in a field of the wrong type",
       R"({"format": "quelbrin-machine", "version": 1, "drives": [{"number": )" + deep, "deep-field.json",
       ":1:165: objects and arrays nested more than 100 deep"},
      {"nesting within the limit in a field of the wrong type",
       R"({"format": "quelbrin-machine", "version": )" + std::string(90, '[') + std::string(90, ']') + "}",
       "nested-field.json", ": version: expected an unsigned 32-bit number (decimal, or \"0x\" hex), found array [[[["},
      {"a number beyond a double", R"({"format": "quelbrin-machine", "version": 1e999})", "huge.json",
       ":1:43: a number out of range: 1e999"},
      {"a NUL byte with garbage after it", machine + std::string(1, '\0') + "garbage", "nul-byte.json",
       ":1:45: not valid JSON: a NUL byte"},
      {"garbage after the object", machine + "garbage", "garbage.json", ":1:45: not valid JSON"},
      {"a directory", "", "a-directory.json", ": is a directory, not a machine file"},
      {"a missing file", "", "missing.json", ": cannot open the machine file"},
  };
#ifdef __linux__
  cases.push_back({"an endless file", "", "/dev/zero", ": larger than 64 MiB"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.name[0] == '/' ? c.name : dir + "/" + c.name;
    if (!c.file.empty()) std::ofstream(path, std::ios::binary) << c.file;
    const CliRun r = RunCliLine("--machine " + ShellQuote(path) + " tree");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(Contains(r.err, "quelbrin-cli: " + path + c.mention)) << r.err;
  }
  std::filesystem::remove_all(dir);
}

TEST(Cli, UnopenableMountPointManagerIsNotAnEmptySuccess) {
  const std::string file = testing::TempDir() + "/closed_" + std::to_string(getpid()) + ".json";
  {
    std::ofstream f(file);
    f << R"({"format": "quelbrin-machine", "version": 1, "mountPointManager": {"fail": {"open": 5}}})";
  }
  const CliRun r = RunCliLine("--machine " + ShellQuote(file) + " tree");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "mount point manager cannot be opened")) << r.err;
  std::remove(file.c_str());
}

TEST(Cli, HelpListsExactlyWhatIsAccepted) {
  const CliRun help = RunCliLine("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.err.empty());
  EXPECT_EQ(RunCliLine("-h").out, help.out);
  for (const char* accepted : {"tree", "--machine FILE", "--machine=FILE", "--all-mount-points", "-h", "--help",
                               "--version", "--output"})
    EXPECT_TRUE(Contains(help.out, accepted)) << accepted;

  // Every option the help names is accepted.
  std::set<std::string> named;
  std::istringstream words(help.out);
  for (std::string word; words >> word;) {
    if (word.size() < 2 || word[0] != '-' || !(std::isalpha(static_cast<unsigned char>(word[1])) || word[1] == '-'))
      continue;
    named.insert(word.substr(0, word.find_first_of("=,")));
  }
  EXPECT_GE(named.size(), 5u);
  for (const std::string& o : named) {
    // Options that take a value get one; the rest stand alone.
    const std::string args = o == "--root" ? "--root " + ShellQuote(std::string(QUELBRIN_SOURCE_DIR) + "/tests/linux_trees/server") + " tree"
                             : o == "--machine" ? "--machine " + Sample("workstation.json") + " tree"
                             : o == "-o" || o == "--output" ? o + " /dev/null --machine " + Sample("workstation.json") + " capture"
                                                : o + " --machine " + Sample("workstation.json") + " tree";
    EXPECT_EQ(RunCliLine(args).status, 0) << o;
  }
}

// The shell's completion offers what `paths` prints as names for `show`: each
// must name one node, the ones that share a path ("#2") included.
TEST(Cli, EveryPrintedPathShowsItsNode) {
  const std::string machine = "--all-mount-points --machine " + Sample("workstation.json");
  const CliRun paths = RunCliLine(machine + " paths");
  ASSERT_EQ(paths.status, 0) << paths.err;
  std::istringstream lines(paths.out);
  std::set<std::string> seen;
  for (std::string path; std::getline(lines, path);) {
    EXPECT_TRUE(seen.insert(path).second) << "printed twice: " << path;
    const CliRun shown = RunCliLine(machine + " show " + ShellQuote(path));
    EXPECT_EQ(shown.status, 0) << path << "\n" << shown.err;
  }
  EXPECT_TRUE(seen.count("Physical Disks/PhysicalDrive0/DP(1)100000-1f400000#2"));
  EXPECT_EQ(RunCliLine(machine + " paths Adapters").status, 2);
}

// scripts/run tells a command from an option's value by this list alone, so
// it must say of every option exactly what the program does with it.
TEST(Cli, ListedOptionsTakeAValueExactlyWhenListedSo) {
  const CliRun list = RunCliLine("--list-options");
  ASSERT_EQ(list.status, 0);
  std::istringstream lines(list.out);
  std::set<std::string> listed;
  for (std::string name, kind, programs; lines >> name >> kind >> programs;) {
    SCOPED_TRACE(name);
    listed.insert(name);
    EXPECT_TRUE(kind == "value" || kind == "flag");
    EXPECT_TRUE(programs == "cli" || programs == "gui" || programs == "cli,gui");
    if (programs == "gui") continue;
    if (kind == "value") {
      // Without its value it is a usage error; with one, the value is not
      // taken for a command.
      const CliRun bare = RunCliLine(name);
      EXPECT_EQ(bare.status, 2);
      EXPECT_TRUE(Contains(bare.err, name + " needs ")) << bare.err;
      EXPECT_FALSE(Contains(RunCliLine("tree " + name + " tree").err, "unexpected argument"));
    } else {
      EXPECT_EQ(RunCliLine(name + " --machine " + Sample("workstation.json") + " tree").status, 0);
    }
  }
  for (const char* o : {"--machine", "--root", "--all-mount-points", "-h", "--help", "--version", "--svg", "-o",
                        "--output"})
    EXPECT_EQ(listed.count(o), 1u) << o;
}

TEST(Cli, VersionAndUsageErrors) {
  const CliRun version = RunCliLine("--version");
  EXPECT_EQ(version.status, 0);
  int major = -1;
  int minor = -1;
  int patch = -1;
  EXPECT_EQ(std::sscanf(version.out.c_str(), "quelbrin-cli %d.%d.%d\n", &major, &minor, &patch), 3) << version.out;
  EXPECT_EQ(version.out.back(), '\n');

  const std::string machine = " --machine " + Sample("workstation.json");
  for (const std::string& args : {"--frobnicate tree" + machine, machine, "sideways" + machine,
                                  "tree tree" + machine, std::string("tree --machine"), "watch sideways" + machine,
                                  "watch json tree" + machine, "watch -o out.json" + machine}) {
    SCOPED_TRACE(args);
    const CliRun r = RunCliLine(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(Contains(r.err, "Try 'quelbrin-cli --help'")) << r.err;
  }
  EXPECT_TRUE(Contains(RunCliLine("--frobnicate tree").err, "unknown option '--frobnicate'"));
}

// Arguments, file names and text outside every ANSI code page (and outside
// UTF-16's single units) go in and come out as the same UTF-8.
TEST(Cli, NamesAndTextOutsideTheAnsiCodePageStayUtf8) {
  const std::string dir = testing::TempDir() + "/quelbrin-ünï-" + std::to_string(getpid()) + "-機械";
  const std::string label = "Données 資料 \xF0\x9F\x97\x84";
  const std::string machine = dir + "/машина.json";
  const std::string charts = dir + "/диаграммы";
  std::filesystem::create_directories(PathFromUtf8(dir));
  {
    std::ifstream in(std::string(QUELBRIN_SOURCE_DIR) + "/samples/workstation.json", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::string windows = "\"label\": \"Windows\"";
    text.replace(text.find(windows), windows.size(), "\"label\": \"" + label + "\"");
    std::ofstream(PathFromUtf8(machine), std::ios::binary) << text;
  }
  const CliRun show = RunCli({"--machine", machine, "show", "--svg", charts, "\\DosDevices\\C:"});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_TRUE(Contains(show.out, label + "\n")) << show.out;
  EXPECT_TRUE(Contains(show.err, "wrote " + charts)) << show.err;

  const std::string captured = dir + "/снимок.json";
  EXPECT_EQ(RunCli({"--machine", machine, "capture", "-o", captured}).status, 0);
  const CliRun again = RunCli({"--machine", captured, "show", "\\DosDevices\\C:"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, show.out);
  std::filesystem::remove_all(PathFromUtf8(dir));
}

#ifdef __linux__
// --root and /dev/full are the Linux program's.
TEST(Cli, NoSuccessWithoutAMachineOrWithoutTheOutput) {
  const std::string dir = testing::TempDir() + "/roots_" + std::to_string(getpid());
  std::filesystem::create_directories(dir + "/empty");
  std::ofstream(dir + "/file") << "not a directory\n";
  const std::string server = ShellQuote(std::string(QUELBRIN_SOURCE_DIR) + "/tests/linux_trees/server");
  const std::string machine = "--machine " + Sample("workstation.json");
  struct Case {
    std::string args;
    std::string stdoutTo;
    int status;
    std::string mention;
  };
  std::vector<Case> cases;
  for (const char* command : {"tree", "json", "capture", "report"}) {
    cases.push_back({"--root " + dir + "/missing " + command, "", 2, dir + "/missing: no such directory"});
    cases.push_back({"--root " + dir + "/file " + command, "", 2, dir + "/file: not a directory"});
    cases.push_back({"--root " + dir + "/empty " + command, "", 2, dir + "/empty: not the root of a running system"});
    cases.push_back({"--root " + server + " " + machine + " " + command, "", 2, "--root and --machine cannot go together"});
    cases.push_back({machine + " " + command, "/dev/full", 1, "cannot write to standard output"});
  }
  cases.push_back({machine + " show 'Physical Disks/PhysicalDrive0'", "/dev/full", 1, "cannot write to standard output"});
  // A stopped scan keeps its own status when the output fails too.
  cases.push_back({"--machine " + Sample("failing-layout.json") + " tree", "/dev/full", 1, "cannot write to standard output"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args + (c.stdoutTo.empty() ? "" : " >" + c.stdoutTo));
    const CliRun r = RunCliLine(c.args, c.stdoutTo);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(Contains(r.err, c.mention)) << r.err;
  }
  std::filesystem::remove_all(dir);
}
#endif
