#include "platform/win32/WinPlatform.h"

// The toolkit gets the shell so that forms can put their tray icons back after Explorer restarts.
WinPlatform::WinPlatform()
    : m_toolkit(&m_shell), m_platform{m_registry, m_desktop, m_shell, m_process, m_toolkit, m_crypto, m_clock, m_files,
                 m_programs} {}
