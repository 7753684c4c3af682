#pragma once
#include <functional>
#include <optional>
#include <string>

#include "common/ConfigChanges.h"
#include "common/ProgramState.h"
#include "platform/Platform.h"

// "Export...", "Import..." and the automatic update through "save\obelon7.reg": reg.exe moves the configuration
// key, this program checks what it is given and waits for reg.exe's verdict.
class ConfigTransfer final {
public:
    // The controls cmdExport, cmdImport, Command1 and the timer tmrAutoUpdated must already exist on the form.
    // Each transfer is a change of the configuration: none starts while another change runs.
    ConfigTransfer(Platform& platform, ProgramState& state, ui::Form& configWindow, ConfigChanges& changes,
                   std::function<void()> GetConfig);

private:
    struct Outcome {
        bool ok = false;
        std::string reason{};
        uint32_t code = 0;  // the file system's error number, when a file operation was refused
    };

    void exclusive(void (ConfigTransfer::*transfer)());
    void exportConfiguration();
    void importConfiguration();
    void tmrAutoUpdatedTick();
    void Command1Click();
    void autoUpdate();

    Outcome checkFile(const std::string& path, std::string& bytes);
    Outcome backUpConfiguration();
    Outcome backUpInto(const std::string& folder, std::string& file);
    void importWithRights(const std::string& path, const std::string& bytes);
    Outcome importCopy(const std::string& bytes);
    Outcome writeCopy(const std::string& copy, const std::string& bytes);
    Outcome runReg(const std::string& arguments, ShowCommand show);
    Outcome keepAsFailed(const std::string& path, std::string& keptAs);
    Outcome fileFailure(const std::string& what, const Status& status);
    std::string setAsideFailed(const std::string& path, const Result<FileStamp>& stamp, const std::string& keptAsSaid);
    bool FileExists(const std::string& path);
    std::string completedText();
    void showBox(const std::string& text, bool refusal);

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_form;
    ConfigChanges& m_changes;
    std::function<void()> m_GetConfig;
    std::string m_autoUpdatePath;
    // The automatic update's file as it was when it failed and stayed in place; it is not tried again unchanged.
    std::optional<FileStamp> m_failedFile;
};
