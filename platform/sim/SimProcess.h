#pragma once
#include <string>

#include "platform/IProcess.h"
#include "platform/sim/SimClock.h"

namespace sim {

class SimWorld;

// The account every simulated process runs for unless a test says otherwise.
inline constexpr const char* kDefaultUserSid = "S-1-5-21-1004336348-1177238915-682003330-1001";

// One simulated process of the program. Its end is a sim::ProcessExited thrown out of exitProcess.
class SimProcess final : public IProcess {
public:
    SimProcess(SimWorld& world, ProcessId id);

    std::string programFilePath() override { return m_programFilePath; }
    FileVersion fileVersion(const std::string& path) override;
    bool isEarlierInstanceRunning() override;
    std::string userSid() override { return m_userSid; }
    bool ownsWindow(WindowId window) override;
    [[noreturn]] void exitProcess(int code) override;

    ProcessId id() const { return m_id; }
    void setProgramFilePath(std::string path);
    void setFileVersion(FileVersion version) { m_fileVersion = version; }
    void setUserSid(std::string sid) { m_userSid = std::move(sid); }

private:
    SimWorld& m_world;
    ProcessId m_id;
    std::string m_programFilePath = "C:\\Program Files\\Obelon Pro\\obelon7.exe";
    FileVersion m_fileVersion{7, 8, 0};
    std::string m_userSid = kDefaultUserSid;
    int m_instanceAnswer = -1;  // -1: not asked yet
};

}  // namespace sim
