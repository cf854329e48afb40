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
// `arguments` as a user types them on the command line, words quoted as
// ShellQuote quotes them.
CliRun RunCliLine(const std::string& arguments);
// Each argument passed as it is.
CliRun RunCli(const std::vector<std::string>& arguments);
