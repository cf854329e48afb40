// Reads a machine through the platform interface into a machine description:
// each question the scan can ask, asked once, with its answer or its refusal
// (the error code) kept, so that the recorded backend gives the scan the same
// answers again. This is how `capture` writes the live Windows machine; over
// any other backend it writes what that backend answers.
#pragma once

#include "platform/machine/machine.h"
#include "platform/platform.h"

namespace capture {

machine::Machine CaptureMachine(Platform& platform);

}  // namespace capture
