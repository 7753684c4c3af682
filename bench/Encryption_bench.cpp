// What encrypting costs next to the cipher alone: one file of 256 MiB, and a folder of 1000 files of 4 KiB, in a
// run whose password was stretched before the timing, on the simulated file system over a real temporary folder. Beside them, the
// yardsticks on the same bytes: `age` encrypting the same file to an X25519 recipient (no password stretching),
// and a plain copy of the same folder through the same file layer. Every case reports wall time, and its CPU time
// over all its threads (for `age`, the child's own, as the counter child_cpu_ms): on a shared machine the CPU
// time is the steadier figure.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    // The folder of the folder cases: `count` files "f<i>.txt", each holding `content`.
    std::vector<std::string> plantFolder(int count, const std::string& content) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back("C:\\Bench\\f" + std::to_string(i) + ".txt");
            files.writeFile(paths.back(), content);
        }
        return paths;
    }
    // One run for all rounds, its password stretched once before the timing: `age` in recipient mode stretches
    // none, and a folder run stretches once whatever its size.
    void deriveKeyUntimed() {
        control.selector(4);
        control.setRunFlag(true);
        files.writeFile("C:\\Bench\\key.txt", "k");
        control.encrypt("C:\\Bench\\key.txt", "C:\\Bench\\key.txt.ob7", "s3cret");
        control.decrypt("C:\\Bench\\key.txt.ob7", "C:\\Bench\\key.txt", "s3cret");
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
// With argument 0 encryption is timed, with 1 the decryption that brings the file back.
void largeFile(benchmark::State& state) {
    Bench bench;
    const size_t size = 256u << 20;
    const bool decrypting = state.range(0) != 0;
    bench.files.writeFile("C:\\Bench\\big.bin", std::string(size, 'x'));
    bench.deriveKeyUntimed();
    for (auto _ : state) {
        if (decrypting) state.PauseTiming();
        bench.control.encrypt("C:\\Bench\\big.bin", "C:\\Bench\\big.bin.ob7", "s3cret");
        if (decrypting) {
            state.ResumeTiming();
        } else {
            state.PauseTiming();
        }
        bench.control.decrypt("C:\\Bench\\big.bin.ob7", "C:\\Bench\\big.bin", "s3cret");
        if (!decrypting) state.ResumeTiming();
    }
    if (bench.errors != 0) state.SkipWithError("the control reported an error");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(largeFile)->Name("EncryptFile/256MiB")->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(largeFile)->Name("DecryptFile/256MiB")->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// The sealing pass alone, with its proof, below the control: header and chunks written to a temporary output,
// read back and compared with the digest of what was written, then flushed.
void sealPass(benchmark::State& state) {
    Bench bench;
    const size_t size = 256u << 20;
    bench.files.writeFile("C:\\Bench\\big.bin", std::string(size, 'x'));
    bench.files.writeFile("C:\\Bench\\big.ob7", "");
    const ob7::Key key{};
    ob7::Header header{};
    header.fileId[0] = 1;
    bool failed = !ob7::sealHeader(bench.crypto, key, header).ok();
    // Where the time goes: the pipeline, the read-back while the disk takes the file, and what the flush still waits.
    static constexpr std::array<const char*, 3> kPhaseNames = {"seal_ms", "prove_ms", "flush_ms"};
    std::array<double, 3> phases{};
    const auto milliseconds = [](auto span) { return std::chrono::duration<double, std::milli>(span).count(); };
    for (auto _ : state) {
        auto plain = bench.files.openForReading("C:\\Bench\\big.bin");
        auto sealed = bench.files.createTemporaryOutput("C:\\Bench");
        if (!plain.ok() || !sealed.ok()) {
            failed = true;
            break;
        }
        ob7::Digest written{};
        const auto start = std::chrono::steady_clock::now();
        const ob7::PassResult pass =
            ob7::sealFile(bench.crypto, key, header, {*plain.value(), *sealed.value()}, nullptr, written);
        const auto sealedAt = std::chrono::steady_clock::now();
        failed |= pass.outcome != ob7::Outcome::Done || !sealed.value()->rewind().ok() ||
                  ob7::proveWritten(header, *sealed.value(), written, ob7::WrittenAs::Sealed, nullptr).outcome !=
                      ob7::Outcome::Done;
        const auto provedAt = std::chrono::steady_clock::now();
        failed |= !sealed.value()->flush().ok() || !sealed.value()->close().ok();
        phases[0] += milliseconds(sealedAt - start);
        phases[1] += milliseconds(provedAt - sealedAt);
        phases[2] += milliseconds(std::chrono::steady_clock::now() - provedAt);
    }
    for (size_t i = 0; i < phases.size(); ++i) {
        state.counters[kPhaseNames[i]] = benchmark::Counter(phases[i] / static_cast<double>(state.iterations()));
    }
    if (failed) state.SkipWithError("the pass failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(sealPass)->Name("SealAndProve/256MiB")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

bool succeeds(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// The public key of an age key file, read through `age-keygen -y`; "" if that fails.
std::string ageRecipient(const std::string& keyFile) {
    FILE* pipe = ::popen(("age-keygen -y '" + keyFile + "'").c_str(), "r");
    if (!pipe) return "";
    char line[256] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    const bool exited = ::pclose(pipe) == 0;
    std::string recipient = got && exited ? line : "";
    while (!recipient.empty() && (recipient.back() == '\n' || recipient.back() == '\r')) recipient.pop_back();
    return recipient;
}

// The same 256 MiB file encrypted by `age` to a recipient key made once, outside the timing; each round is one
// run of the program, started and waited for as a person would run it.
void ageLargeFile(benchmark::State& state) {
    if (!succeeds("command -v age >/dev/null 2>&1 && command -v age-keygen >/dev/null 2>&1")) {
        state.SkipWithError("age is not installed (apt-get install age): no comparison");
        return;
    }
    Bench bench;
    const size_t size = 256u << 20;
    bench.files.writeFile("C:\\Bench\\big.bin", std::string(size, 'x'));
    const std::string in = bench.files.hostPath("C:\\Bench\\big.bin").string();
    const std::string out = in + ".age";
    const std::string keyFile = in + ".key";
    const std::string recipient = succeeds("age-keygen -o '" + keyFile + "' 2>/dev/null") ? ageRecipient(keyFile) : "";
    if (recipient.empty()) {
        state.SkipWithError("age-keygen failed");
        return;
    }
    // With a nonzero argument, `sync FILE` then puts age's output on the disk, as the control does with its own.
    const std::string flush = state.range(0) != 0 ? " && sync '" + out + "'" : "";
    const std::string command = "age -r '" + recipient + "' -o '" + out + "' '" + in + "'" + flush;
    const auto childCpu = [] {
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        return ms(usage.ru_utime) + ms(usage.ru_stime);
    };
    double cpu = 0;
    for (auto _ : state) {
        const double before = childCpu();
        if (!succeeds(command)) state.SkipWithError("age failed");
        cpu += childCpu() - before;
        state.PauseTiming();
        std::remove(out.c_str());
        state.ResumeTiming();
    }
    std::remove(keyFile.c_str());
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(ageLargeFile)->Name("Age/256MiB")->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(ageLargeFile)->Name("AgeThenFlush/256MiB")->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The folder copied as a copy program would: each file read and written to a new file through the file layer (no
// flush). False if a step failed; `copies` gets the new files' paths.
bool copyFolder(Bench& bench, const std::vector<std::string>& paths, std::vector<std::string>& copies) {
    std::vector<uint8_t> buffer(64 * 1024);
    bool copied = true;
    for (const std::string& path : paths) {
        Result<std::unique_ptr<IFile>> from = bench.files.openForReading(path);
        Result<std::string> name = bench.files.createTemporaryFile("C:\\Bench");
        if (!from.ok() || !name.ok()) return false;
        Result<std::unique_ptr<IFile>> to = bench.files.openForWriting(name.value());
        if (!to.ok()) return false;
        for (;;) {
            Result<size_t> got = from.value()->read(buffer);
            if (!got.ok() || got.value() == 0) break;
            copied &= to.value()->write(std::span<const uint8_t>(buffer.data(), got.value())).ok();
        }
        copied &= to.value()->close().ok();
        copies.push_back(name.value());
    }
    return copied;
}

bool removeAll(Bench& bench, std::vector<std::string>& paths) {
    bool removed = true;
    for (const std::string& path : paths) removed &= bench.files.deleteFile(path).ok();
    paths.clear();
    return removed;
}

// Each round is timed encrypting the folder; before it, untimed by the benchmark but timed here, the same folder
// is copied and the copies removed, so that both meet the file system in the same state (on this machine's ext4
// without a journal, every file's creation searches past the inodes freed in the last 30 seconds): copy_ms and
// the ratio of the two (times_copy) come from the same rounds.
void manySmallFiles(benchmark::State& state) {
    Bench bench;
    const int count = 1000;
    const std::string content(4096, 'y');
    const std::vector<std::string> paths = bench.plantFolder(count, content);
    bench.deriveKeyUntimed();
    std::vector<std::string> copies;
    bool copied = true;
    double copyMs = 0;
    double encryptMs = 0;
    const auto since = [](std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (auto _ : state) {
        state.PauseTiming();
        const auto copyStart = std::chrono::steady_clock::now();
        copied &= copyFolder(bench, paths, copies);
        copyMs += since(copyStart);
        copied &= removeAll(bench, copies);
        state.ResumeTiming();
        const auto encryptStart = std::chrono::steady_clock::now();
        for (const std::string& path : paths) bench.control.encrypt(path, path + ".ob7", "s3cret");
        encryptMs += since(encryptStart);
        state.PauseTiming();
        for (const std::string& path : paths) bench.control.decrypt(path + ".ob7", path, "s3cret");
        state.ResumeTiming();
    }
    if (bench.errors != 0) state.SkipWithError("the control reported an error");
    if (!copied) state.SkipWithError("a copy failed");
    const double rounds = static_cast<double>(state.iterations());
    state.counters["copy_ms"] = benchmark::Counter(copyMs / rounds);
    state.counters["times_copy"] = benchmark::Counter(copyMs > 0 ? encryptMs / copyMs : 0);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * count * content.size()));
}
BENCHMARK(manySmallFiles)->Name("EncryptFolder/1000FilesOf4KiB")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

// The copy alone, its copies removed untimed.
void copySmallFiles(benchmark::State& state) {
    Bench bench;
    const int count = 1000;
    const std::string content(4096, 'y');
    const std::vector<std::string> paths = bench.plantFolder(count, content);
    std::vector<std::string> copies;
    bool failed = false;
    for (auto _ : state) {
        failed |= !copyFolder(bench, paths, copies);
        state.PauseTiming();
        failed |= !removeAll(bench, copies);
        state.ResumeTiming();
    }
    if (failed) state.SkipWithError("a copy failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * count * content.size()));
}
BENCHMARK(copySmallFiles)->Name("CopyFolder/1000FilesOf4KiB")->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
