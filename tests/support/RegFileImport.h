#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/SimInstance.h"
#include "platform/sim/SimRegistry.h"

namespace testsupport {

// What an elevated `reg.exe import` of the file does to the simulated machine, for a scripted program's work:
// the edits of a file readRegFile reads are made below LocalMachine, whatever the standard user may write.
// False, with nothing changed, for a file it cannot read; false too when a step fails (a failure the test
// injected), with the steps before it made, as reg.exe leaves them.
bool importRegFile(sim::SimRegistry& registry, std::string_view bytes);

// From now on every program started elevated is reg.exe importing the file its command line names in quotes;
// the names of the files it imported are kept in `imported`.
void playElevatedRegImports(sim::SimInstance& process, sim::SimRegistry& registry, std::vector<std::string>& imported);

}  // namespace testsupport
