// quelbrin-cli as a user runs it: exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

CliRun RunCli(const std::string& args) {
  // Tests run in parallel processes: every run gets files of its own.
  static int runs = 0;
  const std::string stem = testing::TempDir() + "/quelbrin_cli_" + std::to_string(getpid()) + "_" +
                           std::to_string(++runs);
  const std::string out = stem + ".out";
  const std::string err = stem + ".err";
  const std::string command = Quote(QUELBRIN_CLI) + " " + args + " >" + Quote(out) + " 2>" + Quote(err);
  const int raw = std::system(command.c_str());
  CliRun r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

std::string Sample(const std::string& name) { return Quote(std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name); }

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(Cli, TreeOfTheWorkstation) {
  const CliRun r = RunCli("--machine " + Sample("workstation.json") + " tree");
  EXPECT_EQ(r.status, 0) << r.err;
  // stderr holds only the diagnostic lines of the storage-port interfaces being opened.
  std::istringstream errLines(r.err);
  for (std::string line; std::getline(errLines, line);) EXPECT_EQ(line.rfind("Attempting to open ", 0), 0u) << line;
  EXPECT_EQ(r.out.rfind("Mountpoints\n", 0), 0u);
  EXPECT_TRUE(Contains(r.out, "\nPhysical Disks\n"));
  EXPECT_TRUE(Contains(r.out, "\nAdapters\n"));
  EXPECT_TRUE(Contains(r.out, "\\DosDevices\\C:"));
  EXPECT_FALSE(Contains(r.out, "\\??\\Volume{"));

  const CliRun all = RunCli("--all-mount-points --machine=" + Sample("workstation.json") + " tree");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(Contains(all.out, "\\??\\Volume{3f1b2c4d-0000-0000-0000-100000000000}"));
}

TEST(Cli, StoppedScanPrintsWhatWasScannedAndTheMessage) {
  const CliRun r = RunCli("--machine " + Sample("failing-layout.json") + " tree");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "IOCTL_DISK_GET_DRIVE_LAYOUT_EX Error\n")) << r.err;
  EXPECT_TRUE(Contains(r.err, "1117")) << r.err;
  EXPECT_TRUE(Contains(r.out, "\\DosDevices\\C:"));
  EXPECT_FALSE(Contains(r.out, "\\DosDevices\\G:"));
  EXPECT_TRUE(Contains(r.out, "PhysicalDrive0"));
  EXPECT_FALSE(Contains(r.out, "PhysicalDrive1"));
}

TEST(Cli, MachineFileErrorsGoToStandardErrorWithStatusTwo) {
  const std::string bad = testing::TempDir() + "/bad_" + std::to_string(getpid()) + ".json";
  {
    std::ofstream f(bad);
    f << R"({"format": "quelbrin-machine", "version": 1,
             "drives": [{"number": 0, "size": 1}, {"number": 1, "size": 1,
                          "layout": {"partitions": [{"number": 1, "offset": -5, "length": 1}]}}]})";
  }
  const CliRun r = RunCli("--machine " + Quote(bad) + " tree");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_TRUE(Contains(r.err, bad + ": drives[1].layout.partitions[0].offset: expected")) << r.err;
  std::remove(bad.c_str());

  const CliRun missing = RunCli("--machine /nonexistent.json tree");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_TRUE(Contains(missing.err, "/nonexistent.json: cannot open the machine file"));
}

TEST(Cli, UnopenableMountPointManagerIsNotAnEmptySuccess) {
  const std::string file = testing::TempDir() + "/closed_" + std::to_string(getpid()) + ".json";
  {
    std::ofstream f(file);
    f << R"({"format": "quelbrin-machine", "version": 1, "mountPointManager": {"fail": {"open": 5}}})";
  }
  const CliRun r = RunCli("--machine " + Quote(file) + " tree");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "mount point manager cannot be opened")) << r.err;
  std::remove(file.c_str());
}

TEST(Cli, HelpListsExactlyWhatIsAccepted) {
  const CliRun help = RunCli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.err.empty());
  EXPECT_EQ(RunCli("-h").out, help.out);
  for (const char* accepted : {"tree", "--machine FILE", "--machine=FILE", "--all-mount-points", "-h", "--help",
                               "--version"})
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
    const std::string value = o == "--root" ? " /" : "";
    const std::string args = o == "--machine" ? "--machine " + Sample("workstation.json") + " tree"
                                              : o + value + " --machine " + Sample("workstation.json") + " tree";
    EXPECT_EQ(RunCli(args).status, 0) << o;
  }
}

TEST(Cli, VersionAndUsageErrors) {
  const CliRun version = RunCli("--version");
  EXPECT_EQ(version.status, 0);
  int major = -1;
  int minor = -1;
  int patch = -1;
  EXPECT_EQ(std::sscanf(version.out.c_str(), "quelbrin-cli %d.%d.%d\n", &major, &minor, &patch), 3) << version.out;
  EXPECT_EQ(version.out.back(), '\n');

  const std::string machine = " --machine " + Sample("workstation.json");
  for (const std::string& args : {"--frobnicate tree" + machine, machine, "sideways" + machine,
                                  "tree tree" + machine, std::string("tree --machine")}) {
    SCOPED_TRACE(args);
    const CliRun r = RunCli(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(Contains(r.err, "Try 'quelbrin-cli --help'")) << r.err;
  }
  EXPECT_TRUE(Contains(RunCli("--frobnicate tree").err, "unknown option '--frobnicate'"));
}
