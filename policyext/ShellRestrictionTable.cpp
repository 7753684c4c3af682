#include "policyext/ShellRestrictionTable.h"

#include <array>

namespace {

constexpr std::string_view kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr std::string_view kSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
// The one key outside Policies. Its DisableCMD 2 refuses the interactive prompt but lets batch files run.
constexpr std::string_view kCommandPrompt = "Software\\Microsoft\\Windows\\System";
constexpr std::string_view kNonEnum = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\NONEnum";
constexpr std::string_view kNetwork = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";

constexpr std::array<ShellRestriction, 41> kRestrictions = {{
    {kExplorer, "NoSaveSettings", 1},
    {kExplorer, "NoStartMenuMFUprogramsList", 1},
    {kExplorer, "DisableMyPicturesDirChange", 1},
    {kExplorer, "DisableMyMusicDirChange", 1},
    {kExplorer, "DisableFavoritesDirChange", 1},
    {kExplorer, "DisablePersonalDirChange", 1},
    {kExplorer, "NoNetworkConnections", 1},
    {kExplorer, "NoStartMenuNetworkPlaces", 1},
    {kExplorer, "NoRecentDocsNetHood", 1},
    {kExplorer, "NoRun", 1},
    {kExplorer, "NoClose", 1},
    {kExplorer, "NoChangeStartMenu", 1},
    {kExplorer, "NoSetTaskbar", 1},
    {kExplorer, "NoInstrumentation", 1},
    {kExplorer, "NoControlPanel", 1},
    {kExplorer, "NoStartMenuMyGames", 1},
    {kExplorer, "NoSearchFilesInStartMenu", 1},
    {kExplorer, "NoSearchCommInStartMenu", 1},
    {kExplorer, "NoSearchProgramsInStartMenu", 1},
    {kExplorer, "NoSearchInternetInStartMenu", 1},
    {kExplorer, "NoSearchComputerLinkInStartMenu", 1},
    {kExplorer, "QuickLaunchEnabled", 1},
    {kExplorer, "NoSMConfigurePrograms", 1},
    {kExplorer, "LockTaskbar", 1},
    {kExplorer, "NoAutoTrayNotify", 1},
    {kExplorer, "NoSMBalloonTip", 1},
    {kExplorer, "NoToolbarsOnTaskbar", 1},
    {kExplorer, "NoWebServices", 1},
    {kExplorer, "NoManageMyComputerVerb", 1},
    {kExplorer, "NoNetConnectDisconnect", 1},
    {kExplorer, "NoTrayContextMenu", 1},
    {kExplorer, "NoViewContextMenu", 1},
    {kExplorer, "NoFolderOptions", 1},
    // A drive bit mask: 1 hides drive A: alone.
    {kExplorer, "NoDrives", 1},
    {kSystem, "DisableTaskMgr", 1},
    {kCommandPrompt, "DisableCMD", 2},
    {kSystem, "DisableRegistryTools", 1},
    {kSystem, "NoDispCPL", 1},
    // The Computer shell folder.
    {kNonEnum, "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 1},
    {kNetwork, "NoNetSetup", 1},
    {kNetwork, "NoPrinters", 1},
}};

}  // namespace

std::span<const ShellRestriction> shellRestrictions() {
    return kRestrictions;
}
