// What reading a machine file throws: the file, and the field or position, and
// what is wrong there.
#pragma once

#include <stdexcept>

class MachineFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
