#pragma once
#include <optional>
#include <string>
#include <string_view>

// Where the configuration lives in the registry and how its values read.
namespace config {

inline constexpr const char* kSettingsKey = "Software\\OBP\\Settings";  // machine-wide, and per user
inline constexpr const char* kTasksKey = "Software\\OBP\\Tasks";
inline constexpr const char* kIgnoreListKey = "Software\\OBP\\IgnoreList";
inline constexpr int kListSlots = 1000;  // "Task0" to "Task999"

// Per account, under the machine-wide key that only administrators can write: a user can neither exempt his own
// account nor lift its daily limit. The day's running count stays in the user's own hive.
inline constexpr const char* kAccountsKey = "Software\\OBP\\Users";
inline constexpr const char* kCurrentUser = "CurrentUser";  // "Enabled" exempts the account
inline constexpr const char* kSessionLimit = "timer";       // minutes a day; "0" or nothing: no limit
inline constexpr const char* kTray = "Tray";
inline constexpr const char* kPassword = "pwd";
inline constexpr const char* kDisableRegistryTools = "DisableRegistryTools";  // the one number
inline constexpr const char* kStartup = "Startup";
inline constexpr const char* kHideStartMenu = "HideSM";
inline constexpr const char* kTaskManager = "TaskManager";
inline constexpr const char* kLockIE = "LockIE";
inline constexpr const char* kLockOtherBrowsers = "chkLock3Party";
inline constexpr const char* kLockExplorer = "LockEx";
inline constexpr const char* kLockInstall = "LockInstall";

// The machine-wide values under kSettingsKey that the load reads, with the form each is stored in. Whatever
// else writes the configuration (Apply, an imported file, Group Policy) must keep to these.
enum class StoredForm { Text, Number };
struct MachineSetting {
    const char* name;
    StoredForm form;
};
inline constexpr MachineSetting kMachineSettings[] = {
    {kTray, StoredForm::Text},          {kPassword, StoredForm::Text},        {kDisableRegistryTools, StoredForm::Number},
    {kStartup, StoredForm::Text},       {kHideStartMenu, StoredForm::Text},   {kTaskManager, StoredForm::Text},
    {kLockIE, StoredForm::Text},        {kLockOtherBrowsers, StoredForm::Text}, {kLockExplorer, StoredForm::Text},
    {kLockInstall, StoredForm::Text},
};
// The lists are read slot by slot, "Task0" to "Task999"; missing slots are skipped.
inline constexpr const char* kSlotPrefix = "Task";

// The account's own key below kAccountsKey, named by its security identifier.
std::string accountKey(std::string_view userSid);

std::string slotName(int slot);
// The slot a value name stands for ("Task7", in any case, as the registry matches names); none for any other name.
std::optional<int> slotNumber(std::string_view name);
// Only the exact text "1" is on.
inline bool isOn(std::string_view stored) { return stored == "1"; }

// A stored task: its text, then "," and the check flag; only the last two characters are the separator.
struct StoredTask {
    std::string text;
    bool checked = false;
};
// False for a value too short to hold a task, or whose text is empty.
bool parseStoredTask(std::string_view stored, StoredTask& task);
std::string formatStoredTask(const StoredTask& task);

}  // namespace config
