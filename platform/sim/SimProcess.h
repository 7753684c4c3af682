#pragma once
#include <string>

#include "platform/IProcess.h"
#include "platform/sim/SimClock.h"

namespace sim {

class SimWorld;

// One simulated process of the program. Its end is a sim::ProcessExited thrown out of exitProcess.
class SimProcess final : public IProcess {
public:
    SimProcess(SimWorld& world, ProcessId id);

    std::string programFilePath() override { return m_programFilePath; }
    FileVersion fileVersion(const std::string& path) override;
    bool isEarlierInstanceRunning() override;
    bool ownsWindow(WindowId window) override;
    [[noreturn]] void exitProcess(int code) override;

    ProcessId id() const { return m_id; }
    void setProgramFilePath(std::string path);
    void setFileVersion(FileVersion version) { m_fileVersion = version; }

private:
    SimWorld& m_world;
    ProcessId m_id;
    std::string m_programFilePath = "C:\\Program Files\\Obelon Pro\\obelon7.exe";
    FileVersion m_fileVersion{7, 8, 0};
    int m_instanceAnswer = -1;  // -1: not asked yet
};

}  // namespace sim
