#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

class EncryptionControl;

// What the encryption control last reported through its error event (or what a finished run put there).
struct ReportedError {
    int32_t number = 0;
    std::string text;
};

// The width of the progress bar, in twips, for the percentage the encryption control reports.
int progressBarTwips(int32_t percent);

// The "Files/Folders" page of the configuration window: locking a folder by renaming it, and encrypting
// or decrypting a file or a folder's files through the encryption control `RSPEncrypt1`.
class FoldersPage final {
public:
    // The page's controls must already exist on the form.
    FoldersPage(Platform& platform, ui::Form& configWindow);
    ~FoldersPage();
    // An encryption or decryption run is going: its files are half written until it ends.
    bool running() const { return m_running; }
    const std::string& rememberedPath() const { return m_rememberedPath; }
    const ReportedError& lastReportedError() const { return m_lastError; }

private:
    void chkdisableClick();
    void cmdbrowse2Click();
    void cmdencryptClick();
    void cmddecryptClick();
    void startClick();
    void lockFolder();
    void unlockFolder();
    void encryptFiles();
    void decryptFiles();
    void encryptFolder(const std::string& folder, const std::string& password);
    void decryptFolder(const std::string& folder, const std::string& password);
    bool readyToRun(const char* lockedRefusal);
    void startRun();
    void finishRun();
    void showHelp();
    void onProgress(int32_t percent);
    void showReportedError();
    void showFailure(uint32_t code);
    void tell(const char* text, MessageBoxIcon icon);

    Platform& m_platform;
    ui::Form& m_form;
    std::unique_ptr<EncryptionControl> RSPEncrypt1;
    std::string m_rememberedPath;
    ReportedError m_lastError;
    bool m_running = false;
    ui::CheckBox& chkdisable;
    ui::TextBox& txtenpath;
    ui::Button& cmdbrowse2;
    ui::TextBox& txtenpwd;
    ui::Button& cmdencrypt;
    ui::Button& cmddecrypt;
    ui::CheckBox& chkInclude;
    ui::Button& cmdAbort;
    ui::Label& lblprogress;
    ui::ProgressBar& ProgressBar;
    ui::Label& lblerr;
    ui::Label& lblFolderHelp;
};
