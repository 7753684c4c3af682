#pragma once
#include <string>
#include <string_view>

#include "common/LockRequest.h"
#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

class HeldWindows;
struct ForegroundSnapshot;

// `RunAdvanced`: the fixed rules for system tools, run at the end of every watch tick over its snapshot.
class BuiltInProtections final {
public:
    BuiltInProtections(Platform& platform, ProgramState& state, HeldWindows& held, PasswordDialogLauncher& launcher);
    void RunAdvanced(const ForegroundSnapshot& foreground);
    // The right password for the rule's lock: it is off until the configuration is loaded again.
    void unlocked(LockMode mode);

private:
    void uninstallerRule(const ForegroundSnapshot& foreground);
    void registryEditorRule(const ForegroundSnapshot& foreground);
    void internetExplorerRule();
    void firefoxRule();
    void explorerRule();
    void taskManagerRule();
    void installerRule(const ForegroundSnapshot& foreground);
    // Holds every window of the class hidden and asks for the password once for all of them.
    void lockClass(std::string_view className, LockMode mode, const char* label);
    void lockWindow(WindowId window, LockMode mode, const char* label);

    Platform& m_platform;
    ProgramState& m_state;
    HeldWindows& m_held;
    PasswordDialogLauncher& m_launcher;
};
