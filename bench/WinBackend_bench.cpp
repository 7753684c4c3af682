// What the code that runs all session long costs on the real Win32 backend (under Wine: every call on a
// window or list control is a round trip to the Wine server), where the simulated benchmarks show only the
// logic. Each case repeats until a minimum time and a minimum number of runs have passed, and prints one line:
//   case <name> runs <n> mean_us <mean> worst_us <worst>
// Options: --min-time-ms N (default 2000), --min-runs N (default 3), --warmup-runs N (untimed, default 1);
// --file-mib N (default 256) and --files N (default 1000) size the encryption cases.
// The program exits non-zero, before printing the closing "done" line, when a case did not do its work.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <windows.h>

#include "app/ObelonApp.h"
#include "bench/NoDialog.h"
#include "common/ConfigSchema.h"
#include "engine/Watch.h"
#include "folders/EncryptionControl.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WinPlatform.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr int kTasks = 1000;
constexpr int kIgnoreEntries = 100;
// The configuration cases store a full ignore list: both lists at their largest.
constexpr int kStoredIgnoreEntries = 1000;
// A window of another program with a title no task entry occurs in, so every tick scans the whole list.
constexpr const char* kForegroundProgram = "notepad.exe";
constexpr const char* kForegroundTitle = "Untitled - Notepad";

struct Settings {
    int minTimeMs = 2000;
    int minRuns = 3;
    int warmupRuns = 1;  // untimed runs first: they pay for caches and lazily created objects
    int fileMib = 256;   // the one large file the encryption cases encrypt
    int files = 1000;    // the folder of small files they encrypt and copy
};

Settings readSettings(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--min-time-ms") settings.minTimeMs = std::max(0, value);
        if (name == "--min-runs") settings.minRuns = std::max(1, value);
        if (name == "--warmup-runs") settings.warmupRuns = std::max(0, value);
        if (name == "--file-mib") settings.fileMib = std::max(1, value);
        if (name == "--files") settings.files = std::max(1, value);
    }
    return settings;
}

void require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

// steady_clock is QueryPerformanceCounter underneath in this build; each run is timed on its own so the
// worst run is seen, not only the mean.
// `untimed` runs before every run, outside the timing: it puts back what the run changed.
void measure(const Settings& settings, const std::string& name, const std::function<void()>& run,
             const std::function<void()>& untimed = {}) {
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < settings.warmupRuns; ++i) {
        if (untimed) untimed();
        run();
    }
    const Clock::time_point began = Clock::now();
    const Clock::duration minTime = std::chrono::milliseconds(settings.minTimeMs);
    long runs = 0;
    Clock::duration total{};
    Clock::duration worst{};
    Clock::duration outside{};
    while (runs < settings.minRuns || Clock::now() - began - outside < minTime) {
        if (untimed) {
            const Clock::time_point before = Clock::now();
            untimed();
            outside += Clock::now() - before;
        }
        const Clock::time_point start = Clock::now();
        run();
        const Clock::duration took = Clock::now() - start;
        total += took;
        worst = std::max(worst, took);
        ++runs;
    }
    const auto micros = [](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); };
    std::printf("case %-36s runs %6ld mean_us %12.1f worst_us %12.1f\n", name.c_str(), runs, micros(total) / runs,
                micros(worst));
    std::fflush(stdout);
}

// Another program's window in front, as the watch meets it; ended with the benchmark.
class ForegroundPeer final {
public:
    explicit ForegroundPeer(Platform& platform) : m_platform(platform) {
        auto started = platform.programs.start({.commandLine = kForegroundProgram});
        require(started.ok(), std::string("cannot start ") + kForegroundProgram);
        m_program = std::move(started.value());
        try {
            waitUntilInFront();
        } catch (...) {
            m_program->terminate();  // the destructor does not run for a peer that never came forward
            throw;
        }
    }
    ~ForegroundPeer() { m_program->terminate(); }
    ForegroundPeer(const ForegroundPeer&) = delete;
    ForegroundPeer& operator=(const ForegroundPeer&) = delete;

    // The watch skips this program's own windows and untitled ones: a tick would then scan nothing.
    void checkStillInFront() {
        IDesktop& desktop = m_platform.desktop;
        const WindowId front = desktop.foregroundWindow();
        require(desktop.windowText(front) == kForegroundTitle && !m_platform.process.ownsWindow(front),
                "the foreground window is \"" + desktop.windowText(front) + "\", not the peer's");
    }

private:
    void waitUntilInFront() {
        for (int waited = 0; waited < 20000; waited += 50) {
            m_platform.ui.processEvents();
            if (m_platform.desktop.windowText(m_platform.desktop.foregroundWindow()) == kForegroundTitle) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        checkStillInFront();
    }

    Platform& m_platform;
    std::unique_ptr<IChildProgram> m_program;
};

// The watch over lists of real controls on a hidden form of this program, as the configuration window holds them.
struct WatchBench {
    explicit WatchBench(Platform& platform)
        : form(platform.ui.createForm({.name = "frmobelon", .caption = "bench"})),
          tasks(form->addListBox({.name = "lstTasks"}, {.checkBoxes = true})),
          allow(form->addListBox({.name = "lstAllow"}, {})),
          ignore(form->addListBox({.name = "lstignore"}, {})),
          watch(platform, state, WatchLists{tasks, allow, ignore}, dialog, WatchHooks{}) {
        for (int i = 0; i < kTasks; ++i) {
            tasks.addItem("Task window " + std::to_string(i));
            tasks.setChecked(i, true);
        }
        for (int k = 0; k < kIgnoreEntries; ++k) ignore.addItem("Ignored " + std::to_string(k));
    }

    ProgramState state;
    NoDialog dialog;
    std::unique_ptr<ui::Form> form;
    ui::ListBox& tasks;
    ui::ListBox& allow;
    ui::ListBox& ignore;
    Watch watch;
};

void benchWatch(const Settings& settings, Platform& platform, ForegroundPeer& peer) {
    WatchBench bench(platform);
    peer.checkStillInFront();
    measure(settings, "watch_tick_1000_tasks_100_ignore", [&] { bench.watch.tick(); });
    // A tick that failed says so only in the message text; nothing matched, so nothing may have been hidden.
    require(bench.state.messageText.empty(), "the tick failed: " + bench.state.messageText);
    peer.checkStillInFront();

    // The two halves of the tick's cost per entry: reading the entry from its control, and letting pending
    // messages run before it.
    measure(settings, "tasks_list_read_1000_entries", [&] {
        int checked = 0;
        size_t characters = 0;
        for (int i = 0; i < bench.tasks.count(); ++i) {
            if (!bench.tasks.isChecked(i)) continue;
            ++checked;
            characters += bench.tasks.item(i).size();
        }
        require(checked == kTasks && characters > 0, "the list read " + std::to_string(checked) + " checked entries");
    });
    measure(settings, "process_events_1000_times", [&] {
        for (int i = 0; i < kTasks; ++i) platform.ui.processEvents();
    });

    IDesktop& desktop = platform.desktop;
    measure(settings, "foreground_window_and_title", [&] {
        const WindowId front = desktop.foregroundWindow();
        require(!desktop.windowText(front).empty(), "the foreground window has no title");
    });
}

void storeConfiguration(IRegistry& registry) {
    for (int slot = 0; slot < kTasks; ++slot) {
        SetStringValue(registry, RootKey::LocalMachine, config::kTasksKey, config::slotName(slot),
                       config::formatStoredTask({"Window " + std::to_string(slot), slot % 2 == 0}));
    }
    for (int k = 0; k < kStoredIgnoreEntries; ++k) {
        SetStringValue(registry, RootKey::LocalMachine, config::kIgnoreListKey, config::slotName(k),
                       "Ignored " + std::to_string(k));
    }
}

// What one value costs through an open key: the floor under the load and Apply, which read or write every slot.
void benchRegistry(const Settings& settings, Platform& platform) {
    HeldKey key(platform.registry, RootKey::LocalMachine, config::kTasksKey);
    measure(settings, "registry_write_1000_values", [&] {
        for (int slot = 0; slot < kTasks; ++slot) {
            const Status stored = key.writeStringValue(config::slotName(slot), "Window " + std::to_string(slot));
            require(stored.ok(), "a registry write failed");
        }
    });
    measure(settings, "registry_read_1000_values", [&] {
        size_t characters = 0;
        for (int slot = 0; slot < kTasks; ++slot) characters += key.GetStringValue(config::slotName(slot)).size();
        require(characters > 0, "the registry reads found nothing");
    });
}

// The configuration window's own load and Apply against the registry. Apply, as the button does it, stores every
// list slot and the settings, then loads the whole configuration again.
void benchConfiguration(const Settings& settings, Platform& platform) {
    IRegistry& registry = platform.registry;
    storeConfiguration(registry);
    ObelonApp app(platform);
    ConfigWindow& window = app.configWindow();
    ui::ListBox& tasks = window.form().control<ui::ListBox>("lstTasks");
    measure(settings, "getconfig_1000_tasks_1000_ignore", [&] {
        window.GetConfig();
        require(tasks.count() == kTasks, "the load brought " + std::to_string(tasks.count()) + " tasks");
    });

    app.state().configUnlocked = true;  // as after the password, so showing the window asks for none
    window.form().show();
    platform.ui.processEvents();
    const std::string lastSlot = config::slotName(kTasks - 1);
    ui::Button& cmdok = window.form().control<ui::Button>("cmdok");
    measure(settings, "apply_1000_tasks_1000_ignore", [&] {
        DeleteValue(registry, RootKey::LocalMachine, config::kTasksKey, lastSlot);
        cmdok.click();
        require(!GetStringValue(registry, RootKey::LocalMachine, config::kTasksKey, lastSlot).empty(),
                "Apply did not store the last task");
    });
    // The common case: the 29 tasks a fresh installation offers and no ignore list. Empty slots cost nothing.
    DeleteKey(registry, RootKey::LocalMachine, config::kTasksKey);
    DeleteKey(registry, RootKey::LocalMachine, config::kIgnoreListKey);
    window.GetConfig();
    measure(settings, "apply_29_preset_tasks", [&] {
        cmdok.click();
        require(tasks.count() == 29, "the presets came back as " + std::to_string(tasks.count()) + " tasks");
    });
    window.form().hide();
    DeleteKey(registry, RootKey::LocalMachine, config::kTasksKey);
    DeleteKey(registry, RootKey::LocalMachine, config::kIgnoreListKey);
}

// A file of the given bytes, made with the system's own calls (the file layer only writes files it created).
void writeWholeFile(const std::string& path, const std::string& bytes) {
    const std::wstring wide = toWide(path);
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    require(file != INVALID_HANDLE_VALUE, "cannot make " + path);
    DWORD put = 0;
    const bool written = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                         put == bytes.size();
    ::CloseHandle(file);
    require(written, "cannot write " + path);
}

bool exists(const std::string& path) {
    return ::GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Encryption through the control on the real file system and CNG, as a folder run does it. Each run is preceded, untimed, by the decryption that brings the plain files
// back. Beside it the yardstick: the same folder copied with CopyFileW.
struct EncryptionBench {
    // One run for every case: its password is stretched once, by the first call (untimed with a warm-up run), as
    // `age` in recipient mode stretches none.
    explicit EncryptionBench(Platform& platform) : files(platform.files), control(platform.crypto, files, platform.ui) {
        control.onError([this](int32_t, const std::string& text) { lastError = text; });
        control.selector(4);
        control.setRunFlag(true);
    }
    void encrypt(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) control.encrypt(path, path + ".ob7", "s3cret");
        require(lastError.empty(), "encryption failed: " + lastError);
    }
    void decryptBack(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            if (exists(path + ".ob7")) control.decrypt(path + ".ob7", path, "s3cret");
        }
        require(lastError.empty(), "decryption failed: " + lastError);
    }
    IFileSystem& files;
    EncryptionControl control;
    std::string lastError;
};

// The cipher alone through CNG, one 64 KiB chunk sealed as the control seals it: the floor under the file cases.
void benchCipher(const Settings& settings, Platform& platform) {
    const std::vector<uint8_t> key(32, 7), nonce(12, 1), plain(64 * 1024, 0x5A);
    std::vector<uint8_t> cipher(plain.size()), tag(16);
    measure(settings, "aes_gcm_seal_64kib", [&] {
        const Status sealed = platform.crypto.aes256GcmSeal(
            {.key = key, .nonce = nonce, .associatedData = {}, .plain = plain, .cipher = cipher, .tag = tag});
        require(sealed.ok(), "the cipher failed");
    });
}

void benchEncryption(const Settings& settings, Platform& platform) {
    std::string folder = platform.files.temporaryFolder();
    if (!folder.ends_with('\\')) folder += '\\';
    folder += "obelon-bench";
    const std::string copies = folder + "\\copies";
    require(platform.files.createFolder(folder).ok() && platform.files.createFolder(copies).ok(),
            "cannot make " + copies);
    EncryptionBench bench(platform);

    const std::vector<std::string> large = {folder + "\\large.bin"};
    writeWholeFile(large[0], std::string(static_cast<size_t>(settings.fileMib) << 20, 'x'));
    measure(settings, "encrypt_" + std::to_string(settings.fileMib) + "mib_file", [&] { bench.encrypt(large); },
            [&] { bench.decryptBack(large); });
    bench.decryptBack(large);
    // And back: each decryption preceded, untimed, by the encryption it undoes.
    measure(settings, "decrypt_" + std::to_string(settings.fileMib) + "mib_file", [&] { bench.decryptBack(large); },
            [&] { bench.encrypt(large); });
    require(platform.files.deleteFile(large[0]).ok(), "cannot remove " + large[0]);

    std::vector<std::string> small;
    for (int i = 0; i < settings.files; ++i) {
        small.push_back(folder + "\\f" + std::to_string(i) + ".txt");
        writeWholeFile(small.back(), std::string(4096, 'y'));
    }
    const std::string count = std::to_string(settings.files);
    measure(settings, "encrypt_" + count + "_files_of_4kib", [&] { bench.encrypt(small); },
            [&] { bench.decryptBack(small); });
    bench.decryptBack(small);
    auto copyName = [&](int i) { return toWide(copies + "\\f" + std::to_string(i) + ".txt"); };
    measure(
        settings, "copy_" + count + "_files_of_4kib",
        [&] {
            for (int i = 0; i < settings.files; ++i) {
                require(::CopyFileW(toWide(small[i]).c_str(), copyName(i).c_str(), TRUE), "CopyFileW failed");
            }
        },
        [&] {
            for (int i = 0; i < settings.files; ++i) ::DeleteFileW(copyName(i).c_str());
        });
    for (int i = 0; i < settings.files; ++i) {
        ::DeleteFileW(copyName(i).c_str());
        ::DeleteFileW(toWide(small[i]).c_str());
    }
    ::RemoveDirectoryW(toWide(copies).c_str());
    ::RemoveDirectoryW(toWide(folder).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const Settings settings = readSettings(argc, argv);
    std::printf("win32 backend bench: at least %d ms and %d runs per case, after %d untimed\n", settings.minTimeMs,
                settings.minRuns, settings.warmupRuns);
    try {
        WinPlatform backend;
        Platform& platform = backend.platform();
        {
            ForegroundPeer peer(platform);
            benchWatch(settings, platform, peer);
        }
        benchRegistry(settings, platform);
        benchConfiguration(settings, platform);
        benchCipher(settings, platform);
        benchEncryption(settings, platform);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        return 1;
    }
    std::printf("done: 14 cases\n");
    return 0;
}
