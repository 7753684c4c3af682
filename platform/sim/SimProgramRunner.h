#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/IProgramRunner.h"

namespace sim {

// What one started program does, as a test scripts it.
struct ScriptedProgram {
    uint32_t exitCode = 0;
    std::string output{};          // not seen when the program was started elevated
    bool hangs = false;            // never ends by itself, only when terminated
    std::function<void()> work{};  // what it does to the machine, done as it ends
};

// Starts nothing real: records each command line and plays the script of the program it stands for.
class SimProgramRunner final : public IProgramRunner {
public:
    using Responder = std::function<ScriptedProgram(const StartProgramArgs&)>;

    Result<std::unique_ptr<IChildProgram>> start(const StartProgramArgs& args) override;

    // The coming programs, in order; they go before the responder.
    void scriptNext(ScriptedProgram program) { m_script.push_back(std::move(program)); }
    // Answers every start that has no script; without one a program ends at once with exit code 0.
    void respondWith(Responder responder) { m_responder = std::move(responder); }
    // The next start fails with this error number, as a program that cannot be found.
    void failNextStart(uint32_t code) { m_startFailure = code; }
    // The user says no to the next elevation prompt: that elevated start fails with kCancelled, nothing runs.
    // Several calls queue up, one prompt each; starts without elevation do not use them up.
    void declineNextElevation() { ++m_declinedElevations; }
    const std::vector<StartProgramArgs>& started() const { return m_started; }
    std::vector<std::string> commandLines() const;
    int terminations() const { return m_terminations; }

    void countTermination() { ++m_terminations; }

private:
    std::vector<StartProgramArgs> m_started;
    std::deque<ScriptedProgram> m_script;
    Responder m_responder;
    std::optional<uint32_t> m_startFailure;
    int m_declinedElevations = 0;
    int m_terminations = 0;
};

}  // namespace sim
