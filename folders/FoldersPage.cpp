#include "folders/FoldersPage.h"

#include <limits>
#include <string_view>
#include <vector>

#include "folders/BrowseDialog.h"
#include "folders/EncryptionControl.h"
#include "folders/LowerCased.h"

namespace {

constexpr const char* kApplicationTitle = "Obelon Pro";
// A folder under this ending is opened by the shell as the class it names, no longer as a folder.
constexpr std::string_view kLockSuffix = ".{09799AFB-AD67-11d1-ABCD-00C04FC30936}";
constexpr uint32_t kPickerListsFiles = 0x4000;
constexpr int32_t kSelectorValue = 4;
constexpr int kBarAtStart = 44;   // twips
constexpr int kBarAtFull = 2190;  // twips, at 100 percent
constexpr uint32_t kLinkBlue = 0xFF0000;

bool endsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lowerCased(std::string(a)) == lowerCased(std::string(b));
}

bool isEncryptedName(std::string_view path) {
    return endsWith(path, "ob7") || endsWith(path, "obp");
}

constexpr const char* kFullPathNeeded =
    "Type the full path, beginning with its drive (for example C:\\Documents\\report.doc) or with \\\\ for a "
    "network folder.";

// A drive and its root ("C:\..."), or a network share ("\\server\share..."). Anything else would be taken from
// the program's own current folder, which at logon is the system folder.
bool isFullPath(std::string_view path) {
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool letter = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (letter && path[1] == ':' && slash(path[2])) return true;
    return path.size() >= 3 && slash(path[0]) && slash(path[1]) && !slash(path[2]);
}

// The file list `File1` pointed at a folder: the files directly inside it, as full paths, in name order.
// Hidden and system files are not listed, so nothing works on them.
Result<std::vector<std::string>> File1(IFileSystem& files, const std::string& folder) {
    Result<std::vector<FileEntry>> listed = files.listFiles(folder);
    if (!listed.ok()) return listed.status();
    const std::string prefix = endsWith(folder, "\\") ? folder : folder + "\\";
    std::vector<std::string> paths;
    for (const FileEntry& entry : listed.value()) {
        if (entry.attributes & (fileattr::kHidden | fileattr::kSystem)) continue;
        paths.push_back(prefix + entry.name);
    }
    return paths;
}

}  // namespace

// p x 21.9 twips, halves to the even neighbour; a width no 16-bit value holds becomes the full bar. Computed
// in tenths so that 21.9 is exact. A negative percentage (no control sends one) gives an empty bar.
int progressBarTwips(int32_t percent) {
    const int64_t tenths = int64_t{percent} * 219;
    int64_t width = tenths / 10;
    int64_t rest = tenths % 10;
    if (rest < 0) {
        rest += 10;
        width -= 1;
    }
    if (rest > 5 || (rest == 5 && width % 2 != 0)) width += 1;
    if (width < std::numeric_limits<int16_t>::min() || width > std::numeric_limits<int16_t>::max()) return kBarAtFull;
    return width < 0 ? 0 : static_cast<int>(width);
}

FoldersPage::FoldersPage(Platform& platform, ui::Form& configWindow)
    : m_platform(platform),
      m_form(configWindow),
      RSPEncrypt1(std::make_unique<EncryptionControl>(platform.crypto, platform.files, platform.ui)),
      chkdisable(configWindow.control<ui::CheckBox>("chkdisable")),
      txtenpath(configWindow.control<ui::TextBox>("txtenpath")),
      cmdbrowse2(configWindow.control<ui::Button>("cmdbrowse2")),
      txtenpwd(configWindow.control<ui::TextBox>("txtenpwd")),
      cmdencrypt(configWindow.control<ui::Button>("cmdencrypt")),
      cmddecrypt(configWindow.control<ui::Button>("cmddecrypt")),
      chkInclude(configWindow.control<ui::CheckBox>("chkInclude")),
      cmdAbort(configWindow.control<ui::Button>("cmdAbort")),
      lblprogress(configWindow.control<ui::Label>("lblprogress")),
      ProgressBar(configWindow.control<ui::ProgressBar>("ProgressBar")),
      lblerr(configWindow.control<ui::Label>("lblerr")),
      lblFolderHelp(configWindow.control<ui::Label>("lblFolderHelp")) {
    // The bar's value is its width in twips.
    ProgressBar.setRange(kBarAtFull);
    lblFolderHelp.setForeColor(kLinkBlue);
    chkdisable.onClick([this] { chkdisableClick(); });
    cmdbrowse2.onClick([this] { cmdbrowse2Click(); });
    cmdencrypt.onClick([this] { cmdencryptClick(); });
    cmddecrypt.onClick([this] { cmddecryptClick(); });
    cmdAbort.onClick([this] { RSPEncrypt1->abort(); });
    lblFolderHelp.onClick([this] { showHelp(); });
    RSPEncrypt1->onProgress([this](int32_t percent) { onProgress(percent); });
    RSPEncrypt1->onError([this](int32_t number, const std::string& text) { m_lastError = {number, text}; });
}

FoldersPage::~FoldersPage() = default;

void FoldersPage::chkdisableClick() {
    if (chkdisable.isChecked()) {
        txtenpwd.setText("");
        txtenpwd.setEnabled(false);
        chkInclude.setChecked(false);
        chkInclude.setEnabled(false);
        cmdencrypt.setText("Lock Folder");
        cmddecrypt.setText("Unlock");
    } else {
        cmdencrypt.setText("Encrypt");
        cmddecrypt.setText("Decrypt");
        txtenpwd.setEnabled(true);
        chkInclude.setEnabled(true);
    }
}

// A locked folder shows under its plain name, and a picked file without its extension.
void FoldersPage::cmdbrowse2Click() {
    const std::string picked = BrowseForFolder(m_platform.files, m_form.id(), kPickerListsFiles, "Select a File:");
    if (picked.empty()) return;
    m_rememberedPath = picked;
    const size_t dot = picked.find('.');
    txtenpath.setText(dot != std::string::npos && dot >= 1 ? picked.substr(0, dot) : picked);
}

// While a run lets events through, a second click would start a run inside it; it is not taken.
void FoldersPage::cmdencryptClick() {
    if (m_running) return;
    startClick();
    if (chkdisable.isChecked()) {
        lockFolder();
    } else {
        encryptFiles();
    }
}

void FoldersPage::cmddecryptClick() {
    if (m_running) return;
    startClick();
    if (chkdisable.isChecked()) {
        unlockFolder();
    } else {
        decryptFiles();
    }
}

void FoldersPage::startClick() {
    lblerr.setText("");
    ProgressBar.setValue(kBarAtStart);
}

// A path with a "." anywhere counts as locked already: C:\Users\first.last\Private can never be locked.
void FoldersPage::lockFolder() {
    if (m_rememberedPath.find('.') != std::string::npos) {
        tell("Folder already locked, or, cannot be locked!", MessageBoxIcon::Exclamation);
        m_rememberedPath.clear();
        txtenpath.setText("");
        return;
    }
    // A path typed by hand was never picked: there is no item to rename.
    if (m_rememberedPath.empty()) return showFailure(errc::kPathNotFound);
    const std::string locked = m_rememberedPath + std::string(kLockSuffix);
    if (const Status renamed = m_platform.files.rename(m_rememberedPath, locked); !renamed.ok()) {
        return showFailure(renamed.code());
    }
    m_rememberedPath = locked;
}

// Only the lock suffix comes off. Cutting at the first "." instead would rename a picked file that was never
// locked (report.txt to report) or move a folder out of a parent with a "." in its name.
void FoldersPage::unlockFolder() {
    const std::string& path = m_rememberedPath;
    const bool locked = path.size() > kLockSuffix.size() &&
                        sameIgnoringCase(std::string_view(path).substr(path.size() - kLockSuffix.size()), kLockSuffix);
    if (!locked) {
        tell("Folder doesn't appear to be locked. Please check and try again.", MessageBoxIcon::Exclamation);
        return;
    }
    const std::string plain = path.substr(0, path.size() - kLockSuffix.size());
    if (const Status renamed = m_platform.files.rename(path, plain); !renamed.ok()) return showFailure(renamed.code());
    txtenpath.setText("");
    m_rememberedPath.clear();
}

void FoldersPage::encryptFiles() {
    if (!readyToRun("This folder cannot be encrypted, it may have a lock on it. Remove the lock to continue.")) return;
    const std::string typed = txtenpath.text();
    const std::string source = lowerCased(typed);
    if (source.size() < 3) return m_platform.clock.beep();
    if (!isFullPath(typed)) return tell(kFullPathNeeded, MessageBoxIcon::Exclamation);
    const std::string password = txtenpwd.text();
    startRun();
    if (chkInclude.isChecked()) {
        encryptFolder(typed, password);
        if (!m_running) return;
    } else if (!endsWith(typed, "ob7")) {
        RSPEncrypt1->encrypt(source, source + ".ob7", password);
    }
    if (m_lastError.text.empty()) m_lastError = {0, "No Errors Reported."};
    finishRun();
}

void FoldersPage::encryptFolder(const std::string& folder, const std::string& password) {
    Result<std::vector<std::string>> files = File1(m_platform.files, folder);
    if (!files.ok()) return showFailure(files.status().code());
    for (const std::string& file : files.value()) {
        if (!endsWith(file, "ob7")) RSPEncrypt1->encrypt(file, file + ".ob7", password);
    }
}

void FoldersPage::decryptFiles() {
    if (!readyToRun("This folder cannot be decrypted, it may have a lock on it. Remove the lock to continue.")) return;
    const std::string typed = txtenpath.text();
    const std::string source = lowerCased(typed);
    if (source.size() < 3) return m_platform.clock.beep();
    // "abc" leaves no name once ".ob7" is cut off.
    if (source.size() < 4) return showFailure(errc::kInvalidParameter);
    if (!isFullPath(typed)) return tell(kFullPathNeeded, MessageBoxIcon::Exclamation);
    const std::string destination = source.substr(0, source.size() - 4);
    const std::string password = txtenpwd.text();
    startRun();
    if (chkInclude.isChecked()) {
        decryptFolder(typed, password);
        if (!m_running) return;
    } else if (isEncryptedName(source)) {
        RSPEncrypt1->decrypt(source, destination, password);
    }
    finishRun();
}

// A name in capitals ("A.TXT.OB7") is passed over here, though a single path is lower-cased first.
void FoldersPage::decryptFolder(const std::string& folder, const std::string& password) {
    Result<std::vector<std::string>> files = File1(m_platform.files, folder);
    if (!files.ok()) return showFailure(files.status().code());
    for (const std::string& file : files.value()) {
        if (isEncryptedName(file)) RSPEncrypt1->decrypt(file, file.substr(0, file.size() - 4), password);
    }
}

// The checks both runs begin with; "Abort" shows from here on, even when the path then turns out too short.
bool FoldersPage::readyToRun(const char* lockedRefusal) {
    if (m_rememberedPath.find('.') != std::string::npos) {
        tell(lockedRefusal, MessageBoxIcon::Exclamation);
        return false;
    }
    if (txtenpwd.text().empty()) {
        tell("Enter a password to continue.", MessageBoxIcon::None);
        return false;
    }
    cmdAbort.setVisible(true);
    return true;
}

// What an earlier run reported is forgotten here: shown again after a run that went well, it would read as
// that run's failure.
void FoldersPage::startRun() {
    m_running = true;
    m_lastError = {};
    RSPEncrypt1->selector(kSelectorValue);
    lblprogress.setVisible(true);
    ProgressBar.setVisible(true);
    RSPEncrypt1->setRunFlag(true);
}

void FoldersPage::finishRun() {
    showReportedError();
    lblprogress.setVisible(false);
    ProgressBar.setVisible(false);
    cmdAbort.setVisible(false);
    m_running = false;
}

void FoldersPage::showReportedError() {
    if (m_lastError.number == 0) return;
    lblerr.setText(std::to_string(m_lastError.number) + " - " + m_lastError.text);
    lblerr.setVisible(true);
}

// The click ends here; the progress display and "Abort" stay as they are until a run completes.
void FoldersPage::showFailure(uint32_t code) {
    m_running = false;
    chkInclude.setChecked(false);
    lblerr.setText(m_platform.files.describeError(code));
    lblerr.setVisible(true);
}

void FoldersPage::onProgress(int32_t percent) {
    ProgressBar.setValue(progressBarTwips(percent));
}

void FoldersPage::showHelp() {
    tell(
        "To have the folder access disable without encrypting it, simply leave the password field blank and click "
        "encrypt. The folder will be disabled but not encrypted.",
        MessageBoxIcon::None);
}

void FoldersPage::tell(const char* text, MessageBoxIcon icon) {
    (void)m_platform.shell.messageBox({.owner = m_form.id(),
                                       .text = text,
                                       .title = kApplicationTitle,
                                       .icon = icon,
                                       .buttons = MessageBoxButtons::Ok});
}
