#pragma once
#include <string>

#include "common/ConfigSchema.h"
#include "platform/sim/SimProcess.h"

namespace testsupport {

// The machine-wide key of the account a simulated program runs for: its exemption and its daily limit.
inline std::string accountKey() { return config::accountKey(sim::kDefaultUserSid); }

}  // namespace testsupport
