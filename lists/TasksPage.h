#pragma once
#include "engine/ProgramState.h"
#include "platform/Platform.h"

// The "Tasks" page of the configuration window: the locked-task list, its count and its buttons.
class TasksPage final {
public:
    // The page's controls must already exist on the form.
    TasksPage(Platform& platform, ProgramState& state, ui::Form& configWindow);
    void CountTasks();
    void AddTasks();
    ui::ListBox& list() { return lstTasks; }

private:
    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_form;
    ui::ListBox& lstTasks;
    ui::Label& lblTaskCount;
};
