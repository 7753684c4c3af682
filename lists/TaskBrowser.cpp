#include "lists/TaskBrowser.h"

#include <set>
#include <utility>

namespace {

constexpr uint32_t kLinkBlue = 0xFF0000;  // 0x00BBGGRR
constexpr int kRefreshMs = 30000;

constexpr const char* kHowToLock =
    "Open the program or web browser you want to lock with a password (for web browser, open it  on the page "
    "you want locked), then, switch back here, click Refresh and select it from the list.";
// An empty task occurs in every title, so it would lock every window that comes to the front.
constexpr const char* kNothingToLock = "Type or pick the title of the window to lock.";

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TaskBrowser::TaskBrowser(Platform& platform, ProgramState& state, TaskBrowserArgs args)
    : m_platform(platform), m_state(state), m_args(std::move(args)), m_tasks(platform.desktop) {
    createControls();
    connectHandlers();
}

TaskBrowser::~TaskBrowser() = default;

void TaskBrowser::createControls() {
    m_form = m_platform.ui.createForm({.name = "frmLock", .caption = "Browse for Task", .width = 360, .height = 320});
    ui::Form& f = *m_form;
    f.addLabel({.name = "Label1", .caption = "Select a Task to Password Protect", .rect = {12, 10, 336, 18}});
    f.addLabel({.name = "Label2", .caption = "Browse tasks:", .rect = {12, 36, 200, 18}});
    lstWindows = &f.addListBox({.name = "lstWindows", .caption = "", .rect = {12, 56, 336, 160}},
                               {.checkBoxes = false, .sorted = true});
    f.addLabel({.name = "Label3", .caption = "Edit:", .rect = {12, 224, 100, 18}});
    txtTask = &f.addTextBox({.name = "txtTask", .caption = "", .rect = {12, 244, 336, 24}}, {});
    cmdwebpage = &f.addLabel({.name = "cmdwebpage", .caption = "How to Lock a Task", .rect = {12, 286, 150, 18}});
    cmdSelect = &f.addButton({.name = "cmdSelect", .caption = "Select", .rect = {176, 280, 80, 28}});
    cmdCancel = &f.addButton({.name = "cmdCancel", .caption = "Cancel", .rect = {268, 280, 80, 28}});
    f.setDefaultButton(*cmdSelect);
    f.setCancelButton(*cmdCancel);
    tmrRefresh = &f.addTimer("tmrRefresh", kRefreshMs, true);
}

void TaskBrowser::connectHandlers() {
    tmrRefresh->onTick([this] { RefreshTasks(); });
    // A click on the window's background lists the windows again, duplicates and all.
    m_form->onMouseDown([this](ui::MouseButton) { FindTasks(); });
    m_form->onCloseRequest([this] { close(); });
    lstWindows->onClick([this] { lstWindowsClick(); });
    cmdwebpage->onClick([this] { showMessage(kHowToLock); });
    cmdSelect->onClick([this] { cmdSelectClick(); });
    cmdCancel->onClick([this] { close(); });
}

void TaskBrowser::show() {
    onLoad();
    m_form->show();
}

void TaskBrowser::onLoad() {
    cmdwebpage->setForeColor(kLinkBlue);
    FindTasks();
    RemoveDuplicateTasks();
}

// The program's own windows are spelt "Obelon Pro"; what else carries "obelon" is kept out as well.
void TaskBrowser::FindTasks() {
    lstWindows->clear();
    m_tasks.EnumTaskWindows(m_form->id());
    for (const TaskWindow& task : m_tasks.windows()) {
        if (!contains(task.title, "obelon")) lstWindows->addItem(task.title);
    }
}

// One line per distinct title (case-sensitive), the first of each kept; every other title stays,
// "Duplicate" among them.
void TaskBrowser::RemoveDuplicateTasks() {
    std::set<std::string> seen;
    for (int i = 0; i < lstWindows->count();) {
        if (seen.insert(lstWindows->item(i)).second) {
            ++i;
        } else {
            lstWindows->removeItem(i);
        }
    }
}

void TaskBrowser::RefreshTasks() {
    FindTasks();
    RemoveDuplicateTasks();
}

void TaskBrowser::lstWindowsClick() {
    const int picked = lstWindows->selectedIndex();
    if (picked < 0 || picked >= lstWindows->count()) return;
    const std::string line = lstWindows->item(picked);
    if (contains(line, "Obelon Pro")) return showMessage("Cannot lock self!");
    txtTask->setText(line);
}

// The new task goes last, checked and current, so the watch enforces it from its next tick.
void TaskBrowser::cmdSelectClick() {
    const std::string task = txtTask->text();
    if (task.empty()) return showMessage(kNothingToLock);
    ui::ListBox& tasks = m_args.lstTasks;
    tasks.addItem(task);
    const int added = tasks.count() - 1;
    tasks.setSelectedIndex(added);
    tasks.setChecked(added, true);
    close();
}

// The configuration window is enabled before the browser hides, so that Windows can hand the
// activation back to it rather than to another program.
void TaskBrowser::close() {
    tmrRefresh->setEnabled(false);
    m_args.configWindow.setEnabled(true);
    m_form->hide();
}

void TaskBrowser::showMessage(std::string text) {
    m_state.messageText = std::move(text);
    if (m_args.showMessage) m_args.showMessage();
}
