#include "registry/ElevatedSave.h"

#include <array>
#include <cstdint>
#include <span>

#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kTitle = "Obelon Pro";
constexpr const char* kConfigurationKey = "software\\obp";
constexpr int kWaitSliceMs = 50;
constexpr int kRegTimeLimitMs = 60000;

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The elevated import may write nothing but the configuration: the file is refused before anyone is asked.
bool belowConfiguration(const RegEdits& edits) {
    for (const RegEdit& edit : edits) {
        const std::string key = lower(edit.key);
        if (key != kConfigurationKey && key.rfind(std::string(kConfigurationKey) + "\\", 0) != 0) return false;
        if (key.find("\\\\") != std::string::npos || key.back() == '\\') return false;
    }
    return true;
}

}  // namespace

ElevatedSave::Answer ElevatedSave::offer(WindowId owner, const std::string& what, const RegEdits& edits) {
    if (!belowConfiguration(edits)) return {Outcome::Failed, "they reach beyond the configuration of this program."};
    const MessageBoxAnswer answer = m_platform.shell.messageBox(
        {.owner = owner,
         .text = what + " cannot be saved by this program as it runs: changing the configuration of this computer "
                        "needs administrative rights.\r\n\r\nSave with administrator rights? Windows will ask for an "
                        "administrator's permission.",
         .title = kTitle,
         .icon = MessageBoxIcon::Question,
         .buttons = MessageBoxButtons::YesNo});
    if (answer != MessageBoxAnswer::Yes) return {Outcome::Declined, {}};
    return save(edits);
}

ElevatedSave::Answer ElevatedSave::save(const RegEdits& edits) {
    const std::string bytes = regFileFor(edits);
    const auto readBack = readRegFile(bytes);
    if (!readBack || *readBack != regFileEditsOf(edits)) {
        return {Outcome::Failed, "the registration file could not be made."};
    }
    IFileSystem& files = m_platform.files;
    auto made = files.createTemporaryFile(files.temporaryFolder());
    if (!made.ok()) return {Outcome::Failed, "no file could be made for it: " + files.describeError(made.status().code())};
    const std::string path = made.value();
    const Answer answer = importHeld(path, bytes);
    (void)files.deleteFile(path);
    if (answer.outcome == Outcome::Saved && !stored(edits)) {
        return {Outcome::Failed, "the registry does not hold what was imported."};
    }
    return answer;
}

// Written, then opened again for reading alone and read back through that handle: while it is held nobody can
// change or replace the file, so reg.exe imports exactly the bytes that were checked.
ElevatedSave::Answer ElevatedSave::importHeld(const std::string& path, const std::string& bytes) {
    IFileSystem& files = m_platform.files;
    const auto data = std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    {
        auto writer = files.openForWriting(path);
        if (!writer.ok()) return {Outcome::Failed, files.describeError(writer.status().code())};
        const Status written = writer.value()->write(data);
        const Status closed = writer.value()->close();
        if (!written.ok() || !closed.ok()) {
            return {Outcome::Failed, files.describeError(written.ok() ? closed.code() : written.code())};
        }
    }
    auto held = files.openForReading(path);
    if (!held.ok()) return {Outcome::Failed, files.describeError(held.status().code())};
    std::string found;
    std::array<uint8_t, 8192> buffer{};
    for (;;) {
        auto read = held.value()->read(buffer);
        if (!read.ok()) return {Outcome::Failed, files.describeError(read.status().code())};
        if (read.value() == 0) break;
        found.append(reinterpret_cast<const char*>(buffer.data()), read.value());
        if (found.size() > bytes.size()) break;
    }
    if (found != bytes) return {Outcome::Failed, "the registration file was changed before it could be imported."};

    auto started = m_platform.programs.start(
        {.commandLine = "reg.exe import \"" + path + "\"", .show = ShowCommand::Hide, .elevated = true});
    if (!started.ok()) {
        if (started.status().code() == errc::kCancelled) return {Outcome::Declined, {}};
        return {Outcome::Failed, "reg.exe could not be started: " + files.describeError(started.status().code())};
    }
    IChildProgram& reg = *started.value();
    for (int waited = 0; !reg.waitForExit(kWaitSliceMs); waited += kWaitSliceMs) {
        if (waited >= kRegTimeLimitMs) {
            reg.terminate();
            return {Outcome::Failed, "reg.exe did not finish within " + std::to_string(kRegTimeLimitMs / 1000) +
                                         " seconds."};
        }
        m_platform.ui.processEvents();
    }
    (void)held.value()->close();
    if (reg.exitCode() != 0) {
        return {Outcome::Failed, "reg.exe ended with exit code " + std::to_string(reg.exitCode()) + "."};
    }
    return {Outcome::Saved, {}};
}

// What reg.exe says is not taken on trust: every value written reads back as written, every value deleted is gone.
bool ElevatedSave::stored(const RegEdits& edits) {
    IRegistry& registry = m_platform.registry;
    for (const RegEdit& edit : edits) {
        switch (edit.kind) {
        case RegEdit::Kind::SetText:
            if (GetStringValue(registry, RootKey::LocalMachine, edit.key, edit.name) != edit.text) return false;
            break;
        case RegEdit::Kind::SetNumber:
            if (static_cast<uint32_t>(GetDWordValue(registry, RootKey::LocalMachine, edit.key, edit.name)) !=
                edit.number) {
                return false;
            }
            break;
        case RegEdit::Kind::DeleteValue:
            if (registry.queryValue(RootKey::LocalMachine, edit.key, edit.name).ok()) return false;
            break;
        default:
            break;
        }
    }
    return true;
}
