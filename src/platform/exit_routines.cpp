#include "exit_routines.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct ExitRoutineList {
    std::mutex mutex;
    std::vector<ExitRoutine> routines;
};

ExitRoutineList& exitRoutineList() {
    static ExitRoutineList list;
    return list;
}

} // namespace

void registerExitRoutine(ExitRoutine routine) {
    auto& list = exitRoutineList();
    std::lock_guard lock(list.mutex);
    if (std::find(list.routines.begin(), list.routines.end(), routine) == list.routines.end())
        list.routines.push_back(routine);
}

void runExitRoutines() {
    auto& list = exitRoutineList();
    std::vector<ExitRoutine> routines;
    {
        std::lock_guard lock(list.mutex);
        routines = list.routines;
    }
    for (ExitRoutine routine : routines)
        routine();
}

void clearExitRoutines() {
    auto& list = exitRoutineList();
    std::lock_guard lock(list.mutex);
    list.routines.clear();
}

void endProgram(int exitCode) {
    runExitRoutines();
    std::fflush(nullptr);
    // Static destructors and atexit handlers would race a worker that is still running; the
    // process ends here without them.
    std::_Exit(exitCode);
}
