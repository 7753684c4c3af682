#pragma once
#include <functional>
#include <string>

#include "common/ConfigChanges.h"
#include "common/ProgramState.h"
#include "platform/Platform.h"

// "Apply" (`cmdok`) and the administrator box (`chkAdmin`) of the configuration window: the window's
// settings go to the registry, then the whole configuration is loaded again.
class ConfigApplier final {
public:
    struct Hooks {
        std::function<void()> GetConfig;
        std::function<void()> showMessage;  // the message dialog, with the shared message text
    };
    // The window's controls must already exist; their handlers are connected here.
    // Apply and the box are changes of the configuration: neither starts while another change runs.
    ConfigApplier(Platform& platform, ProgramState& state, ui::Form& configWindow, ConfigChanges& changes,
                  Hooks hooks);

private:
    void cmdokClick();
    void apply();
    void finish();
    void applyWithRights();
    void takeSwitches();
    bool applySteps();
    bool writeLists();
    bool writeSettings();
    void chkAdminClick();
    void storeExemption();
    bool exemptionSavedWithRights(const char* text);
    std::string describe(const Status& status);
    // A refused write is noted and Apply goes on; any other failure stops it with its description.
    bool store(const Status& status);
    bool storeSetting(const char* name, bool on);
    void tell(const std::string& text);
    std::string accountKey();

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_form;
    ConfigChanges& m_changes;
    Hooks m_hooks;
    bool m_refused = false;
};
