#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/ProgramState.h"
#include "lists/TasksList.h"
#include "platform/Platform.h"

// What the browser hands its pick to and how it reaches the rest of the program.
struct TaskBrowserArgs {
    ui::Form& configWindow;             // disabled by the opener; enabled again when the browser closes
    ui::ListBox& lstTasks;              // Select appends the task here
    std::function<void()> showMessage;  // shows ProgramState::messageText in the message dialog
};

// The window `frmLock` "Browse for Task": lists the open windows' titles and adds one as a task.
class TaskBrowser final {
public:
    TaskBrowser(Platform& platform, ProgramState& state, TaskBrowserArgs args);
    ~TaskBrowser();
    // Fills the list and shows the window modeless.
    void show();
    bool isVisible() const { return m_form->isVisible(); }
    ui::Form& form() { return *m_form; }

private:
    void createControls();
    void connectHandlers();
    void onLoad();
    void FindTasks();
    void RemoveDuplicateTasks();
    void RefreshTasks();
    void lstWindowsClick();
    void cmdSelectClick();
    void close();
    void showMessage(std::string text);

    Platform& m_platform;
    ProgramState& m_state;
    TaskBrowserArgs m_args;
    TasksList m_tasks;
    std::unique_ptr<ui::Form> m_form;
    ui::ListBox* lstWindows = nullptr;
    ui::TextBox* txtTask = nullptr;
    ui::Label* cmdwebpage = nullptr;
    ui::Button* cmdSelect = nullptr;
    ui::Button* cmdCancel = nullptr;
    ui::Timer* tmrRefresh = nullptr;
};
