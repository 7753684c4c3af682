// obext's window on the simulated machine: what each button leaves in the current user's registry,
// in which order it writes, what a refused write does, and how the window ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "policyext/ShellRestrictionsWindow.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/SimMachine.h"

namespace {

using testsupport::dwordBytes;
using testsupport::storedValue;

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kSystem = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kWindowsSystem = "Software\\Microsoft\\Windows\\System";
constexpr const char* kNonEnum = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\NONEnum";
constexpr const char* kNetwork = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";
const std::vector<std::string> kKeys = {kExplorer, kSystem, kWindowsSystem, kNonEnum, kNetwork};

struct Row {
    std::string key;
    std::string name;
    uint32_t enabled;
};

// Written out again here, not taken from the program: this list is what the program must write.
std::vector<Row> expectedRows() {
    std::vector<Row> rows;
    for (const char* name : {"NoSaveSettings",
                             "NoStartMenuMFUprogramsList",
                             "DisableMyPicturesDirChange",
                             "DisableMyMusicDirChange",
                             "DisableFavoritesDirChange",
                             "DisablePersonalDirChange",
                             "NoNetworkConnections",
                             "NoStartMenuNetworkPlaces",
                             "NoRecentDocsNetHood",
                             "NoRun",
                             "NoClose",
                             "NoChangeStartMenu",
                             "NoSetTaskbar",
                             "NoInstrumentation",
                             "NoControlPanel",
                             "NoStartMenuMyGames",
                             "NoSearchFilesInStartMenu",
                             "NoSearchCommInStartMenu",
                             "NoSearchProgramsInStartMenu",
                             "NoSearchInternetInStartMenu",
                             "NoSearchComputerLinkInStartMenu",
                             "QuickLaunchEnabled",
                             "NoSMConfigurePrograms",
                             "LockTaskbar",
                             "NoAutoTrayNotify",
                             "NoSMBalloonTip",
                             "NoToolbarsOnTaskbar",
                             "NoWebServices",
                             "NoManageMyComputerVerb",
                             "NoNetConnectDisconnect",
                             "NoTrayContextMenu",
                             "NoViewContextMenu",
                             "NoFolderOptions",
                             "NoDrives"}) {
        rows.push_back({kExplorer, name, 1});
    }
    rows.push_back({kSystem, "DisableTaskMgr", 1});
    rows.push_back({kWindowsSystem, "DisableCMD", 2});
    rows.push_back({kSystem, "DisableRegistryTools", 1});
    rows.push_back({kSystem, "NoDispCPL", 1});
    rows.push_back({kNonEnum, "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 1});
    rows.push_back({kNetwork, "NoNetSetup", 1});
    rows.push_back({kNetwork, "NoPrinters", 1});
    return rows;
}

// Passes every call on to the machine's registry and keeps a log of the writes; it can refuse one of them.
class RecordingRegistry final : public IRegistry {
public:
    struct Write {
        RootKey root;
        std::string path;
        std::string name;
        RegistryValue value;
    };

    explicit RecordingRegistry(IRegistry& inner) : m_inner(inner) {}
    void refuseWriteNumber(int number) { m_refused = number; }
    const std::vector<Write>& writes() const { return m_writes; }
    int otherCalls() const { return m_otherCalls; }

    Status createKey(RootKey root, std::string_view path) override {
        ++m_otherCalls;
        return m_inner.createKey(root, path);
    }
    Result<RegistryValue> queryValue(RootKey root, std::string_view path, std::string_view name) override {
        ++m_otherCalls;
        return m_inner.queryValue(root, path, name);
    }
    Status setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) override {
        m_writes.push_back({root, std::string(path), std::string(name), value});
        if (static_cast<int>(m_writes.size()) == m_refused) return Status::failure(errc::kAccessDenied, "test");
        return m_inner.setValue(root, path, name, value);
    }
    Status deleteKey(RootKey root, std::string_view path) override {
        ++m_otherCalls;
        return m_inner.deleteKey(root, path);
    }
    Status deleteValue(RootKey root, std::string_view path, std::string_view name) override {
        ++m_otherCalls;
        return m_inner.deleteValue(root, path, name);
    }
    Result<std::unique_ptr<IRegistryKey>> openKey(RootKey root, std::string_view path, KeyAccess access) override {
        ++m_otherCalls;
        return m_inner.openKey(root, path, access);
    }

private:
    IRegistry& m_inner;
    std::vector<Write> m_writes;
    int m_otherCalls = 0;
    int m_refused = 0;
};

class ObextWindow : public testsupport::SimMachine {
protected:
    ObextWindow() : process(startProcess()) {}
    ~ObextWindow() override { window.reset(); }

    void open(IRegistry& registry) {
        window = std::make_unique<ShellRestrictionsWindow>(process.toolkit(), registry, [this] { ++closings; });
        window->show();
    }
    void open() { open(world.registry); }
    void press(const char* button) { sim::control<sim::SimButton>(window->form(), button)->click(); }
    RegistryValue stored(const Row& row) {
        return storedValue(world.registry, RootKey::CurrentUser, row.key, row.name);
    }
    size_t valueCount() {
        size_t count = 0;
        for (const std::string& key : kKeys) count += world.registry.valueNames(RootKey::CurrentUser, key).size();
        return count;
    }
    void expectEveryRowHolds(bool enabled) {
        for (const Row& row : expectedRows()) {
            const RegistryValue value = stored(row);
            EXPECT_EQ(value.type, regtype::kDWord) << row.name;
            EXPECT_EQ(value.data, dwordBytes(enabled ? row.enabled : 0).data) << row.name;
        }
    }

    sim::SimInstance& process;
    std::unique_ptr<ShellRestrictionsWindow> window;
    int closings = 0;
};

using RemoveOnAFreshAccount = ObextWindow;

TEST_F(RemoveOnAFreshAccount, CreatesTheFiveKeysAndLeavesFortyOneZeros) {
    open();
    press("cmdRemove");
    for (const std::string& key : kKeys) EXPECT_TRUE(world.registry.keyExists(RootKey::CurrentUser, key)) << key;
    EXPECT_EQ(valueCount(), 41u);
    expectEveryRowHolds(false);
}

TEST_F(RemoveOnAFreshAccount, NothingLandsOutsideTheCurrentUser) {
    open();
    press("cmdRemove");
    press("cmdEnable");
    EXPECT_FALSE(world.registry.keyExists(RootKey::LocalMachine, "Software\\Microsoft"));
}

using EnableRestrictions = ObextWindow;

TEST_F(EnableRestrictions, EveryRowHoldsItsValueUnderItsKeyWithItsExactName) {
    open();
    press("cmdEnable");
    expectEveryRowHolds(true);
    // Names keep the spelling they were written with, so the exact list per key shows any misspelt name.
    for (const std::string& key : kKeys) {
        std::set<std::string> expected;
        for (const Row& row : expectedRows()) {
            if (row.key == key) expected.insert(row.name);
        }
        const std::vector<std::string> names = world.registry.valueNames(RootKey::CurrentUser, key);
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected) << key;
    }
}

TEST_F(EnableRestrictions, PressingTwiceLeavesWhatPressingOnceLeft) {
    open();
    press("cmdEnable");
    press("cmdEnable");
    EXPECT_EQ(valueCount(), 41u);
    expectEveryRowHolds(true);
}

TEST_F(EnableRestrictions, WritesEachRowOnceInTableOrderAndNothingElse) {
    RecordingRegistry recording(world.registry);
    open(recording);
    press("cmdEnable");
    const std::vector<Row> rows = expectedRows();
    ASSERT_EQ(recording.writes().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const RecordingRegistry::Write& write = recording.writes()[i];
        EXPECT_EQ(write.root, RootKey::CurrentUser) << "row " << i + 1;
        EXPECT_EQ(write.path, rows[i].key) << "row " << i + 1;
        EXPECT_EQ(write.name, rows[i].name) << "row " << i + 1;
    }
    EXPECT_EQ(recording.otherCalls(), 0);
}

using PressesInAnyOrder = ObextWindow;

TEST_F(PressesInAnyOrder, TheLastButtonPressedDecides) {
    open();
    press("cmdEnable");
    press("cmdRemove");
    expectEveryRowHolds(false);
    press("cmdEnable");
    expectEveryRowHolds(true);
    EXPECT_EQ(valueCount(), 41u);
}

TEST_F(PressesInAnyOrder, RemoveLeavesTheUsersOtherPolicyValuesAlone) {
    ASSERT_TRUE(world.registry.setValue(RootKey::CurrentUser, kExplorer, "NoDesktop", dwordBytes(1)).ok());
    open();
    press("cmdEnable");
    press("cmdRemove");
    EXPECT_EQ(storedValue(world.registry, RootKey::CurrentUser, kExplorer, "NoDesktop").data, dwordBytes(1).data);
    EXPECT_EQ(valueCount(), 42u);
}

TEST_F(PressesInAnyOrder, TheWindowStaysOpenAfterEachPress) {
    open();
    press("cmdEnable");
    EXPECT_TRUE(window->form().isVisible());
    press("cmdRemove");
    EXPECT_TRUE(window->form().isVisible());
    EXPECT_EQ(closings, 0);
}

using RefusedWrite = ObextWindow;

TEST_F(RefusedWrite, TheFirstRowIsLostAndTheOtherFortyAreWritten) {
    world.registry.failNext(sim::SimRegistry::Op::Set, errc::kAccessDenied);
    open();
    press("cmdEnable");
    const std::vector<Row> rows = expectedRows();
    EXPECT_EQ(stored(rows.front()).type, regtype::kNone);
    EXPECT_EQ(valueCount(), 40u);
    EXPECT_EQ(stored(rows.back()).data, dwordBytes(1).data);
}

TEST_F(RefusedWrite, ARowInTheMiddleIsLostAndTheRowsAfterItAreWritten) {
    RecordingRegistry recording(world.registry);
    recording.refuseWriteNumber(36);  // DisableCMD, alone in its key
    open(recording);
    press("cmdEnable");
    EXPECT_EQ(recording.writes().size(), 41u);
    EXPECT_FALSE(world.registry.keyExists(RootKey::CurrentUser, kWindowsSystem));
    const std::vector<Row> rows = expectedRows();
    for (size_t i = 36; i < rows.size(); ++i) EXPECT_EQ(stored(rows[i]).data, dwordBytes(1).data) << rows[i].name;
}

TEST_F(RefusedWrite, NothingIsAnnouncedAndTheWindowStaysUsable) {
    for (int i = 0; i < 41; ++i) world.registry.failNext(sim::SimRegistry::Op::Set, errc::kAccessDenied);
    open();
    press("cmdEnable");
    EXPECT_EQ(valueCount(), 0u);
    EXPECT_EQ(process.toolkit().forms().size(), 1u);
    EXPECT_EQ(world.desktop.foregroundWindow(), window->form().id());
    EXPECT_EQ(window->form().caption(), "Obelon Pro Policy Extension (Beta)");
    press("cmdEnable");
    EXPECT_EQ(valueCount(), 41u);
}

using ObextStartAndEnd = ObextWindow;

TEST_F(ObextStartAndEnd, TheWindowShowsItsTextsInVerdanaWithTheScopeFixed) {
    open();
    ui::Form& form = window->form();
    EXPECT_EQ(form.name(), "frmOBExt");
    EXPECT_EQ(form.caption(), "Obelon Pro Policy Extension (Beta)");
    EXPECT_EQ(sim::as<sim::SimForm>(form).fontName(), "Verdana");
    EXPECT_EQ(form.findControl("Label1")->text(),
              "This extension to Obelon Pro will do the following: Restrict the Start Menu/Bar to it's minimal set "
              "of options. Disable view on all drives. Lock Registry, Command Prompt, Task Manager. Restrict Search "
              "to only Users Personal Files. Disable Folder Options, Shut Down, Save Settings on Exit and more.");
    auto* option = sim::control<sim::SimOptionButton>(form, "Option1");
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(option->text(), "Settings apply to this user only");
    EXPECT_TRUE(option->isChecked());
    EXPECT_FALSE(option->isEnabled());
    EXPECT_EQ(form.findControl("cmdEnable")->text(), "Enable User Shell Restrictions");
    EXPECT_EQ(form.findControl("cmdRemove")->text(), "Remove User Shell Restrictions");
    EXPECT_EQ(world.desktop.foregroundWindow(), form.id());
}

TEST_F(ObextStartAndEnd, OpeningWritesNothing) {
    RecordingRegistry recording(world.registry);
    open(recording);
    EXPECT_TRUE(recording.writes().empty());
    EXPECT_EQ(recording.otherCalls(), 0);
}

TEST_F(ObextStartAndEnd, ClosingFromTheTitleBarHidesTheWindowAndEndsTheProgram) {
    open();
    ASSERT_TRUE(sim::as<sim::SimForm>(window->form()).clickClose());
    EXPECT_FALSE(window->form().isVisible());
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(valueCount(), 0u);
}

}  // namespace
