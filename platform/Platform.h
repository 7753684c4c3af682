#pragma once
#include "platform/IClock.h"
#include "platform/ICrypto.h"
#include "platform/IDesktop.h"
#include "platform/IFileSystem.h"
#include "platform/IProcess.h"
#include "platform/IProgramRunner.h"
#include "platform/IRegistry.h"
#include "platform/IShell.h"
#include "platform/ui/Toolkit.h"

// Everything the logic may ask of the machine, handed down through constructors.
struct Platform {
    IRegistry& registry;
    IDesktop& desktop;
    IShell& shell;
    IProcess& process;
    ui::Toolkit& ui;
    ICrypto& crypto;
    IClock& clock;
    IFileSystem& files;
    IProgramRunner& programs;
};
