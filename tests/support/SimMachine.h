#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace testsupport {

// A fixture with one simulated machine; processes of the program are started on it as a test needs them.
class SimMachine : public ::testing::Test {
protected:
    ~SimMachine() override;
    // A new process; it lives until the fixture ends.
    sim::SimInstance& startProcess();

    sim::SimWorld world;

private:
    std::vector<std::unique_ptr<sim::SimInstance>> m_processes;
};

}  // namespace testsupport
