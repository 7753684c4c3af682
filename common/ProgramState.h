#pragma once
#include <string>

// The built-in protection switches, named by their lock modes.
struct ProtectionSwitches {
    bool reg = false;
    bool tm = false;
    bool ff = false;
    bool ex = false;
    bool ins = false;
    int ie = 0;  // 0 off, 1 watching, 2 unlocked while open
};

// Program-wide state, one copy owned by the program's entry and shared by reference.
struct ProgramState {
    bool configUnlocked = false;
    bool instanceSignal = false;
    bool reloadRequest = false;
    bool adminExemption = false;
    bool loadingGuard = false;
    bool configLoading = false;  // a load of the configuration runs: the boxes it sets are not the user's clicks
    bool startupLockDone = false;
    bool uninstallPermitted = false;
    ProtectionSwitches protections;
    std::string accessPassword;
    std::string rememberedPassword;
    std::string messageText;
    std::string programFolder;  // folder of the program file, ending in "\"
};
