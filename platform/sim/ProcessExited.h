#pragma once

namespace sim {

// Thrown by SimProcess::exitProcess to unwind the simulated process's code. Deliberately not a
// std::exception, so the program's own `catch (const std::exception&)` blocks let it through.
struct ProcessExited {
    int code = 0;
};

}  // namespace sim
