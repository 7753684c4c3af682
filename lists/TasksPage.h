#pragma once
#include <functional>
#include <memory>

#include "common/ProgramState.h"
#include "platform/Platform.h"

class TaskBrowser;

// The "Tasks" page of the configuration window: the locked-task list, its count and its buttons.
class TasksPage final {
public:
    // The page's controls must already exist on the form; showMessage shows ProgramState::messageText.
    TasksPage(Platform& platform, ProgramState& state, ui::Form& configWindow, std::function<void()> showMessage);
    ~TasksPage();
    void CountTasks();
    void AddTasks();
    ui::ListBox& list() { return lstTasks; }
    // The task browser `frmLock`; null until it was first opened.
    ui::Form* browserForm();

private:
    void cmdaddClick();
    void removeSelectedTask();
    void lstTasksKeyDown(int key);

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_form;
    std::function<void()> m_showMessage;
    std::unique_ptr<TaskBrowser> m_browser;
    ui::ListBox& lstTasks;
    ui::Label& lblTaskCount;
    ui::Button& cmdadd;
    ui::Button& cmddel;
    ui::Label& lblFolderLink;
    ui::TabStrip& SmartTab1;
};
