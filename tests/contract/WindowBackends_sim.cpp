// The contract's simulated side: a fresh simulated machine with the program's process on it.
#include <set>

#include "platform/sim/SimControls.h"
#include "platform/sim/SimForm.h"
#include "platform/sim/SimInstance.h"
#include "platform/sim/SimTextBox.h"
#include "platform/sim/SimWorld.h"
#include "tests/contract/WindowBackends.h"

namespace contract {

namespace {

class SimWindowBackend final : public WindowBackend {
public:
    SimWindowBackend() : m_program(m_world) {
        // The program was started by the user, so it may bring its first window to the front.
        m_world.desktop.allowForeground(m_program.id());
    }
    ~SimWindowBackend() override { m_world.endProcess(m_program.id(), 0); }

    IDesktop& desktop() override { return m_world.desktop; }
    ui::Toolkit& toolkit() override { return m_program.toolkit(); }

    WindowId createForeignWindow(const std::string& title, const std::string& className, bool visible) override {
        return m_world.desktop.createWindow(title, className, visible);
    }
    void destroyForeignWindow(WindowId window) override { m_world.desktop.destroyWindow(window); }
    void userClicks(WindowId window) override {
        m_world.desktop.setForeground(window);
        settle();
    }

    void userPressesForm(ui::Form& form) override {
        (void)dynamic_cast<sim::SimForm&>(form).pressBackground(ui::MouseButton::Left);
        settle();
    }

    void userTypes(ui::TextBox& box, const std::string& text) override {
        (void)dynamic_cast<sim::SimTextBox&>(box).type(text);
        settle();
    }

    // A BM_CLICK reaches the control as the user's click does, through the same gate.
    void clickFromOutside(ui::Control& control) override {
        if (auto* button = dynamic_cast<ui::Button*>(&control)) return button->click();
        if (auto* box = dynamic_cast<ui::CheckBox*>(&control)) return box->click();
        if (auto* option = dynamic_cast<sim::SimOptionButton*>(&control)) return option->click();
        if (auto* label = dynamic_cast<sim::SimLabel*>(&control)) (void)label->click();
    }

    void setHung(WindowId window, bool hung) override {
        m_world.desktop.setHung(window, hung);
        m_watched.insert(window.v);
    }
    bool callBlocks(const std::function<void()>& call) override {
        const int before = blockedSoFar();
        call();
        return blockedSoFar() > before;
    }
    void settle() override { m_program.toolkit().processEvents(); }
    void letTimePass(int ms) override {
        m_world.advance(ms);
        settle();
    }
    uint32_t ownProcessId() const override { return m_program.id(); }
    std::string ownProgramFile() override { return m_program.process().programFilePath(); }
    void postQuit() override { m_program.toolkit().postQuit(); }
    bool takeQuit() override { return m_program.toolkit().quitPosted(); }

    std::string foregroundLockMissing() const override { return {}; }
    std::string minimizeKeepsForeground() const override { return {}; }
    std::string otherProgramIsThisProcess() const override { return {}; }

private:
    int blockedSoFar() const {
        int calls = 0;
        for (uint64_t window : m_watched) calls += m_world.desktop.blockedCalls(WindowId{window});
        return calls;
    }

    sim::SimWorld m_world;
    sim::SimInstance m_program;
    std::set<uint64_t> m_watched;
};

}  // namespace

std::unique_ptr<WindowBackend> makeWindowBackend() {
    return std::make_unique<SimWindowBackend>();
}

}  // namespace contract
