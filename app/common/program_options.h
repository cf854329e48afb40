// The command-line options of both programs, declared once: each program reads
// its arguments and prints its list of options from this table, and scripts
// ask quelbrin-cli --list-options which options take a value.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/common/machine_source.h"

enum class Program : unsigned {
  Cli = 1,  // quelbrin-cli
  Gui = 2,  // quelbrin
};

enum class OptionId { Machine, Root, AllMountPoints, Help, Version, Svg, Output, ListOptions };

struct OptionInfo {
  OptionId id;
  std::string_view name;       // "--machine"
  std::string_view shortName;  // "-h"; empty for none
  // The value's name in the help ("FILE"); empty for an option without a value.
  std::string_view valueName;
  // What a missing value is reported as wanting ("a file name").
  std::string_view valueWanted;
  // Whether "--name=VALUE" is read too.
  bool equalsForm;
  // The Program bits of the programs that take the option.
  unsigned programs;
  // The help lines of the list of options; empty for an option described
  // with its command, or one that the help does not show.
  std::string_view help;
  // The desktop program's own wording, where it differs.
  std::string_view guiHelp;

  bool TakesValue() const { return !valueName.empty(); }
  bool TakenBy(Program program) const { return (programs & static_cast<unsigned>(program)) != 0; }
};

std::span<const OptionInfo> AllOptions();

// One argument as the table reads it.
struct Argument {
  enum class Kind {
    Option,        // an option of the program, with its value if it takes one
    Word,          // no option: a command or an operand
    Unknown,       // starts with '-' but is no option of the program
    MissingValue,  // the option's value is missing; `error` says which
  };
  Kind kind = Kind::Word;
  const OptionInfo* option = nullptr;
  std::string value;
  std::string error;
};

// Reads args[i] for the program, moving `i` past the value of an option that
// takes one.
Argument ReadArgument(Program program, const std::vector<std::string>& args, std::size_t& i);

// What both programs make of the options they share.
struct SharedOptions {
  MachineSource source;
  bool allMountPoints = false;
  bool rootGiven = false;
};
// Stores a shared option read into `out`; false for any other option.
bool TakeSharedOption(const Argument& argument, SharedOptions& out);
// Options that were each read well but cannot go together; empty when none.
std::string SharedOptionsConflict(const SharedOptions& options);

// The help's list of the program's options, one entry per option and a line
// per line of its help.
std::string OptionsHelp(Program program);
// Every option of the table, one a line: its name, "value" or "flag", and the
// programs that take it ("cli", "gui" or "cli,gui").
void ListOptions(std::ostream& out);
