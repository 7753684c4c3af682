// The About page: the page the window opens on, and the version text taken from the program file.
#include <gtest/gtest.h>

#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;

namespace {

constexpr int kAboutPage = 5;

RunningProgram startWithVersion(sim::SimWorld& world, FileVersion version) {
    RunningProgram program;
    program.process = std::make_unique<sim::SimInstance>(world);
    program.process->process().setFileVersion(version);
    program.running = program.process->run([&] {
        program.app = std::make_unique<ObelonApp>(program.process->platform());
        program.app->start();
    });
    return program;
}

// The text up to each CR, and what follows the last one.
std::vector<std::string> crLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    for (size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', begin)) {
        lines.push_back(text.substr(begin, cr - begin));
        begin = cr + 1;
    }
    lines.push_back(text.substr(begin));
    return lines;
}

}  // namespace

TEST(AboutPage, ShowsTheReleaseVersionInThreeCrEndedLines) {
    sim::SimWorld world;
    RunningProgram program = startWithVersion(world, {7, 8, 0});
    ASSERT_TRUE(program.running);
    const std::vector<std::string> lines = crLines(program.labelText("lblAbout"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Version: 7.8.0");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_FALSE(lines[2].empty());
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(program.labelText("lblAbout").find('\n'), std::string::npos);
    EXPECT_EQ(program.labelText("lbltitle"), "Obelon Pro");
}

// Each number is written in plain decimal, however many digits it has.
TEST(AboutPage, TheVersionFollowsTheProgramFile) {
    sim::SimWorld world;
    RunningProgram program = startWithVersion(world, {12, 0, 305});
    ASSERT_TRUE(program.running);
    EXPECT_EQ(crLines(program.labelText("lblAbout"))[0], "Version: 12.0.305");
}

TEST(AboutPage, IsThePageTheWindowOpensOn) {
    sim::SimWorld world;
    RunningProgram program = startWithVersion(world, {7, 8, 0});
    ASSERT_TRUE(program.running);
    auto& tabs = *sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1");
    EXPECT_EQ(tabs.selectedPage(), kAboutPage);
    EXPECT_EQ(tabs.text(), "About");
    for (const char* name : {"lblAbout", "cmdRepair", "cmdupdate", "cmdExit", "cmdLink"}) {
        EXPECT_TRUE(program.configForm().findControl(name)->isVisible()) << name;
    }
    EXPECT_FALSE(program.configForm().findControl("lstTasks")->isVisible());
}
