// obdriver: drives and inspects the programs under test from outside, as another program would.
#include <windows.h>

#include <string>
#include <vector>

#include "Args.h"
#include "Commands.h"
#include "Text.h"

int say(const std::string& line, int code) {
    writeOut(line + "\n");
    return code;
}

int complain(const std::string& line, int code) {
    writeErr("obdriver: " + line + "\n");
    return code;
}

unsigned long timeoutFrom(const Args& args, unsigned long fallbackMs) {
    bool ok = true;
    const long long value = args.number("timeout", static_cast<long long>(fallbackMs), ok);
    return ok && value >= 0 ? static_cast<unsigned long>(value) : fallbackMs;
}

namespace {

std::vector<Command> allCommands() {
    std::vector<Command> table;
    addWindowCommands(table);
    addControlCommands(table);
    addRegistryCommands(table);
    addStandInCommands(table);
    addSysMenuCommands(table);
    addVersionCommands(table);
    addTreeCommands(table);
    return table;
}

int usage(const std::vector<Command>& table) {
    std::string text = "usage: obdriver <command> [options]\n"
                       "exit: 0 yes/done, 1 no/failed/timed out, 2 bad usage, 3 window or control not found,\n"
                       "      4 the check could not be made\n";
    for (const Command& command : table) text += std::string("  ") + command.name + " " + command.usage + "\n";
    writeErr(text);
    return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<Command> table = allCommands();
    if (argc < 2) return usage(table);
    const std::string name = toUtf8(argv[1]);
    std::vector<std::string> words;
    for (int i = 2; i < argc; ++i) words.push_back(toUtf8(argv[i]));

    for (const Command& command : table) {
        if (name != command.name) continue;
        std::string error;
        auto args = Args::parse(words, command.options, error);
        if (!args) return complain(name + ": " + error + "\nusage: obdriver " + name + " " + command.usage, kUsage);
        return command.run(*args);
    }
    if (name == "help" || name == "--help") return usage(table);
    return complain("unknown command '" + name + "' (try: obdriver help)", kUsage);
}
