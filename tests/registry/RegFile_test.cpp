// Registration files the program writes for an elevated reg.exe import, read back before they are imported, and
// their import played on the simulated registry.
#include "registry/RegFile.h"

#include <gtest/gtest.h>

#include "config/RegFileCheck.h"
#include "platform/sim/SimRegistry.h"
#include "registry/RegistryEdit.h"
#include "tests/support/RegFileImport.h"
#include "tests/support/RegistryValues.h"

namespace {

using Kind = RegEdit::Kind;

constexpr const char* kSettings = "Software\\OBP\\Settings";
constexpr const char* kTasks = "Software\\OBP\\Tasks";

RegEdit createKey(const char* key) {
    return {.kind = Kind::CreateKey, .key = key};
}
RegEdit deleteKey(const char* key) {
    return {.kind = Kind::DeleteKey, .key = key};
}
RegEdit setText(const char* key, const char* name, std::string text) {
    return {.kind = Kind::SetText, .key = key, .name = name, .text = std::move(text)};
}
RegEdit setNumber(const char* key, const char* name, uint32_t number) {
    return {.kind = Kind::SetNumber, .key = key, .name = name, .number = number};
}
RegEdit deleteValue(const char* key, const char* name) {
    return {.kind = Kind::DeleteValue, .key = key, .name = name};
}

// An ASCII text as a UTF-16LE file with its mark, as reg.exe writes one.
std::string utf16File(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// The texts a quoted string gets wrong first; the long one with line breaks spans several hex lines.
const RegEdits kEveryKind = {
    deleteKey("Software\\OBP\\Old"),
    createKey(kTasks),
    setText(kTasks, "Task0", "say \"hi\" to C:\\Program Files\\ and a=b"),
    setText(kTasks, "Task \"1\" \\ x=y", "Café ☕ and 𝄞"),
    setText(kTasks, "Empty", ""),
    setText(kTasks, "Lines", "first line\r\nsecond line, with \"quotes\" and \\\r\n\r\nthird line after a blank one"),
    setText(kTasks, "Nul", std::string("before\0after", 12)),
    deleteValue(kTasks, "Task9"),
    createKey(kSettings),
    setNumber(kSettings, "Zero", 0),
    setNumber(kSettings, "Small", 0x1f),
    setNumber(kSettings, "All", 0xFFFFFFFFu),
    deleteKey("Software\\OBP\\Settings\\Gone"),
    createKey(kSettings),
    deleteValue(kSettings, "Small"),
};

TEST(RegFileRoundTrip, EveryKindOfEditComesBackAsWritten) {
    const std::string file = regFileFor(kEveryKind);
    ASSERT_EQ(file.substr(0, 2), "\xFF\xFE");
    const std::string header = utf16File("Windows Registry Editor Version 5.00\r\n").substr(2);
    EXPECT_EQ(file.substr(2, header.size()), header);

    const std::optional<RegEdits> read = readRegFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, kEveryKind);
    EXPECT_EQ(regFileEditsOf(kEveryKind), kEveryKind);
}

// A section creates its key on import, so a value edit outside the section of its key brings a CreateKey, and
// the check before the import compares against exactly that.
TEST(RegFileRoundTrip, ValueEditsAwayFromTheirKeyGetASectionThatCreatesIt) {
    const RegEdits edits = {setNumber(kSettings, "A", 1), createKey(kTasks),
                            setText(kSettings, "B", "b"), deleteKey(kTasks),
                            deleteValue(kTasks, "C"),     setText("software\\obp\\tasks", "D", "d")};
    const RegEdits written = {createKey(kSettings),
                              setNumber(kSettings, "A", 1),
                              createKey(kTasks),
                              createKey(kSettings),
                              setText(kSettings, "B", "b"),
                              deleteKey(kTasks),
                              createKey(kTasks),
                              deleteValue(kTasks, "C"),
                              createKey("software\\obp\\tasks"),
                              setText("software\\obp\\tasks", "D", "d")};
    EXPECT_EQ(regFileEditsOf(edits), written);
    EXPECT_EQ(readRegFile(regFileFor(edits)), written);
}

// A name that would end its line early reads back as other edits or none, never as the edit it was.
TEST(RegFileRoundTrip, ANameTheFileCannotHoldDoesNotReadBackAsItsEdit) {
    const RegEdits key = {createKey("Software\\OBP]\r\n[HKEY_LOCAL_MACHINE\\Software\\Other")};
    EXPECT_NE(readRegFile(regFileFor(key)), key);
    for (const std::string& name : {std::string("Line\r\nbreak"), std::string("Nul\0after", 9)}) {
        RegEdits value = {createKey(kTasks), setText(kTasks, "", "x")};
        value[1].name = name;
        EXPECT_NE(readRegFile(regFileFor(value)), value) << name;
    }
}

TEST(RegFileRoundTrip, CreatesAndSetsBelowTheConfigurationKeyPassTheImportCheck) {
    RegEdits edits = kEveryKind;
    std::erase_if(edits, [](const RegEdit& e) { return e.kind == Kind::DeleteKey || e.kind == Kind::DeleteValue; });
    const RegFileVerdict verdict = checkRegFile(regFileFor(edits));
    EXPECT_TRUE(verdict.allowed) << verdict.reason;
    EXPECT_FALSE(checkRegFile(regFileFor({deleteKey(kTasks)})).allowed);
}

TEST(RegFileReading, ExportsOfRegExeOnWindowsAndWine) {
    const std::string exported = utf16File(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n\"Task0\"=\"Notepad,1\"\r\n"
        "\"Two\"=hex(1):61,00,0d,00,0a,00,\\\r\n  62,00,00,00\r\n\"N\"=dword:0000ABCD\r\n"
        "\"Wine\"=\"c\\r\\nd\\\\n\"\r\n\r\n");
    const RegEdits expected = {createKey("SOFTWARE\\OBP"),
                               createKey("SOFTWARE\\OBP\\Tasks"),
                               setText("SOFTWARE\\OBP\\Tasks", "Task0", "Notepad,1"),
                               setText("SOFTWARE\\OBP\\Tasks", "Two", "a\r\nb"),
                               setNumber("SOFTWARE\\OBP\\Tasks", "N", 0xABCD),
                               setText("SOFTWARE\\OBP\\Tasks", "Wine", "c\r\nd\\n")};
    EXPECT_EQ(readRegFile(exported), expected);
}

TEST(RegFileReading, AnythingElseIsRefused) {
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (const char* body : {
             "[HKEY_CURRENT_USER\\Software\\OBP]\r\n\"A\"=\"a\"\r\n",
             "[-HKEY_CURRENT_USER\\Software\\OBP]\r\n",
             "[HKEY_LOCAL_MACHINE]\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\\\OBP]\r\n",
             "\"A\"=\"value before any key\"\r\n",
             "[-HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=\"value of a deleted key\"\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n@=\"default\"\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=hex(2):61,00,00,00\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=hex(1):61,00,0\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=\"bad \\t escape\"\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=\"a\" trailing\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\n\"A\"=dword:123456789\r\n",
             "[HKEY_LOCAL_MACHINE\\Software\\OBP]\r\ngarbage\r\n",
         }) {
        EXPECT_FALSE(readRegFile(utf16File(header + body))) << body;
    }
    EXPECT_FALSE(readRegFile("Windows Registry Editor Version 5.00\r\n"));  // not UTF-16
    EXPECT_FALSE(readRegFile(utf16File("REGEDIT4\r\n")));
    EXPECT_FALSE(readRegFile(std::string("\xFF\xFE\x00\xD8W\x00", 6)));  // a lone surrogate
    EXPECT_FALSE(readRegFile(""));
}

TEST(SimulatedRegImport, AppliesTheFileElevatedAndRefusesOneItCannotRead) {
    sim::SimRegistry registry;
    SetStringValue(registry, RootKey::LocalMachine, "Software\\OBP\\Old\\Below", "X", "x");
    SetStringValue(registry, RootKey::LocalMachine, kTasks, "Task9", "old");
    SetStringValue(registry, RootKey::LocalMachine, kTasks, "Task1", "kept");
    registry.setMachineWideWritesDenied(true);

    ASSERT_TRUE(testsupport::importRegFile(
        registry, regFileFor({deleteKey("Software\\OBP\\Old"), createKey(kSettings), setNumber(kSettings, "N", 7),
                              setText(kTasks, "Task0", "Café"), deleteValue(kTasks, "Task9")})));
    EXPECT_FALSE(registry.keyExists(RootKey::LocalMachine, "Software\\OBP\\Old"));
    EXPECT_EQ(testsupport::storedValue(registry, RootKey::LocalMachine, kSettings, "N").data,
              testsupport::dwordBytes(7).data);
    EXPECT_EQ(testsupport::storedValue(registry, RootKey::LocalMachine, kTasks, "Task0").data,
              std::string("Café\0", 6));
    EXPECT_EQ(registry.valueNames(RootKey::LocalMachine, kTasks), (std::vector<std::string>{"Task0", "Task1"}));
    EXPECT_TRUE(registry.machineWideWritesDenied());

    EXPECT_FALSE(testsupport::importRegFile(registry, utf16File("Windows Registry Editor Version 5.00\r\nx\r\n")));
}

}  // namespace
