#pragma once
#include "platform/IDesktop.h"

// The window helpers every form of the program shares.
void RemoveCloseCommand(IDesktop& desktop, WindowId window);
void SetTopmost(IDesktop& desktop, WindowId window, bool on);
