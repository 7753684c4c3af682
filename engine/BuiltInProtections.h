#pragma once
#include <string>

#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "engine/Watch.h"
#include "platform/Platform.h"

// `RunAdvanced`: the fixed rules for system tools, run at the end of every watch tick over its snapshot.
class BuiltInProtections final {
public:
    BuiltInProtections(Platform& platform, ProgramState& state, PasswordDialogLauncher& launcher);
    void RunAdvanced(const ForegroundSnapshot& foreground);

private:
    void uninstallerRule(const ForegroundSnapshot& foreground);
    void registryEditorRule(const ForegroundSnapshot& foreground);
    void internetExplorerRule();
    void firefoxRule();
    void explorerRule();
    void taskManagerRule();
    void installerRule(const ForegroundSnapshot& foreground);
    // Writes the lock record, hides the window (or at least minimizes it), opens the dialog unless it is shown.
    void lockWindow(WindowId window, const char* mode, const char* label);
    void openIfHidden();

    Platform& m_platform;
    ProgramState& m_state;
    PasswordDialogLauncher& m_launcher;
};
