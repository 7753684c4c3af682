#include "tests/support/RegFileImport.h"

#include <string>

#include "registry/RegFile.h"

namespace testsupport {

namespace {

// reg.exe removes a key with everything below it; a key that is not there is no failure.
bool deleteTree(sim::SimRegistry& registry, const std::string& key) {
    if (!registry.keyExists(RootKey::LocalMachine, key)) return true;
    for (const std::string& child : registry.subKeyNames(RootKey::LocalMachine, key)) {
        if (!deleteTree(registry, key + "\\" + child)) return false;
    }
    return registry.deleteKey(RootKey::LocalMachine, key).ok();
}

// Texts are stored with their terminator and numbers as four little-endian bytes, as reg.exe stores them.
bool apply(sim::SimRegistry& registry, const RegEdit& edit) {
    switch (edit.kind) {
        case RegEdit::Kind::DeleteKey:
            return deleteTree(registry, edit.key);
        case RegEdit::Kind::CreateKey:
            return registry.createKey(RootKey::LocalMachine, edit.key).ok();
        case RegEdit::Kind::SetText: {
            const RegistryValue value{regtype::kSz, edit.text + '\0'};
            return registry.setValue(RootKey::LocalMachine, edit.key, edit.name, value).ok();
        }
        case RegEdit::Kind::SetNumber: {
            RegistryValue value{regtype::kDWord, std::string(4, '\0')};
            for (size_t at = 0; at < 4; ++at) value.data[at] = static_cast<char>((edit.number >> (8 * at)) & 0xFF);
            return registry.setValue(RootKey::LocalMachine, edit.key, edit.name, value).ok();
        }
        case RegEdit::Kind::DeleteValue: {
            const Status deleted = registry.deleteValue(RootKey::LocalMachine, edit.key, edit.name);
            return deleted.ok() || deleted.notFound();
        }
    }
    return false;
}

}  // namespace

bool importRegFile(sim::SimRegistry& registry, std::string_view bytes) {
    const std::optional<RegEdits> edits = readRegFile(bytes);
    if (!edits) return false;
    // The import runs elevated: the standard user's refusal does not hold for it.
    const bool denied = registry.machineWideWritesDenied();
    registry.setMachineWideWritesDenied(false);
    bool done = true;
    for (const RegEdit& edit : *edits) {
        done = apply(registry, edit);
        if (!done) break;
    }
    registry.setMachineWideWritesDenied(denied);
    return done;
}

void playElevatedRegImports(sim::SimInstance& process, sim::SimRegistry& registry, std::vector<std::string>& imported) {
    process.programs().respondWith([&process, &registry, &imported](const StartProgramArgs& args) {
        sim::ScriptedProgram reg;
        if (!args.elevated) return reg;
        const size_t open = args.commandLine.find('"');
        const size_t close = args.commandLine.rfind('"');
        if (open == std::string::npos || close <= open) return sim::ScriptedProgram{.exitCode = 1};
        const std::string path = args.commandLine.substr(open + 1, close - open - 1);
        imported.push_back(path);
        reg.work = [&process, &registry, path] {
            (void)importRegFile(registry, process.files().readFile(path).value_or(std::string()));
        };
        return reg;
    });
}

}  // namespace testsupport
