#include "Args.h"

#include <algorithm>
#include <cstdlib>

std::optional<Args> Args::parse(const std::vector<std::string>& words, const std::vector<std::string>& allowed,
                                std::string& error) {
    auto declared = [&](const std::string& spelled) { return std::find(allowed.begin(), allowed.end(), spelled); };
    Args args;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            error = "unexpected argument '" + word + "'";
            return std::nullopt;
        }
        const std::string name = word.substr(2);
        if (declared(name + "!") != allowed.end()) {
            args.m_flags.insert(name);
            continue;
        }
        if (declared(name) == allowed.end()) {
            error = "unknown option --" + name;
            return std::nullopt;
        }
        if (i + 1 >= words.size()) {
            error = "option --" + name + " needs a value";
            return std::nullopt;
        }
        args.m_values[name] = words[++i];
    }
    return args;
}

bool Args::has(const std::string& name) const {
    return m_flags.count(name) != 0 || m_values.count(name) != 0;
}

std::optional<std::string> Args::value(const std::string& name) const {
    auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::string Args::valueOr(const std::string& name, const std::string& fallback) const {
    return value(name).value_or(fallback);
}

long long Args::number(const std::string& name, long long fallback, bool& ok) const {
    auto text = value(name);
    if (!text) return fallback;
    char* end = nullptr;
    const long long parsed = std::strtoll(text->c_str(), &end, 0);
    if (text->empty() || *end != '\0') {
        ok = false;
        return fallback;
    }
    return parsed;
}
