#include "common/WindowHelpers.h"

// Both are best effort: a window that refuses keeps working, only less guarded.
void RemoveCloseCommand(IDesktop& desktop, WindowId window) { (void)desktop.removeSystemMenuCommand(window, kScClose); }

void SetTopmost(IDesktop& desktop, WindowId window, bool on) { (void)desktop.setTopmost(window, on); }
