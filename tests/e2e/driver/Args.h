#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// "--name value" options and bare "--flag"s after the subcommand. Every name must be one the
// subcommand declared: a mistyped option would otherwise widen a window search silently.
class Args {
public:
    // `allowed` holds option names, a trailing '!' marks a flag without value ("visible!").
    static std::optional<Args> parse(const std::vector<std::string>& words, const std::vector<std::string>& allowed,
                                     std::string& error);
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    std::string valueOr(const std::string& name, const std::string& fallback) const;
    // A missing option gives the fallback; a malformed number is reported through `ok`.
    long long number(const std::string& name, long long fallback, bool& ok) const;

private:
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
};
