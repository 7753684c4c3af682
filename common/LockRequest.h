#pragma once
#include <cstdint>
#include <string>

#include "platform/WindowId.h"

// Why the password is asked for: a task window, the configuration, a new password, or one of the built-in
// protections.
enum class LockMode {
    Task,
    Configuration,
    SetPassword,
    RegistryTools,
    InternetExplorer,
    Firefox,
    Explorer,
    TaskManager,
    Installer,
    Uninstaller
};

// One lock waiting for its answer: what the dialog names, and the window hidden behind it.
struct LockRequest {
    LockMode mode = LockMode::Task;
    WindowId window{};        // hidden (or minimized) behind the lock; 0 when none
    std::string label{};      // what the dialog names as locked
    std::string windowClass{};  // task windows: the class the password allows
    uint32_t process = 0;     // task windows: the program the allowed class belongs to
    // The end of the session's time and the lock at Windows start-up: the dialog covers the whole screen and
    // only the password ends it.
    bool coversDesktop = false;
};

enum class LockAnswer { Unlocked, Cancelled };

// Who acts on the answer: gives windows back, switches a protection off, shows the configuration window.
class LockOwner {
public:
    virtual ~LockOwner() = default;
    virtual void lockAnswered(const LockRequest& request, LockAnswer answer) = 0;
};
