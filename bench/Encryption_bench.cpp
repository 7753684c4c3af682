// What encrypting costs next to the cipher alone: one file of 256 MiB, and a folder of 1000 files of 4 KiB in
// one run (one key derivation), on the simulated file system over a real temporary folder.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "folders/EncryptionControl.h"
#include "platform/sim/OpenSslCrypto.h"
#include "platform/sim/SimFileSystem.h"

namespace {

class NoWindow final : public ui::Toolkit {
public:
    std::unique_ptr<ui::Form> createForm(const ui::FormSpec&) override { return nullptr; }
    void processEvents() override {}
    bool waitForEvent() override { return true; }
    void watchForeground(ui::Handler) override {}
};

struct Bench {
    sim::SimFileSystem files;
    sim::OpenSslCrypto crypto;
    NoWindow ui;
    EncryptionControl control{crypto, files, ui};
    int errors = 0;
    Bench() {
        control.onError([this](int32_t, const std::string&) { ++errors; });
        files.makeFolder("C:\\Bench");
    }
    void startRun() {
        control.selector(4);
        control.setRunFlag(true);
    }
};

void rawAesGcm(benchmark::State& state) {
    sim::OpenSslCrypto crypto;
    std::vector<uint8_t> key(32, 7), nonce(12, 1), tag(16);
    std::vector<uint8_t> plain(64 * 1024, 0x5A), cipher(plain.size());
    for (auto _ : state) {
        Status sealed = crypto.aes256GcmSeal(
            {.key = key, .nonce = nonce, .associatedData = {}, .plain = plain, .cipher = cipher, .tag = tag});
        benchmark::DoNotOptimize(sealed.ok());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * plain.size()));
}
BENCHMARK(rawAesGcm)->Name("RawAesGcm/64KiBChunks");

void keyDerivation(benchmark::State& state) {
    sim::OpenSslCrypto crypto;
    const std::vector<uint8_t> salt(16, 3);
    for (auto _ : state) {
        auto key = crypto.pbkdf2Sha256("s3cret", salt, ob7::kDefaultIterations, 32);
        benchmark::DoNotOptimize(key.ok());
    }
}
BENCHMARK(keyDerivation)->Name("KeyDerivation/600000Iterations")->Unit(benchmark::kMillisecond);

// Each round encrypts the file (timed) and decrypts it back (not timed), so the next round finds it again.
void largeFile(benchmark::State& state) {
    Bench bench;
    const size_t size = 256u << 20;
    bench.files.writeFile("C:\\Bench\\big.bin", std::string(size, 'x'));
    for (auto _ : state) {
        bench.startRun();
        bench.control.encrypt("C:\\Bench\\big.bin", "C:\\Bench\\big.bin.ob7", "s3cret");
        state.PauseTiming();
        bench.control.decrypt("C:\\Bench\\big.bin.ob7", "C:\\Bench\\big.bin", "s3cret");
        state.ResumeTiming();
    }
    if (bench.errors != 0) state.SkipWithError("the control reported an error");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(largeFile)->Name("EncryptFile/256MiB")->Unit(benchmark::kMillisecond)->Iterations(3);

void manySmallFiles(benchmark::State& state) {
    Bench bench;
    const int count = 1000;
    const std::string content(4096, 'y');
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back("C:\\Bench\\f" + std::to_string(i) + ".txt");
        bench.files.writeFile(paths.back(), content);
    }
    for (auto _ : state) {
        bench.startRun();
        for (const std::string& path : paths) bench.control.encrypt(path, path + ".ob7", "s3cret");
        state.PauseTiming();
        bench.startRun();
        for (const std::string& path : paths) bench.control.decrypt(path + ".ob7", path, "s3cret");
        state.ResumeTiming();
    }
    if (bench.errors != 0) state.SkipWithError("the control reported an error");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * count * content.size()));
}
BENCHMARK(manySmallFiles)->Name("EncryptFolder/1000FilesOf4KiB")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
