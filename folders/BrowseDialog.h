#pragma once
#include <cstdint>
#include <string>

#include "platform/IFileSystem.h"
#include "platform/WindowId.h"

// The shell's folder picker as the program's pages ask for it. flags are the shell's BIF_ bits; a title of
// exactly "@@@" means the picker shows no title text. Returns the chosen path, or "" when the user cancels or
// picks something outside the file system.
std::string BrowseForFolder(IFileSystem& files, WindowId owner, uint32_t flags, const std::string& title);
