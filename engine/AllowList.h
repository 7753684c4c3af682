#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/IDesktop.h"
#include "platform/ui/Controls.h"

// The window classes the password has let go, each for the one program whose window was unlocked: another
// program with a window of the same class (every Chromium browser shares one, every dialog box another) is
// still locked. Kept in memory for the watch, and shown in `lstAllow`.
class AllowList final {
public:
    AllowList(IDesktop& desktop, ui::ListBox& shown);
    void add(const std::string& windowClass, uint32_t process);
    // The window's program has an entry that names its class, or its title.
    bool allows(uint32_t process, const std::string& windowClass, const std::string& title) const;
    // At most one entry a tick: the first whose program has no window of that class left.
    void cleanUp();

private:
    struct Entry {
        std::string windowClass;
        uint32_t process = 0;
    };
    bool programHasWindowOfClass(const Entry& entry);

    IDesktop& m_desktop;
    ui::ListBox& m_shown;
    std::vector<Entry> m_entries;
};
