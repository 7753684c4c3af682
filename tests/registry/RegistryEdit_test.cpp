// The registry layer's read and write rules, on the simulated registry. Values the program would
// never write are planted through IRegistry directly.
#include "registry/RegistryEdit.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/sim/SimRegistry.h"
#include "tests/support/RegistryValues.h"

namespace {

using testsupport::dwordBytes;
using testsupport::rawValue;
using testsupport::storedValue;

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;
const std::string kPath = "Software\\OBP\\Settings";

class RegistryLayer : public ::testing::Test {
protected:
    void plant(const std::string& name, const RegistryValue& value, RootKey root = kUser) {
        ASSERT_TRUE(m_registry.setValue(root, kPath, name, value).ok());
    }
    std::string text(const std::string& name, RootKey root = kUser) {
        return GetStringValue(m_registry, root, kPath, name);
    }
    int32_t number(const std::string& name, RootKey root = kUser) {
        return GetDWordValue(m_registry, root, kPath, name);
    }

    sim::SimRegistry m_registry;
};

using RegistryTextReads = RegistryLayer;

TEST_F(RegistryTextReads, TextStoredWithoutTerminatorReadsWhole) {
    plant("bare", rawValue(regtype::kSz, "abcdef"));
    EXPECT_EQ(text("bare"), "abcdef");
}

TEST_F(RegistryTextReads, InnerNulCutsTheTextThere) {
    plant("cut", rawValue(regtype::kSz, std::string("ab\0cd\0", 6)));
    EXPECT_EQ(text("cut"), "ab");
}

TEST_F(RegistryTextReads, EmptyTextReadsTheSameAsMissing) {
    plant("terminated", rawValue(regtype::kSz, std::string(1, '\0')));
    plant("zeroBytes", rawValue(regtype::kSz, ""));
    EXPECT_EQ(text("terminated"), "");
    EXPECT_EQ(text("zeroBytes"), "");
    EXPECT_EQ(text("missing"), "");
    EXPECT_EQ(GetStringValue(m_registry, kUser, "No\\Such\\Key", "missing"), "");
}

TEST_F(RegistryTextReads, FailedQueryReadsEmptyAndTheNextOneWorks) {
    SetStringValue(m_registry, kUser, kPath, "pwd", "secret");
    m_registry.failNext(sim::SimRegistry::Op::Query, errc::kAccessDenied);
    EXPECT_EQ(text("pwd"), "");
    EXPECT_EQ(text("pwd"), "secret");
}

using RegistryTypeMismatches = RegistryLayer;

TEST_F(RegistryTypeMismatches, NumberReadAsTextIsEmpty) {
    plant("number", dwordBytes(1));
    EXPECT_EQ(text("number"), "");
}

TEST_F(RegistryTypeMismatches, TextOneReadAsNumberIsZero) {
    SetStringValue(m_registry, kUser, kPath, "flag", "1");
    EXPECT_EQ(number("flag"), 0);
}

TEST_F(RegistryTypeMismatches, ExpandableAndMultiTextReadEmpty) {
    plant("expand", rawValue(regtype::kExpandSz, std::string("%TEMP%\0", 7)));
    plant("multi", rawValue(regtype::kMultiSz, std::string("a\0b\0\0", 5)));
    EXPECT_EQ(text("expand"), "");
    EXPECT_EQ(text("multi"), "");
}

TEST_F(RegistryTypeMismatches, NumberOfOtherThanFourBytesReadsZero) {
    plant("three", rawValue(regtype::kDWord, std::string("\x01\x02\x03", 3)));
    plant("eight", rawValue(regtype::kDWord, std::string("\x01\0\0\0\0\0\0\0", 8)));
    plant("binary", rawValue(regtype::kBinary, std::string("\x07\0\0\0", 4)));
    EXPECT_EQ(number("three"), 0);
    EXPECT_EQ(number("eight"), 0);
    EXPECT_EQ(number("binary"), 0);
    EXPECT_EQ(number("missing"), 0);
}

using RegistryWrites = RegistryLayer;

TEST_F(RegistryWrites, TextIsStoredWithOneTerminator) {
    SetStringValue(m_registry, kUser, kPath, "Message", "Hi");
    const RegistryValue stored = storedValue(m_registry, kUser, kPath, "Message");
    EXPECT_EQ(stored.type, regtype::kSz);
    EXPECT_EQ(stored.data, std::string("Hi\0", 3));
}

TEST_F(RegistryWrites, NumberIsStoredAsFourLittleEndianBytes) {
    SetDWordValue(m_registry, kUser, kPath, "n", 0x01020304);
    const RegistryValue stored = storedValue(m_registry, kUser, kPath, "n");
    EXPECT_EQ(stored.type, regtype::kDWord);
    EXPECT_EQ(stored.data, std::string("\x04\x03\x02\x01", 4));
}

TEST_F(RegistryWrites, NegativeAndExtremeNumbersRoundTrip) {
    for (int32_t value : {-1, -5, INT32_MIN, INT32_MAX, 0x7F, 0x80, 0xFF00}) {
        SetDWordValue(m_registry, kUser, kPath, "n", value);
        EXPECT_EQ(number("n"), value);
    }
    plant("high", dwordBytes(0xFFFFFFFEu));
    EXPECT_EQ(number("high"), -2);
}

TEST_F(RegistryWrites, NonAsciiTextRoundTrips) {
    const std::string mixed =
        "\xC3\x9C"
        "bung \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
    SetStringValue(m_registry, kUser, kPath, "\xE5\x90\x8D", mixed);
    EXPECT_EQ(GetStringValue(m_registry, kUser, kPath, "\xE5\x90\x8D"), mixed);
}

using RegistryDeletes = RegistryLayer;

TEST_F(RegistryDeletes, DeletingMissingThingsChangesNothing) {
    SetStringValue(m_registry, kUser, kPath, "kept", "yes");
    DeleteValue(m_registry, kUser, kPath, "missing");
    DeleteValue(m_registry, kUser, "No\\Such\\Key", "missing");
    DeleteKey(m_registry, kUser, "No\\Such\\Key");
    DeleteKey(m_registry, kUser, kPath + "\\Missing");
    EXPECT_EQ(text("kept"), "yes");
    EXPECT_EQ(m_registry.subKeyNames(kUser, "Software\\OBP"), std::vector<std::string>{"Settings"});
}

using RegistryStandardUser = RegistryLayer;

TEST_F(RegistryStandardUser, MachineWideWritesAreLostSilently) {
    SetStringValue(m_registry, kMachine, kPath, "Existing", "old");
    m_registry.setMachineWideWritesDenied(true);

    SetStringValue(m_registry, kMachine, kPath, "New", "value");
    SetStringValue(m_registry, kMachine, kPath, "Existing", "new");
    SetDWordValue(m_registry, kMachine, "Software\\OBP\\Other", "n", 5);
    DeleteValue(m_registry, kMachine, kPath, "Existing");
    CreateKey(m_registry, kMachine, "Software\\OBP\\Made");
    EXPECT_EQ(text("New", kMachine), "");
    EXPECT_EQ(text("Existing", kMachine), "old");
    EXPECT_FALSE(m_registry.keyExists(kMachine, "Software\\OBP\\Other"));
    EXPECT_FALSE(m_registry.keyExists(kMachine, "Software\\OBP\\Made"));
    DeleteKey(m_registry, kMachine, kPath);
    EXPECT_TRUE(m_registry.keyExists(kMachine, kPath));

    SetStringValue(m_registry, kUser, kPath, "CurrentUser", "1");
    EXPECT_EQ(text("CurrentUser"), "1");
}

using RegistryHeldKey = RegistryLayer;

// A list's slots through one held key read, write and delete as the operations that open the key each time do.
TEST_F(RegistryHeldKey, ReadsAndWritesAsThePerCallOperationsDo) {
    const std::string list = "Software\\OBP\\Tasks";
    {
        HeldKey key(m_registry, kMachine, list);
        EXPECT_EQ(key.GetStringValue("Task0"), "");
        key.DeleteValue("Task0");
        EXPECT_FALSE(m_registry.keyExists(kMachine, list));  // neither a read nor a delete makes the key
        ASSERT_TRUE(key.writeStringValue("Task0", "a,1").ok());
        EXPECT_EQ(key.GetStringValue("task0"), "a,1");
        SetDWordValue(m_registry, kMachine, list, "Task1", 1);
        EXPECT_EQ(key.GetStringValue("Task1"), "");
        key.DeleteValue("Task1");
        EXPECT_EQ(m_registry.openKeyCount(), 1);
    }
    EXPECT_EQ(m_registry.openKeyCount(), 0);
    EXPECT_EQ(storedValue(m_registry, kMachine, list, "Task0").data, std::string("a,1\0", 4));
    EXPECT_EQ(m_registry.valueNames(kMachine, list), std::vector<std::string>{"Task0"});
}

// Another part of the program may replace the key while events run between slots; the held key follows it.
TEST_F(RegistryHeldKey, AKeyReplacedWhileHeldIsReachedAgain) {
    const std::string list = "Software\\OBP\\IgnoreList";
    HeldKey key(m_registry, kMachine, list);
    ASSERT_TRUE(key.writeStringValue("Task0", "old").ok());
    DeleteKey(m_registry, kMachine, list);
    SetStringValue(m_registry, kMachine, list, "Task5", "new");
    EXPECT_EQ(key.GetStringValue("Task5"), "new");
    ASSERT_TRUE(key.writeStringValue("Task6", "more").ok());
    EXPECT_EQ(GetStringValue(m_registry, kMachine, list, "Task6"), "more");
    DeleteKey(m_registry, kMachine, list);
    ASSERT_TRUE(key.writeStringValue("Task0", "again").ok());
    EXPECT_EQ(m_registry.valueNames(kMachine, list), std::vector<std::string>{"Task0"});
}

TEST_F(RegistryHeldKey, AStandardUsersWritesAreRefusedAndNothingIsMade) {
    m_registry.setMachineWideWritesDenied(true);
    HeldKey key(m_registry, kMachine, "Software\\OBP\\Tasks");
    for (int slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(key.writeStringValue("Task" + std::to_string(slot), "a,1").code(), errc::kAccessDenied);
    }
    EXPECT_FALSE(m_registry.keyExists(kMachine, "Software\\OBP\\Tasks"));
}

}  // namespace
