#pragma once

// The program's own exit-routine list: routines run in registration order when the program
// ends through endProgram. Registering a routine already on the list has no effect.

using ExitRoutine = void (*)();

void registerExitRoutine(ExitRoutine routine);
void runExitRoutines();
void clearExitRoutines();

// Runs the exit routines, then ends the process at once with exitCode, without waiting for
// any other thread (a worker blocked in a request must not delay the end).
[[noreturn]] void endProgram(int exitCode);
