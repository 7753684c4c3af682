#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/IDesktop.h"
#include "platform/WindowId.h"

struct ShellExecuteArgs {
    WindowId owner{};
    std::string verb{};
    std::string file{};
    std::optional<std::string> parameters{};  // nullopt: no parameters at all
    std::optional<std::string> directory{};   // nullopt: no working folder given
    ShowCommand show = ShowCommand::ShowNormal;
};

enum class MessageBoxIcon : uint32_t { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MessageBoxButtons : uint32_t { Ok = 0, OkCancel = 1, YesNo = 4 };
enum class MessageBoxAnswer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxArgs {
    WindowId owner{};
    std::string text{};
    std::string title{};
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    bool systemModal = false;
};

enum class TrayImage { Standard, Administrator };

// The icon belongs to a form of this program, which receives its mouse events (ui::Form::onTrayMouse).
struct TrayIconArgs {
    WindowId owner{};
    uint32_t id = 1;
    std::string tip{};
    TrayImage image = TrayImage::Standard;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Windows' ShellExecute result: above 32 on success.
    virtual intptr_t shellExecute(const ShellExecuteArgs& args) = 0;
    virtual MessageBoxAnswer messageBox(const MessageBoxArgs& args) = 0;
    virtual bool trayAdd(const TrayIconArgs& args) = 0;
    virtual bool trayDelete(WindowId owner, uint32_t id) = 0;
};
