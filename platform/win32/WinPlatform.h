#pragma once
#include "platform/Platform.h"
#include "platform/win32/WinClock.h"
#include "platform/win32/WinCrypto.h"
#include "platform/win32/WinDesktop.h"
#include "platform/win32/WinFileSystem.h"
#include "platform/win32/WinProcess.h"
#include "platform/win32/WinProgramRunner.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinToolkit.h"

// One real backend of each kind, for a program's main to hand to its forms.
class WinPlatform final {
public:
    WinPlatform();
    WinPlatform(const WinPlatform&) = delete;
    WinPlatform& operator=(const WinPlatform&) = delete;
    Platform& platform() { return m_platform; }
    WinToolkit& toolkit() { return m_toolkit; }

private:
    WinRegistry m_registry;
    WinDesktop m_desktop;
    WinShell m_shell;
    WinProcess m_process;
    WinToolkit m_toolkit;
    WinCrypto m_crypto;
    WinClock m_clock;
    WinFileSystem m_files;
    WinProgramRunner m_programs;
    Platform m_platform;
};
