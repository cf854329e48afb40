// quelbrin-cli run as a user runs it, with what it wrote and how it ended.
#pragma once

#include <string>
#include <vector>

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// `text` as one word for the shell.
std::string ShellQuote(const std::string& text);
// `arguments` as a user types them on the command line, quoting included.
// Standard output goes to `stdoutTo` instead when one is named (and `out` stays empty).
CliRun RunCliLine(const std::string& arguments, const std::string& stdoutTo = {});
// Each argument passed as it is.
CliRun RunCli(const std::vector<std::string>& arguments);
