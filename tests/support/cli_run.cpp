#include "tests/support/cli_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include "platform/wide_text.h"
#include "platform/win_types.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Splits a line written with ShellQuote's quoting into its words.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\'') {
      const std::size_t end = line.find('\'', i + 1);
      word += line.substr(i + 1, end - i - 1);
      i = end == std::string::npos ? line.size() : end;
      inWord = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

#ifdef _WIN32

// One argument as the C runtime splits a command line: quoted, with the
// backslashes before a quote doubled.
std::wstring QuoteArgument(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

int Run(const std::vector<std::string>& arguments, const std::string& out, const std::string& err) {
  std::wstring line = QuoteArgument(WideFromUtf8(QUELBRIN_CLI));
  for (const std::string& a : arguments) line += L" " + QuoteArgument(WideFromUtf8(a));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  auto create = [&inherit](const std::string& path) {
    return ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE outFile = create(out);
  HANDLE errFile = create(err);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outFile;
  startup.hStdError = errFile;
  PROCESS_INFORMATION process{};
  int status = -1;
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process.hProcess, &code)) status = static_cast<int>(code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(outFile);
  ::CloseHandle(errFile);
  return status;
}

int ProcessId() { return static_cast<int>(::GetCurrentProcessId()); }

#else

int Run(const std::vector<std::string>& arguments, const std::string& out, const std::string& err) {
  std::vector<std::string> words = {QUELBRIN_CLI};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int raw = 0;
  if (waitpid(child, &raw, 0) != child) return -1;
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int ProcessId() { return static_cast<int>(getpid()); }

#endif

}  // namespace

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

namespace {

// Standard output goes to `stdoutTo` when one is named, and `out` stays empty.
CliRun RunCliTo(const std::vector<std::string>& arguments, const std::string& stdoutTo) {
  // Tests run in parallel processes: every run gets files of its own.
  static int runs = 0;
  const std::string stem =
      testing::TempDir() + "/quelbrin_cli_" + std::to_string(ProcessId()) + "_" + std::to_string(++runs);
  const std::string out = stdoutTo.empty() ? stem + ".out" : stdoutTo;
  CliRun r;
  r.status = Run(arguments, out, stem + ".err");
  if (stdoutTo.empty()) {
    r.out = ReadAll(out);
    std::remove(out.c_str());
  }
  r.err = ReadAll(stem + ".err");
  std::remove((stem + ".err").c_str());
  return r;
}

}  // namespace

CliRun RunCliLine(const std::string& arguments, const std::string& stdoutTo) {
  return RunCliTo(Words(arguments), stdoutTo);
}

CliRun RunCli(const std::vector<std::string>& arguments) { return RunCliTo(arguments, {}); }
