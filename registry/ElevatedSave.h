#pragma once
#include <string>

#include "platform/Platform.h"
#include "registry/RegFile.h"

// Machine-wide changes this program may not write itself: started from the Run key under UAC, even an
// administrator's instance is refused every write below HKEY_LOCAL_MACHINE. The user is offered to save them with
// administrator rights: the changes go into a registration file this program writes and reads back itself, which
// reg.exe, started through the system's elevation prompt, imports while the file is held against changes.
class ElevatedSave final {
public:
    enum class Outcome { Saved, Declined, Failed };
    struct Answer {
        Outcome outcome = Outcome::Failed;
        std::string reason{};  // Failed: why, to end a sentence
    };
    explicit ElevatedSave(Platform& platform) : m_platform(platform) {}
    // what: the change as the question names it ("The settings", "The password", ...). Only keys below the
    // configuration key can be saved this way.
    Answer offer(WindowId owner, const std::string& what, const RegEdits& edits);

private:
    Answer save(const RegEdits& edits);
    Answer importHeld(const std::string& path, const std::string& bytes);
    bool stored(const RegEdits& edits);

    Platform& m_platform;
};
