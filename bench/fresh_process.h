#pragma once

// Measurements taken in a process of their own, so that nothing an earlier
// measurement allocated or read is reused: the benchmark starts this program
// again as `gui_bench --fresh <what> <args...>`, which measures once, prints
// its figures on one line and ends.
#include <string>
#include <vector>

namespace bench {

// The figures printed by a fresh process run with `args`; empty when it failed.
std::vector<double> MeasureInFreshProcess(const std::vector<std::string>& args);

// In a process started by MeasureInFreshProcess: measures what `argv` asks and
// returns the exit code; -1 when the process was not started for that.
int RunFreshMeasurement(int argc, char** argv);

}  // namespace bench
