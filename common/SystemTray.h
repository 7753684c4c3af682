#pragma once
#include <string>

#include "platform/IShell.h"

constexpr uint32_t kTrayIconId = 1;
constexpr int kTrayLeftButtonUp = 514;

std::string trayTip(bool adminExemption);
// Deletes the icon, then adds it again unless the user chose to have none.
void UpdateTrayIcon(IShell& shell, WindowId owner, bool adminExemption, bool noTrayIcon);
void DeleteTrayIcon(IShell& shell, WindowId owner);
