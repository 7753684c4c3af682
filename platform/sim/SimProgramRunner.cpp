#include "platform/sim/SimProgramRunner.h"

namespace sim {

namespace {

constexpr uint32_t kTerminatedExitCode = 1;

class SimChildProgram final : public IChildProgram {
public:
    SimChildProgram(SimProgramRunner& runner, ScriptedProgram script) : m_runner(runner), m_script(std::move(script)) {}

    // The program's work is done the moment it is seen to end, so a caller that waits sees its effect.
    bool waitForExit(int) override {
        if (m_ended) return true;
        if (m_script.hangs) return false;
        m_ended = true;
        if (m_script.work) m_script.work();
        return true;
    }
    uint32_t exitCode() override { return m_script.exitCode; }
    std::string output() override { return m_ended ? m_script.output : std::string(); }
    void terminate() override {
        if (m_ended) return;
        m_ended = true;
        m_script.exitCode = kTerminatedExitCode;
        m_script.output.clear();
        m_runner.countTermination();
    }

private:
    SimProgramRunner& m_runner;
    ScriptedProgram m_script;
    bool m_ended = false;
};

}  // namespace

Result<std::unique_ptr<IChildProgram>> SimProgramRunner::start(const StartProgramArgs& args) {
    if (m_startFailure) {
        const uint32_t code = *m_startFailure;
        m_startFailure.reset();
        return Status::failure(code, args.elevated ? "ShellExecuteExW" : "CreateProcessW");
    }
    if (args.elevated && m_declinedElevations > 0) {
        --m_declinedElevations;
        return Status::failure(errc::kCancelled, "ShellExecuteExW");
    }
    m_started.push_back(args);
    ScriptedProgram script;
    if (!m_script.empty()) {
        script = std::move(m_script.front());
        m_script.pop_front();
    } else if (m_responder) {
        script = m_responder(args);
    }
    // An elevated program runs in a session of its own; its output never reaches the one that started it.
    if (args.elevated) script.output.clear();
    return std::unique_ptr<IChildProgram>(std::make_unique<SimChildProgram>(*this, std::move(script)));
}

std::vector<std::string> SimProgramRunner::commandLines() const {
    std::vector<std::string> lines;
    for (const StartProgramArgs& args : m_started) lines.push_back(args.commandLine);
    return lines;
}

}  // namespace sim
