#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/IDesktop.h"

// Class names are compared as Windows compares them when it looks a window up: without regard to case.
bool sameWindowClass(std::string_view a, std::string_view b);

// Every top-level window of the class, hidden ones included; asks the system for one first, so a class with
// no window costs a single lookup.
std::vector<WindowId> windowsOfClass(IDesktop& desktop, std::string_view className);

// The taskbar and the desktop: never a window the user works in, whatever their (empty) titles match.
bool isShellWindow(std::string_view className);
