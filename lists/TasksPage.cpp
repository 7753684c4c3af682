#include "lists/TasksPage.h"

#include <array>
#include <string>

#include "common/EventPacer.h"
#include "lists/TaskBrowser.h"

namespace {

constexpr int kMaxTasks = 999;  // Browse refuses from here on
constexpr int kDeleteKey = 46;
constexpr int kFilesPage = 1;

// Offered when no task is stored, in this order, unchecked.
// clang-format off
constexpr std::array<const char*, 29> kPresetTasks = {
    "Inbox - Windows Live Mail", "Google Chrome", "Messenger", "Windows Live Messenger", "Windows Mail",
    "Inbox - Outlook Express", "Windows Media Player", "Notepad", "Paint", "Microsoft Word", "Solitaire",
    "Personalization", "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
    "Disk Defragmenter", "Network", "Disk Cleanup", "Folder Options", "System Restore", "System Information",
    "Command Prompt", "System Configuration Utility", "Run", "Computer", "Music", "Pictures"};
// clang-format on

}  // namespace

TasksPage::TasksPage(Platform& platform, ProgramState& state, ui::Form& configWindow, std::function<void()> showMessage)
    : m_platform(platform),
      m_state(state),
      m_form(configWindow),
      m_showMessage(std::move(showMessage)),
      lstTasks(configWindow.control<ui::ListBox>("lstTasks")),
      lblTaskCount(configWindow.control<ui::Label>("lblTaskCount")),
      cmdadd(configWindow.control<ui::Button>("cmdadd")),
      cmddel(configWindow.control<ui::Button>("cmddel")),
      lblFolderLink(configWindow.control<ui::Label>("lblFolderLink")),
      SmartTab1(configWindow.control<ui::TabStrip>("SmartTab1")) {
    cmdadd.onClick([this] { cmdaddClick(); });
    // Remove leaves the count as it was; the Delete key and a right press recount.
    cmddel.onClick([this] { removeSelectedTask(); });
    lstTasks.onKeyDown([this](int key) { lstTasksKeyDown(key); });
    lstTasks.onMouseDown([this](ui::MouseButton button) {
        if (button == ui::MouseButton::Right) CountTasks();
    });
    lblFolderLink.onClick([this] { SmartTab1.selectPage(kFilesPage); });
}

TasksPage::~TasksPage() = default;

ui::Form* TasksPage::browserForm() { return m_browser ? &m_browser->form() : nullptr; }

// The configuration window takes no input while the browser is open; the wait lets every other
// event run (the watch goes on) and sleeps between them instead of spinning.
void TasksPage::cmdaddClick() {
    if (m_browser) return;
    m_form.setEnabled(false);
    if (lstTasks.count() >= kMaxTasks) {
        (void)m_platform.shell.messageBox(
            {.owner = m_form.id(),
             .text = "The maximum number of Tasks has been reached.\rDelete some Tasks to continue.",
             .title = "Obelon Pro",
             .icon = MessageBoxIcon::Exclamation,
             .buttons = MessageBoxButtons::Ok});
        m_form.setEnabled(true);
        return;
    }
    m_browser = std::make_unique<TaskBrowser>(
        m_platform, m_state,
        TaskBrowserArgs{.configWindow = m_form, .lstTasks = lstTasks, .showMessage = m_showMessage});
    m_browser->show();
    while (m_browser->isVisible() && m_platform.ui.waitForEvent()) {
    }
    m_browser.reset();
    // However the browser went, the configuration window must not stay locked out.
    m_form.setEnabled(true);
    CountTasks();
}

void TasksPage::removeSelectedTask() {
    const int selected = lstTasks.selectedIndex();
    if (selected >= 0 && selected < lstTasks.count()) lstTasks.removeItem(selected);
}

void TasksPage::lstTasksKeyDown(int key) {
    if (key != kDeleteKey) return;
    removeSelectedTask();
    CountTasks();
}

// The caption climbs while a long list is counted, and events run every few milliseconds; the count is
// re-read each round, so a list that shrinks meanwhile ends the count early instead of reading past it. The
// caption changes only when the window can show it: each change is a round trip to the window system.
void TasksPage::CountTasks() {
    int count = 0;
    const auto show = [&] { lblTaskCount.setText("Tasks Locked: " + std::to_string(count)); };
    EventPacer events(m_platform.ui, m_platform.clock);
    for (int i = 0; i < lstTasks.count(); ++i) {
        if (events.step()) show();
        if (i >= lstTasks.count()) break;
        if (lstTasks.isChecked(i)) ++count;
    }
    show();
}

void TasksPage::AddTasks() {
    for (const char* title : kPresetTasks) lstTasks.addItem(title);
}
