#include "config/ConfigTransfer.h"

#include <array>
#include <cstdint>
#include <span>

#include "config/RegFileCheck.h"
#include "registry/ElevatedSave.h"
#include "folders/BrowseDialog.h"

namespace {

constexpr const char* kApplicationTitle = "Obelon Pro";
constexpr const char* kExportFileName = "obelon7.reg";
constexpr const char* kAutoUpdateFile = "save\\obelon7.reg";
constexpr const char* kBackupFolder = "save\\backup";
constexpr const char* kFailedSuffix = ".failed";
constexpr const char* kStaysInPlace =
    "It stays in place and is tried again when it is replaced or at the next start of the program.";
constexpr const char* kNeedsAdministrator = "Saving the configuration needs administrative rights.";
constexpr const char* kNoTitle = "@@@";             // what the folder picker reads as no title
constexpr uint32_t kBrowseFileSystemFolders = 0x1;  // BIF_RETURNONLYFSDIRS
constexpr uint32_t kBrowseIncludeFiles = 0x4000;    // BIF_BROWSEINCLUDEFILES
constexpr int kWaitSliceMs = 50;
constexpr int kRegTimeLimitMs = 30000;
constexpr int kRegEndAfterTerminateMs = 5000;
constexpr size_t kLargestConfigurationFile = 16 * 1024 * 1024;

// The export file is named inside the folder; a drive's root comes back from the picker with its backslash.
std::string inFolder(const std::string& folder, const std::string& name) {
    return (!folder.empty() && folder.back() == '\\' ? folder : folder + "\\") + name;
}

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    if (value < 10) text.insert(text.begin(), '0');
    return text;
}

// Days since 1970-01-01 to a calendar date (proleptic Gregorian, as Windows counts).
CivilTime civilFromMs(int64_t ms) {
    int64_t days = ms / 86400000;
    int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
    time.hour = static_cast<int>(rest / 3600000);
    time.minute = static_cast<int>(rest / 60000 % 60);
    time.second = static_cast<int>(rest / 1000 % 60);
    return time;
}

CivilTime localNow(IClock& clock) {
    return civilFromMs(clock.utcNowMs() + static_cast<int64_t>(clock.utcOffsetMinutes()) * 60000);
}

// reg.exe's own lines, on one line for a message.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool blank = c == '\r' || c == '\n' || c == ' ' || c == '\t';
        if (blank && (line.empty() || line.back() == ' ')) continue;
        line.push_back(blank ? ' ' : c);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

ConfigTransfer::ConfigTransfer(Platform& platform, ProgramState& state, ui::Form& configWindow,
                               ConfigChanges& changes, std::function<void()> GetConfig)
    : m_platform(platform),
      m_state(state),
      m_form(configWindow),
      m_changes(changes),
      m_GetConfig(std::move(GetConfig)) {
    m_form.control<ui::Button>("cmdExport").onClick([this] { exclusive(&ConfigTransfer::exportConfiguration); });
    m_form.control<ui::Button>("cmdImport").onClick([this] { exclusive(&ConfigTransfer::importConfiguration); });
    m_form.control<ui::Button>("Command1").onClick([this] { Command1Click(); });
    m_form.findTimer("tmrAutoUpdated")->onTick([this] { tmrAutoUpdatedTick(); });
}

// The pickers, the waits for reg.exe and the message boxes let the timer and clicks in: one change at a time. An
// automatic update that falls due during another change is tried at the next tick.
void ConfigTransfer::exclusive(void (ConfigTransfer::*transfer)()) {
    m_changes.run([this, transfer] { (this->*transfer)(); });
}

// The path is quoted, so a folder with blanks works, and /y lets a second export replace the first instead of
// waiting for an answer nobody can give.
void ConfigTransfer::exportConfiguration() {
    const std::string folder = BrowseForFolder(m_platform.files, m_form.id(), kBrowseFileSystemFolders, kNoTitle);
    if (folder.empty()) return;
    const Outcome exported = runReg("export hklm\\software\\obp \"" + inFolder(folder, kExportFileName) + "\" /y",
                                    ShowCommand::ShowNoActivate);
    if (!exported.ok) showBox("The configuration could not be exported: " + exported.reason, false);
}

void ConfigTransfer::importConfiguration() {
    const std::string path =
        BrowseForFolder(m_platform.files, m_form.id(), kBrowseIncludeFiles, "Select import folder:");
    if (path.empty()) return;
    std::string bytes;
    const Outcome checked = checkFile(path, bytes);
    if (!checked.ok) return showBox("The file " + path + " was not imported: " + checked.reason, true);
    // Making the configuration key is the first write an import needs, and the one a standard user is refused.
    const Status writable = m_platform.registry.createKey(RootKey::LocalMachine, "Software\\OBP");
    if (writable.code() == errc::kAccessDenied) return importWithRights(path, bytes);
    const Outcome saved = backUpConfiguration();
    if (!saved.ok) {
        return showBox("Nothing was imported, because the current configuration could not be saved first: " +
                           saved.reason,
                       false);
    }
    const Outcome imported = importCopy(bytes);
    // reg.exe may have written part of the file before it failed: the window shows what the registry holds.
    m_GetConfig();
    if (!imported.ok) showBox("The configuration could not be imported: " + imported.reason, false);
}

// A standard user (the program as it runs at logon) may neither back up into the program's folder nor import: the
// backup goes into the user's own temporary folder, and the file's changes are offered to be saved with
// administrator rights. Only a file of the form reg.exe exports can be read for that.
void ConfigTransfer::importWithRights(const std::string& path, const std::string& bytes) {
    const std::optional<RegEdits> edits = readRegFile(bytes);
    if (!edits) {
        return showBox("The file " + path + " was not imported: " + kNeedsAdministrator +
                           " With them only a file as reg.exe exports it (Unicode) can be imported.",
                       true);
    }
    std::string backup;
    const Outcome saved = backUpInto(m_platform.files.temporaryFolder(), backup);
    if (!saved.ok) {
        return showBox("Nothing was imported, because the current configuration could not be saved first: " +
                           saved.reason,
                       false);
    }
    const ElevatedSave::Answer answer =
        ElevatedSave(m_platform).offer(m_form.id(), "The configuration in " + path, *edits);
    if (answer.outcome == ElevatedSave::Outcome::Declined) {
        return showBox("Nothing was imported: " + std::string(kNeedsAdministrator), false);
    }
    // reg.exe may have written part of the file before it failed: the window shows what the registry holds.
    m_GetConfig();
    if (answer.outcome == ElevatedSave::Outcome::Failed) {
        showBox("The configuration could not be imported with administrator rights: " + answer.reason +
                    " The configuration before it was saved as " + backup + ".",
                false);
    }
}

void ConfigTransfer::tmrAutoUpdatedTick() {
    m_autoUpdatePath = m_state.programFolder + kAutoUpdateFile;
    if (!FileExists(m_autoUpdatePath)) return;
    Command1Click();
}

void ConfigTransfer::Command1Click() {
    exclusive(&ConfigTransfer::autoUpdate);
}

// A file that failed is not tried again as it is: it is kept under another name, or where it cannot be renamed
// (a standard user in the program's folder) it stays and is passed over until it changes or the program restarts.
void ConfigTransfer::autoUpdate() {
    const std::string& path = m_autoUpdatePath;
    const Result<FileStamp> stamp = m_platform.files.stamp(path);
    if (m_failedFile && stamp.ok() && stamp.value() == *m_failedFile) return;
    m_failedFile.reset();
    std::string bytes;
    const Outcome checked = checkFile(path, bytes);
    if (!checked.ok) {
        // Still being copied into the folder: the next tick tries again.
        if (checked.code == errc::kSharingViolation) return;
        showBox("The file " + path + " was not imported: " + checked.reason + " " +
                    setAsideFailed(path, stamp, "It was kept as "),
                true);
        return;
    }
    const Outcome saved = backUpConfiguration();
    if (!saved.ok) {
        // Nothing is wrong with the file itself: it stays where it is for a start that may save the configuration.
        if (stamp.ok()) m_failedFile = stamp.value();
        showBox(
            "Auto-update of configuration failed: the current configuration could not be saved first: " + saved.reason +
                " " + (saved.code == errc::kAccessDenied ? std::string(kNeedsAdministrator) + " " : "") + "The file " +
                kStaysInPlace,
            false);
        return;
    }
    const Outcome imported = importCopy(bytes);
    if (imported.ok) {
        showBox(completedText(), false);
        const Status deleted = m_platform.files.deleteFile(path);
        if (!deleted.ok()) {
            if (stamp.ok()) m_failedFile = stamp.value();  // imported once is enough
            showBox("The file " + path + " could not be deleted: " + m_platform.files.describeError(deleted.code()) +
                        " " + kStaysInPlace,
                    false);
        }
    } else {
        showBox("Auto-update of configuration failed: " + imported.reason + " " +
                    setAsideFailed(path, stamp, "The file was kept as "),
                false);
    }
    m_GetConfig();
}

// The sentence that says where the failed file went.
std::string ConfigTransfer::setAsideFailed(const std::string& path, const Result<FileStamp>& stamp,
                                           const std::string& keptAsSaid) {
    std::string keptAs;
    const Outcome kept = keepAsFailed(path, keptAs);
    if (kept.ok) return keptAsSaid + keptAs + ".";
    if (stamp.ok()) m_failedFile = stamp.value();
    return kept.reason + " " + kStaysInPlace;
}

// The bytes that passed are the ones imported. A file another program still has open is refused with the sharing
// violation's number, which the automatic update takes for a copy into the folder that is not finished yet.
ConfigTransfer::Outcome ConfigTransfer::checkFile(const std::string& path, std::string& bytes) {
    const Result<uint32_t> bits = m_platform.files.attributes(path);
    if (bits.ok() && (bits.value() & fileattr::kDirectory) != 0) return {false, "it is a folder, not a registry file."};
    auto opened = m_platform.files.openForReading(path);
    if (!opened.ok()) {
        if (opened.status().code() == errc::kSharingViolation) {
            return {false, "it is in use by another program. Close it there and try again.", errc::kSharingViolation};
        }
        return {false, "it could not be read: " + m_platform.files.describeError(opened.status().code())};
    }
    IFile& file = *opened.value();
    bytes.clear();
    std::array<uint8_t, 8192> buffer{};
    for (;;) {
        auto read = file.read(buffer);
        if (!read.ok()) {
            (void)file.close();
            return {false, "it could not be read: " + m_platform.files.describeError(read.status().code())};
        }
        if (read.value() == 0) break;
        bytes.append(reinterpret_cast<const char*>(buffer.data()), read.value());
        if (bytes.size() > kLargestConfigurationFile) {
            (void)file.close();
            return {false, "it is far too large for a configuration file."};
        }
    }
    (void)file.close();
    const RegFileVerdict verdict = checkRegFile(bytes);
    return {verdict.allowed, verdict.reason};
}

// Before every import: one bad file can then be undone by importing the copy. The key is made first, so a
// machine that never stored a configuration still gets a copy to go back to.
ConfigTransfer::Outcome ConfigTransfer::backUpConfiguration() {
    const std::string save = m_state.programFolder + "save";
    const std::string backup = save + "\\backup";
    for (const std::string& folder : {save, backup}) {
        const Status made = m_platform.files.createFolder(folder);
        if (!made.ok()) return fileFailure("the folder " + folder + " could not be made", made);
    }
    (void)m_platform.registry.createKey(RootKey::LocalMachine, "Software\\OBP");
    std::string ignored;
    return backUpInto(backup, ignored);
}

ConfigTransfer::Outcome ConfigTransfer::backUpInto(const std::string& folder, std::string& file) {
    const CivilTime now = localNow(m_platform.clock);
    file = inFolder(folder, "obelon7-" + std::to_string(now.year) + twoDigits(now.month) + twoDigits(now.day) + "-" +
                                twoDigits(now.hour) + twoDigits(now.minute) + twoDigits(now.second) + ".reg");
    return runReg("export hklm\\software\\obp \"" + file + "\" /y", ShowCommand::ShowMinimized);
}

// reg.exe reads a copy of exactly the bytes that passed the check, made under a new name of this program's own
// beside the backups, where only administrators write: the file that was given may change after its check, the
// copy does not. The copy goes again whatever reg.exe did.
ConfigTransfer::Outcome ConfigTransfer::importCopy(const std::string& bytes) {
    const std::string folder = m_state.programFolder + kBackupFolder;
    const Result<std::string> made = m_platform.files.createTemporaryFile(folder);
    if (!made.ok()) return fileFailure("no copy of the file could be made in " + folder, made.status());
    const std::string& copy = made.value();
    Outcome imported = writeCopy(copy, bytes);
    if (imported.ok) imported = runReg("import \"" + copy + "\"", ShowCommand::ShowMinimized);
    (void)m_platform.files.deleteFile(copy);
    return imported;
}

ConfigTransfer::Outcome ConfigTransfer::writeCopy(const std::string& copy, const std::string& bytes) {
    auto opened = m_platform.files.openForWriting(copy);
    if (!opened.ok()) return fileFailure("the copy " + copy + " could not be written", opened.status());
    IFile& file = *opened.value();
    const Status written = file.write({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    const Status closed = file.close();
    if (!written.ok()) return fileFailure("the copy " + copy + " could not be written", written);
    if (!closed.ok()) return fileFailure("the copy " + copy + " could not be written", closed);
    return {true, {}};
}

ConfigTransfer::Outcome ConfigTransfer::fileFailure(const std::string& what, const Status& status) {
    return {false, what + ": " + m_platform.files.describeError(status.code()), status.code()};
}

// Waits for reg.exe with pending events let through, so the window and the watch go on meanwhile.
ConfigTransfer::Outcome ConfigTransfer::runReg(const std::string& arguments, ShowCommand show) {
    auto started = m_platform.programs.start({.commandLine = "reg.exe " + arguments, .show = show});
    if (!started.ok()) {
        return {false, "reg.exe could not be started: " + m_platform.files.describeError(started.status().code())};
    }
    IChildProgram& reg = *started.value();
    for (int waited = 0; !reg.waitForExit(kWaitSliceMs); waited += kWaitSliceMs) {
        if (waited >= kRegTimeLimitMs) {
            reg.terminate();
            // Ended for good before its caller goes on, so its hold on the file it was reading is gone too.
            (void)reg.waitForExit(kRegEndAfterTerminateMs);
            return {false, "reg.exe did not finish within " + std::to_string(kRegTimeLimitMs / 1000) + " seconds."};
        }
        m_platform.ui.processEvents();
    }
    const uint32_t code = reg.exitCode();
    if (code == 0) return {true, {}};
    const std::string said = oneLine(reg.output());
    return {false, said.empty() ? "reg.exe ended with exit code " + std::to_string(code) + "." : said};
}

// A file kept from an earlier failure gives way to the newer one.
ConfigTransfer::Outcome ConfigTransfer::keepAsFailed(const std::string& path, std::string& keptAs) {
    keptAs = path + kFailedSuffix;
    if (FileExists(keptAs)) (void)m_platform.files.deleteFile(keptAs);
    const Status renamed = m_platform.files.rename(path, keptAs);
    if (renamed.ok()) return {true, {}};
    return {false,
            "The file could not be renamed to " + keptAs + ": " + m_platform.files.describeError(renamed.code())};
}

bool ConfigTransfer::FileExists(const std::string& path) {
    const Result<uint32_t> bits = m_platform.files.attributes(path);
    return bits.ok() && (bits.value() & fileattr::kDirectory) == 0;
}

// "d-mmmm h:mm": the day and the month's name in the user's language, the hour of the 24-hour clock.
std::string ConfigTransfer::completedText() {
    const CivilTime now = localNow(m_platform.clock);
    return "Auto-update of configuration completed on " + m_platform.clock.formatDate(now, "d-MMMM") + " " +
           std::to_string(now.hour) + ":" + twoDigits(now.minute);
}

void ConfigTransfer::showBox(const std::string& text, bool refusal) {
    (void)m_platform.shell.messageBox({.owner = m_form.id(),
                                       .text = text,
                                       .title = kApplicationTitle,
                                       .icon = refusal ? MessageBoxIcon::Exclamation : MessageBoxIcon::None,
                                       .buttons = MessageBoxButtons::Ok});
}
