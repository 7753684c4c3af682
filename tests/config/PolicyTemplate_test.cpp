// The Group Policy template for fleets: both files are well-formed XML, every value a policy writes is one
// the configuration load reads, in the form it reads it, and every string and presentation they name exists.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/ConfigSchema.h"

namespace {

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;
    bool selfClosing = false;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A small well-formedness check: one root, every tag closed in order, attributes quoted and not repeated,
// no stray "<" or "&" in text. Tags are collected for the checks below; the declaration and comments are skipped.
bool parseXml(const std::string& text, std::vector<Tag>& tags, std::string& error) {
    static const std::regex attribute(R"re(\s*([A-Za-z_:][-\w.:]*)\s*=\s*"([^"<]*)")re");
    std::vector<std::string> open;
    int roots = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '<') {
            if (text[at] == '&' && !std::regex_search(text.substr(at, 8), std::regex("^&(amp|lt|gt|quot|apos|#\\d+);"))) {
                error = "a bare & at " + std::to_string(at);
                return false;
            }
            if (open.empty() && !std::isspace(static_cast<unsigned char>(text[at]))) {
                error = "text outside the root at " + std::to_string(at);
                return false;
            }
            ++at;
            continue;
        }
        if (text.compare(at, 4, "<!--") == 0 || text.compare(at, 2, "<?") == 0) {
            const bool comment = text[at + 1] == '!';
            const size_t end = text.find(comment ? "-->" : "?>", at);
            if (end == std::string::npos) {
                error = "an unclosed comment or declaration";
                return false;
            }
            at = end + (comment ? 3 : 2);
            continue;
        }
        const size_t end = text.find('>', at);
        if (end == std::string::npos) {
            error = "an unclosed tag at " + std::to_string(at);
            return false;
        }
        std::string body = text.substr(at + 1, end - at - 1);
        at = end + 1;
        Tag tag;
        tag.closing = !body.empty() && body.front() == '/';
        if (tag.closing) body.erase(0, 1);
        tag.selfClosing = !body.empty() && body.back() == '/';
        if (tag.selfClosing) body.pop_back();
        const size_t nameEnd = body.find_first_of(" \t\r\n");
        tag.name = body.substr(0, nameEnd);
        std::string rest = nameEnd == std::string::npos ? "" : body.substr(nameEnd);
        for (std::smatch m; std::regex_search(rest, m, attribute) && m.position(0) == 0; rest = m.suffix()) {
            if (!tag.attributes.emplace(m[1], m[2]).second) {
                error = "attribute " + m[1].str() + " twice in <" + tag.name + ">";
                return false;
            }
        }
        if (rest.find_first_not_of(" \t\r\n") != std::string::npos || tag.name.empty()) {
            error = "a malformed tag <" + body + ">";
            return false;
        }
        if (tag.closing) {
            if (open.empty() || open.back() != tag.name) {
                error = "</" + tag.name + "> closes " + (open.empty() ? "nothing" : "<" + open.back() + ">");
                return false;
            }
            open.pop_back();
        } else {
            if (open.empty() && ++roots > 1) {
                error = "a second root <" + tag.name + ">";
                return false;
            }
            if (!tag.selfClosing) open.push_back(tag.name);
        }
        tags.push_back(tag);
    }
    if (!open.empty()) error = "<" + open.back() + "> is never closed";
    return open.empty() && roots == 1;
}

const std::string kTemplate = std::string(OBELON_SOURCE_DIR) + "/policy/ObelonPro.admx";
const std::string kStrings = std::string(OBELON_SOURCE_DIR) + "/policy/en-US/ObelonPro.adml";

class GroupPolicyTemplate : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(parseXml(readFile(kTemplate), admx, error)) << kTemplate << ": " << error;
        ASSERT_TRUE(parseXml(readFile(kStrings), adml, error)) << kStrings << ": " << error;
    }
    std::vector<Tag> admx;
    std::vector<Tag> adml;
};

std::string formOf(const std::vector<Tag>& tags, size_t policy) {
    for (size_t i = policy + 1; i < tags.size() && tags[i].name != "policy"; ++i) {
        if (tags[i].name == "decimal") return "number";
        if (tags[i].name == "string" && !tags[i].closing) return "text";
    }
    return "none";
}

}  // namespace

TEST(XmlCheck, RefusesWhatIsNotWellFormed) {
    std::vector<Tag> tags;
    std::string error;
    EXPECT_TRUE(parseXml("<?xml version=\"1.0\"?><a x=\"1\"><b/>t &amp; u</a>", tags, error)) << error;
    for (const char* bad : {"<a><b></a></b>", "<a x=\"1\" x=\"2\"/>", "<a>&</a>", "<a/><b/>", "<a>", "<a x=1/>"}) {
        tags.clear();
        EXPECT_FALSE(parseXml(bad, tags, error)) << bad;
    }
}

TEST_F(GroupPolicyTemplate, WritesOnlyMachineSettingsTheLoadReadsInTheirStoredForm) {
    std::map<std::string, config::StoredForm> known;
    for (const auto& setting : config::kMachineSettings) known.emplace(setting.name, setting.form);
    std::set<std::string> written;
    for (size_t i = 0; i < admx.size(); ++i) {
        const Tag& tag = admx[i];
        if (tag.name != "policy" || tag.closing) continue;
        EXPECT_EQ(tag.attributes.at("class"), "Machine") << tag.attributes.at("name");
        const auto name = tag.attributes.find("valueName");
        if (name == tag.attributes.end()) continue;
        EXPECT_EQ(tag.attributes.at("key"), config::kSettingsKey) << name->second;
        const auto found = known.find(name->second);
        ASSERT_NE(found, known.end()) << "the program reads no value " << name->second;
        EXPECT_EQ(formOf(admx, i), found->second == config::StoredForm::Number ? "number" : "text") << name->second;
        written.insert(name->second);
    }
    // The password stays the program's own: a policy would put it where every user can read it.
    EXPECT_EQ(written.count(config::kPassword), 0u);
    EXPECT_EQ(written.size(), 8u);
}

TEST_F(GroupPolicyTemplate, TheTaskListWritesTheSlotsTheLoadReads) {
    int lists = 0;
    for (const Tag& tag : admx) {
        if (tag.name != "list") continue;
        ++lists;
        EXPECT_EQ(tag.attributes.at("key"), config::kTasksKey);
        EXPECT_EQ(tag.attributes.at("valuePrefix"), config::kSlotPrefix);
        EXPECT_EQ(config::slotName(1), std::string(config::kSlotPrefix) + "1");
    }
    EXPECT_EQ(lists, 1);
}

TEST_F(GroupPolicyTemplate, EveryNamedStringAndPresentationExists) {
    std::set<std::string> strings;
    std::set<std::string> presentations;
    for (const Tag& tag : adml) {
        if (tag.name == "string" && !tag.closing) strings.insert(tag.attributes.at("id"));
        if (tag.name == "presentation" && !tag.closing) presentations.insert(tag.attributes.at("id"));
    }
    static const std::regex reference(R"(\$\((string|presentation)\.([\w]+)\))");
    int references = 0;
    for (const Tag& tag : admx) {
        for (const auto& [name, value] : tag.attributes) {
            std::smatch m;
            if (!std::regex_match(value, m, reference)) continue;
            ++references;
            const auto& table = m[1] == "string" ? strings : presentations;
            EXPECT_EQ(table.count(m[2]), 1u) << name << "=" << value;
        }
    }
    EXPECT_GT(references, 20);
}
