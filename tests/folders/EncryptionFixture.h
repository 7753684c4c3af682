#pragma once
// The encryption control on the simulated file system, with what its two events reported.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "folders/EncryptionControl.h"
#include "platform/sim/OpenSslCrypto.h"
#include "platform/sim/SimFileSystem.h"

namespace ob7test {

// The window's message loop as the control sees it: each turn may run what a user did meanwhile.
class PumpToolkit final : public ui::Toolkit {
public:
    std::unique_ptr<ui::Form> createForm(const ui::FormSpec&) override { return nullptr; }
    void processEvents() override {
        ++turns;
        if (onTurn) onTurn(turns);
    }
    bool waitForEvent() override {
        processEvents();
        return true;
    }
    void watchForeground(ui::Handler) override {}
    int turns = 0;
    std::function<void(int)> onTurn;
};

// The machine's cryptography, counting the password stretches (the slow part) the control asks for.
class CountingCrypto final : public ICrypto {
public:
    Result<std::vector<uint8_t>> randomBytes(size_t count) override { return m_real.randomBytes(count); }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override {
        ++derivations;
        if (beforeStretch) beforeStretch();
        return m_real.pbkdf2Sha256(password, salt, iterations, length);
    }
    Status aes256GcmSeal(const GcmSealArgs& args) override { return m_real.aes256GcmSeal(args); }
    Status aes256GcmOpen(const GcmOpenArgs& args) override { return m_real.aes256GcmOpen(args); }
    void forgetKeys() override { ++forgets; }
    int derivations = 0;
    int forgets = 0;
    std::function<void()> beforeStretch;  // runs where the stretch runs

private:
    sim::OpenSslCrypto m_real;
};

struct ReportedError {
    int32_t number;
    std::string text;
};

class EncryptionFixture : public ::testing::Test {
protected:
    explicit EncryptionFixture(EncryptionOptions options = {.iterations = 1000, .chunkSize = 16, .eventInterval = {}})
        : control(crypto, files, ui, options) {
        control.onProgress([this](int32_t percent) { progress.push_back(percent); });
        control.onError([this](int32_t number, const std::string& text) { errors.push_back({number, text}); });
        files.makeFolder("C:\\Data");
    }
    // A run as the Files/Folders tab starts one.
    void startRun() {
        control.selector(4);
        control.setRunFlag(true);
    }
    // Every name in the folder: a temporary file left behind shows up here too.
    std::vector<std::string> names() { return files.namesIn("C:\\Data"); }

    sim::SimFileSystem files;
    CountingCrypto crypto;
    PumpToolkit ui;
    EncryptionControl control;
    std::vector<int32_t> progress;
    std::vector<ReportedError> errors;
};

}  // namespace ob7test
