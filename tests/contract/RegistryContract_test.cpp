// What the registry layer relies on from IRegistry, held against the simulation and the real registry alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/StorageBackends.h"

namespace {

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;

RegistryValue value(uint32_t type, std::string data) {
    return {type, std::move(data)};
}

// A value as readable text for comparing and for failure messages: its type and its bytes, escaped.
std::string shown(const RegistryValue& v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "type " + std::to_string(v.type) + ": ";
    for (char c : v.data) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 15];
        }
    }
    return text;
}

const std::string kMissing = "error 2";

class RegistryContract : public ::testing::Test {
protected:
    // The stored value as shown(), or "error <code>".
    std::string read(const std::string& path, const std::string& name, RootKey root = kUser) {
        Result<RegistryValue> got = m_registry.queryValue(root, path, name);
        if (!got.ok()) return "error " + std::to_string(got.status().code());
        return shown(got.value());
    }
    static uint32_t codeOf(const Status& status) { return status.code(); }

    std::unique_ptr<contract::RegistrySide> m_side = contract::makeRegistrySide();
    IRegistry& m_registry = m_side->registry();
    const std::string m_key = m_side->scratchKey();
};

// Values other programs store (no terminator, inner NULs, empty) come back character for character, in any script.
TEST_F(RegistryContract, TextComesBackWithExactlyTheStoredCharacters) {
    const std::vector<RegistryValue> texts = {
        value(regtype::kSz, "abcdef"),
        value(regtype::kSz, std::string("Hi\0", 3)),
        value(regtype::kSz, std::string("ab\0cd\0", 6)),
        value(regtype::kSz, ""),
        value(regtype::kSz, std::string("\0", 1)),
        // Übung – 日本 and an emoji, which UTF-16 holds as a surrogate pair.
        value(regtype::kSz,
              "\xC3\x9C"
              "bung \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"),
        value(regtype::kExpandSz, std::string("%TEMP%\\x\0", 9)),
        value(regtype::kMultiSz, std::string("one\0two\0\0", 9)),
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string name = "text" + std::to_string(i);
        ASSERT_TRUE(m_registry.setValue(kUser, m_key, name, texts[i]).ok()) << name;
        EXPECT_EQ(read(m_key, name), shown(texts[i])) << name;
    }
    const std::string emojiName = "\xF0\x9F\x98\x80 \xE5\x90\x8D";
    const std::string emojiKey = m_key + "\\\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87 \xF0\x9F\x98\x80";
    ASSERT_TRUE(m_registry.setValue(kUser, emojiKey, emojiName, value(regtype::kSz, "x")).ok());
    EXPECT_EQ(read(emojiKey, emojiName), shown(value(regtype::kSz, "x")));
}

// Cut multi-byte characters, encoded surrogates and stray bytes have no UTF-16 form: refused, nothing stored.
TEST_F(RegistryContract, TextThatIsNotUtf8IsRefusedAndNothingIsStored) {
    for (const std::string& bad :
         {std::string("cut \xC3"), std::string("\xED\xA0\x80"), std::string("\xFF"), std::string("\xC0\xAF")}) {
        EXPECT_EQ(codeOf(m_registry.setValue(kUser, m_key, "bad", value(regtype::kSz, bad))), errc::kInvalidData);
        EXPECT_EQ(codeOf(m_registry.setValue(kUser, m_key, bad, value(regtype::kSz, "x"))), errc::kInvalidData);
        EXPECT_EQ(read(m_key, "bad"), kMissing);
    }
    EXPECT_TRUE(m_registry.setValue(kUser, m_key, "raw", value(regtype::kBinary, "\xFF\xC3")).ok());
}

TEST_F(RegistryContract, NumbersAndBinaryComeBackByteForByte) {
    const std::vector<RegistryValue> raw = {
        value(regtype::kDWord, std::string("\xFB\xFF\xFF\xFF", 4)),
        value(regtype::kDWord, std::string("\x01\x02\x03", 3)),
        value(regtype::kBinary, std::string("\0\x80\xFF\0", 4)),
        value(regtype::kBinary, ""),
    };
    for (size_t i = 0; i < raw.size(); ++i) {
        const std::string name = "raw" + std::to_string(i);
        ASSERT_TRUE(m_registry.setValue(kUser, m_key, name, raw[i]).ok()) << name;
        EXPECT_EQ(read(m_key, name), shown(raw[i])) << name;
    }
}

// Windows folds the case of every letter it has an upper case for, not only of A to Z.
TEST_F(RegistryContract, KeyAndValueNamesMatchWhateverTheirCase) {
    const std::string key = m_key + "\\Mixed\\\xC3\x84rger";        // Ärger
    const std::string otherCase = m_key + "\\MIXED\\\xC3\xA4RGER";  // äRGER
    ASSERT_TRUE(m_registry.setValue(kUser, key, "TaskName", value(regtype::kSz, "1")).ok());
    ASSERT_TRUE(m_registry.setValue(kUser, key, "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87", value(regtype::kSz, "2")).ok());
    EXPECT_EQ(read(otherCase, "TASKNAME"), shown(value(regtype::kSz, "1")));
    EXPECT_EQ(read(otherCase, "\xD0\xBA\xD0\x9B\xD0\xAE\xD0\xA7"), shown(value(regtype::kSz, "2")));  // Ключ as кЛЮЧ

    ASSERT_TRUE(
        m_registry.setValue(kUser, otherCase, "taskname", value(regtype::kDWord, std::string("\x05\0\0\0", 4))).ok());
    EXPECT_EQ(read(key, "TaskName"), shown(value(regtype::kDWord, std::string("\x05\0\0\0", 4))));
    ASSERT_TRUE(m_registry.deleteValue(kUser, otherCase, "TASKNAME").ok());
    EXPECT_EQ(read(key, "TaskName"), kMissing);
    ASSERT_TRUE(m_registry.deleteKey(kUser, m_key + "\\mixed\\\xC3\x84RGER").ok());
    EXPECT_EQ(read(key, "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87"), kMissing);
}

// "Not there" is error 2 wherever it is found missing; a key that still has sub-keys is refused, not lost.
TEST_F(RegistryContract, WritesMakeTheWholePathAndDeletesTakeOnlyTheirTarget) {
    const std::string leaf = m_key + "\\a\\b\\c";
    ASSERT_TRUE(m_registry.setValue(kUser, leaf, "kept", value(regtype::kSz, "yes")).ok());
    ASSERT_TRUE(m_registry.setValue(kUser, leaf, "gone", value(regtype::kSz, "no")).ok());
    ASSERT_TRUE(m_registry.createKey(kUser, m_key + "\\made\\inner").ok());
    ASSERT_TRUE(m_registry.createKey(kUser, m_key + "\\made\\inner").ok());

    EXPECT_EQ(codeOf(m_registry.deleteKey(kUser, m_key + "\\a")), errc::kAccessDenied);
    EXPECT_EQ(read(leaf, "kept"), shown(value(regtype::kSz, "yes")));
    ASSERT_TRUE(m_registry.deleteValue(kUser, leaf, "gone").ok());
    EXPECT_EQ(read(leaf, "gone"), kMissing);
    EXPECT_EQ(read(leaf, "kept"), shown(value(regtype::kSz, "yes")));

    EXPECT_EQ(codeOf(m_registry.deleteValue(kUser, leaf, "gone")), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_registry.deleteValue(kUser, m_key + "\\no\\key", "gone")), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_registry.deleteKey(kUser, m_key + "\\no\\key")), errc::kFileNotFound);
    EXPECT_EQ(read(m_key + "\\no\\key", "gone"), kMissing);
    EXPECT_EQ(read(leaf, "kept", kMachine), kMissing);

    // A key deleted with its values and made again is empty.
    ASSERT_TRUE(m_registry.deleteKey(kUser, leaf).ok());
    ASSERT_TRUE(m_registry.createKey(kUser, leaf).ok());
    EXPECT_EQ(read(leaf, "kept"), kMissing);
    EXPECT_TRUE(m_registry.deleteKey(kUser, m_key + "\\made\\inner").ok());
    EXPECT_TRUE(m_registry.deleteKey(kUser, m_key + "\\made").ok());
}

// A list's slots go through one open key; what it reads and writes is what the per-call operations see.
TEST_F(RegistryContract, AnOpenKeySharesItsValuesWithThePerCallOperations) {
    const std::string list = m_key + "\\List";
    EXPECT_EQ(codeOf(m_registry.openKey(kUser, list, KeyAccess::Read).status()), errc::kFileNotFound);
    EXPECT_EQ(codeOf(m_registry.openKey(kUser, list, KeyAccess::Write).status()), errc::kFileNotFound);
    Result<std::unique_ptr<IRegistryKey>> writer = m_registry.openKey(kUser, list, KeyAccess::Create);
    ASSERT_TRUE(writer.ok());
    IRegistryKey& key = *writer.value();
    const RegistryValue text = value(regtype::kSz, "\xC3\x9C"
                                                   "bung \xF0\x9F\x98\x80");  // no terminator
    ASSERT_TRUE(key.setValue("Task0", text).ok());
    EXPECT_EQ(read(list, "TASK0"), shown(text));
    ASSERT_TRUE(m_registry.setValue(kUser, list, "Task1", value(regtype::kSz, std::string("x\0", 2))).ok());
    ASSERT_TRUE(key.queryValue("task1").ok());
    EXPECT_EQ(shown(key.queryValue("task1").value()), shown(value(regtype::kSz, std::string("x\0", 2))));
    EXPECT_EQ(codeOf(key.setValue("bad", value(regtype::kSz, "cut \xC3"))), errc::kInvalidData);
    ASSERT_TRUE(key.deleteValue("TASK1").ok());
    EXPECT_EQ(read(list, "Task1"), kMissing);
    EXPECT_EQ(codeOf(key.deleteValue("Task1")), errc::kFileNotFound);
    EXPECT_EQ(codeOf(key.queryValue("Task1").status()), errc::kFileNotFound);

    Result<std::unique_ptr<IRegistryKey>> reader = m_registry.openKey(kUser, list, KeyAccess::Read);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(codeOf(reader.value()->setValue("Task2", text)), errc::kAccessDenied);
    EXPECT_EQ(codeOf(reader.value()->deleteValue("Task0")), errc::kAccessDenied);
    EXPECT_EQ(read(list, "Task0"), shown(text));
}

// A list is read in one pass over what its key holds: every value once, its name in the case it was stored in (an
// imported file may write "TASK3"), its data whole however long.
TEST_F(RegistryContract, AnOpenKeyListsEveryValueWithItsNameAsStoredAndItsDataWhole) {
    const std::string list = m_key + "\\List";
    Result<std::unique_ptr<IRegistryKey>> writer = m_registry.openKey(kUser, list, KeyAccess::Create);
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE(writer.value()->values().ok());
    EXPECT_TRUE(writer.value()->values().value().empty());
    const RegistryValue longText = value(regtype::kSz, std::string(3000, 'w') + "\xC3\x9C");
    const RegistryValue number = value(regtype::kDWord, std::string("\x07\0\0\0", 4));
    ASSERT_TRUE(writer.value()->setValue("TASK3", value(regtype::kSz, "Notepad,1")).ok());
    ASSERT_TRUE(writer.value()->setValue("Task10", longText).ok());
    ASSERT_TRUE(m_registry.setValue(kUser, list, "flag", number).ok());

    Result<std::unique_ptr<IRegistryKey>> reader = m_registry.openKey(kUser, list, KeyAccess::Read);
    ASSERT_TRUE(reader.ok());
    Result<std::vector<NamedValue>> listed = reader.value()->values();
    ASSERT_TRUE(listed.ok());
    std::vector<std::string> seen;
    for (const NamedValue& stored : listed.value()) seen.push_back(stored.name + " = " + shown(stored.value));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"TASK3 = " + shown(value(regtype::kSz, "Notepad,1")),
                                              "Task10 = " + shown(longText), "flag = " + shown(number)}));
}

// Deleting a key does not wait for its handles; they stay on the deleted key, not on one made again after it.
TEST_F(RegistryContract, AnOpenKeyThatIsDeletedStaysDeletedForItsHandle) {
    const std::string list = m_key + "\\List";
    ASSERT_TRUE(m_registry.setValue(kUser, list, "Task0", value(regtype::kSz, "old")).ok());
    Result<std::unique_ptr<IRegistryKey>> held = m_registry.openKey(kUser, list, KeyAccess::Write);
    ASSERT_TRUE(held.ok());
    ASSERT_TRUE(m_registry.deleteKey(kUser, list).ok());
    EXPECT_EQ(codeOf(held.value()->queryValue("Task0").status()), errc::kKeyDeleted);
    ASSERT_TRUE(m_registry.setValue(kUser, list, "Task0", value(regtype::kSz, "new")).ok());
    EXPECT_EQ(codeOf(held.value()->queryValue("Task0").status()), errc::kKeyDeleted);
    EXPECT_EQ(codeOf(held.value()->setValue("Task1", value(regtype::kSz, "lost"))), errc::kKeyDeleted);
    EXPECT_EQ(codeOf(held.value()->deleteValue("Task0")), errc::kKeyDeleted);
    EXPECT_EQ(codeOf(held.value()->values().status()), errc::kKeyDeleted);
    EXPECT_EQ(read(list, "Task0"), shown(value(regtype::kSz, "new")));
    EXPECT_EQ(read(list, "Task1"), kMissing);
}

TEST_F(RegistryContract, AValueOfAnotherTypeIsReplacedWhole) {
    ASSERT_TRUE(m_registry.setValue(kUser, m_key, "flag", value(regtype::kDWord, std::string("\x01\0\0\0", 4))).ok());
    ASSERT_TRUE(m_registry.setValue(kUser, m_key, "flag", value(regtype::kSz, std::string("1\0", 2))).ok());
    EXPECT_EQ(read(m_key, "flag"), shown(value(regtype::kSz, std::string("1\0", 2))));
    ASSERT_TRUE(m_registry.setValue(kUser, m_key, "flag", value(regtype::kBinary, "\x07")).ok());
    EXPECT_EQ(read(m_key, "flag"), shown(value(regtype::kBinary, "\x07")));
}

// A standard user's token refuses every change below HKEY_LOCAL_MACHINE with "access denied", which is not
// "not found": reading goes on, and the user's own keys stay writable. (Making keys below and deleting the key
// are left out: Wine checks no security there, so only the simulation can show them refused.)
TEST_F(RegistryContract, MachineWideChangesOfAStandardUserAreRefused) {
    ASSERT_TRUE(m_registry.setValue(kMachine, m_key, "Existing", value(regtype::kSz, "old")).ok());
    if (!m_side->refuseMachineWideWrites(m_key)) GTEST_SKIP() << "this side cannot refuse a machine-wide write";

    EXPECT_EQ(codeOf(m_registry.setValue(kMachine, m_key, "Existing", value(regtype::kSz, "new"))),
              errc::kAccessDenied);
    EXPECT_EQ(codeOf(m_registry.setValue(kMachine, m_key, "New", value(regtype::kSz, "x"))), errc::kAccessDenied);
    EXPECT_EQ(codeOf(m_registry.deleteValue(kMachine, m_key, "Existing")), errc::kAccessDenied);
    EXPECT_EQ(codeOf(m_registry.deleteValue(kMachine, m_key, "Missing")), errc::kAccessDenied);
    // The rights are asked for when the key is opened: reading still opens it, writing does not.
    EXPECT_EQ(codeOf(m_registry.openKey(kMachine, m_key, KeyAccess::Write).status()), errc::kAccessDenied);
    EXPECT_EQ(codeOf(m_registry.openKey(kMachine, m_key, KeyAccess::Create).status()), errc::kAccessDenied);
    Result<std::unique_ptr<IRegistryKey>> reader = m_registry.openKey(kMachine, m_key, KeyAccess::Read);
    ASSERT_TRUE(reader.ok());
    ASSERT_TRUE(reader.value()->queryValue("Existing").ok());
    EXPECT_EQ(shown(reader.value()->queryValue("Existing").value()), shown(value(regtype::kSz, "old")));

    EXPECT_EQ(read(m_key, "Existing", kMachine), shown(value(regtype::kSz, "old")));
    EXPECT_EQ(read(m_key, "New", kMachine), kMissing);
    EXPECT_TRUE(m_registry.setValue(kUser, m_key, "CurrentUser", value(regtype::kSz, "1")).ok());
}

}  // namespace
