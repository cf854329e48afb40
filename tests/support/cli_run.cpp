#include "tests/support/cli_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

CliRun RunCliLine(const std::string& arguments, const std::string& stdoutTo) {
  // Tests run in parallel processes: every run gets files of its own.
  static int runs = 0;
  const std::string stem =
      testing::TempDir() + "/quelbrin_cli_" + std::to_string(getpid()) + "_" + std::to_string(++runs);
  const std::string out = stem + ".out";
  const std::string err = stem + ".err";
  const std::string command =
      ShellQuote(QUELBRIN_CLI) + " " + arguments + " >" + ShellQuote(stdoutTo.empty() ? out : stdoutTo) + " 2>" +
      ShellQuote(err);
  const int raw = std::system(command.c_str());
  CliRun r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

CliRun RunCli(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& a : arguments) line += (line.empty() ? "" : " ") + ShellQuote(a);
  return RunCliLine(line);
}
