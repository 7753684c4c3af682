#pragma once
#include <string>
#include <vector>

class Args;

// Exit codes of every subcommand, so scripts can tell "no" from "not there" from a typo.
constexpr int kYes = 0;
constexpr int kNo = 1;
constexpr int kUsage = 2;
constexpr int kMissing = 3;
constexpr int kCannot = 4;  // the check itself could not be made

struct Command {
    const char* name;
    std::vector<std::string> options;  // see Args::parse
    const char* usage;
    int (*run)(const Args&);
};

void addWindowCommands(std::vector<Command>& table);
void addControlCommands(std::vector<Command>& table);
void addRegistryCommands(std::vector<Command>& table);
void addStandInCommands(std::vector<Command>& table);
void addSysMenuCommands(std::vector<Command>& table);
void addVersionCommands(std::vector<Command>& table);
void addTreeCommands(std::vector<Command>& table);

// Shared by the command files: print a line, report a problem, read a timeout option.
int say(const std::string& line, int code);
int complain(const std::string& line, int code);
unsigned long timeoutFrom(const Args& args, unsigned long fallbackMs);
