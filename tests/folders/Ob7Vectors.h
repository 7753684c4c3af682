#pragma once
// One small ".ob7" file computed outside this program, and a random source that gives scripted bytes, shared by
// the native suite (OpenSSL) and the Win32 suite (CNG under Wine): both must write exactly these bytes.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ICrypto.h"
#include "platform/IFileSystem.h"

namespace ob7test {

// Made with Python's hashlib.pbkdf2_hmac and cryptography's AESGCM, following docs/ob7-format.md: password
// "pässwörd" (UTF-8), 1000 iterations, salt 00..0f, chunks of 16 bytes, file id a0..a7.
inline constexpr std::string_view kPassword = "p\xC3\xA4ssw\xC3\xB6rd";
inline constexpr std::string_view kPlain = "Obelon Pro known answer: 40 bytes long!!";
inline constexpr uint32_t kIterations = 1000;
inline constexpr uint32_t kChunkSize = 16;
inline constexpr std::string_view kSealedHex =
    "4f4237435259505401000101e8030000000102030405060708090a0b0c0d0e0f10000000a0a1a2a3a4a5a6a7f45f8e4279892ffc"
    "805289b681ae9992ba2bf593ebab2195098ad41f20833ceefa485ca28d6162a12d738c977ca5eb47097f0602e27c91c71f7f6643"
    "33ee285976575c110e3d55bc0eb8d0883217bfd40f99048e948856cbd43b25620a455ae5db4dfef6bf90140d";
// The same text as version 2 writes it, carrying the details below (made the same way).
inline constexpr std::string_view kSealedV2Hex =
    "4f4237435259505402000101e8030000000102030405060708090a0b0c0d0e0f10000000a0a1a2a3a4a5a6a7fb1ac3a4287827a7"
    "922737afe5303f1a864990ffa6c501c50bb3c0664eec8781fe0a042b4b0f44b3048ee1170e25e64459485c5395192ffc4f1d6251"
    "5197903d5f76775f91a71be5b119ae1f099c6a8e60b968e1fbef736aeb47b06613fc1d7ac990fee48751d5d12ac56f8c687480c9"
    "496fb5e9664162e1aaa999076a7fc9a38400008f768c5b40552cb1b01006b42f3b9eae9b5bade7166c2d9f6a0faa510576001cc7"
    "f0d1905eb76a164d5ac8ad7978e4b446e3184a0c8d2dcdcd98f3070279b6d9b492e266642f31bcb878c49018e85a6993fa196293"
    "61eaae7ea68842962cc5f8830cbe588ff9228dc352fd5111976c24db92d6c610633249a9953941ec8105909d20ba6e5a89701025"
    "c6acb9d6da0029929c6e781315c46f7600c3ccdf42c109e17a8c3de3d224ee6af67fcf6d30ad880b3e5b2a88b095b1a2311238e1"
    "80887e2c239428d87c37b41558be1e";
inline FileDetails knownDetails() {
    FileDetails details;
    details.attributes = fileattr::kHidden | fileattr::kArchive;
    details.created = 0x01CC000012345670ULL;
    details.lastAccess = 0x01CC000022345670ULL;
    details.lastWrite = 0x01CC000032345670ULL;
    details.security = {1, 0, 0x04, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 2, 0, 8, 0, 0, 0, 0, 0};
    const std::string_view zone = "[ZoneTransfer]\r\nZoneId=3\r\n";
    details.streams.push_back({"Zone.Identifier", std::vector<uint8_t>(zone.begin(), zone.end())});
    return details;
}

// The committed files of tests/folders/data hold this text, encrypted with this password by each build.
inline constexpr std::string_view kCrossPlain = "Written by one build, read by the other: \xE2\x9C\x93\n";
inline constexpr std::string_view kCrossPassword = "cross-build";

inline std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

inline std::vector<uint8_t> counting(uint8_t from, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(from + i);
    return bytes;
}

// The machine's cryptography with the random source replaced by answers given in advance.
class ScriptedRandom final : public ICrypto {
public:
    explicit ScriptedRandom(ICrypto& real) : m_real(real) {}
    void next(std::vector<uint8_t> bytes) { m_answers.push_back(std::move(bytes)); }
    Result<std::vector<uint8_t>> randomBytes(size_t count) override {
        if (m_answers.empty() || m_answers.front().size() != count) return Status::failure(13, "randomBytes");
        std::vector<uint8_t> bytes = std::move(m_answers.front());
        m_answers.pop_front();
        return bytes;
    }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override {
        return m_real.pbkdf2Sha256(password, salt, iterations, length);
    }
    Status aes256GcmSeal(const GcmSealArgs& args) override { return m_real.aes256GcmSeal(args); }
    Status aes256GcmOpen(const GcmOpenArgs& args) override { return m_real.aes256GcmOpen(args); }

private:
    ICrypto& m_real;
    std::deque<std::vector<uint8_t>> m_answers;
};

}  // namespace ob7test
