#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ui {

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// name: the system's name of the control (`cmdok`); page: the tab-strip page it sits on, -1 for none.
struct ControlSpec {
    std::string name{};
    std::string caption{};
    Rect rect{};
    int page = -1;
    std::string toolTip{};  // shown while the mouse rests on the control; empty: none
};

using Handler = std::function<void()>;
enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

class Control {
public:
    virtual ~Control() = default;
    virtual const std::string& name() const = 0;
    virtual void setText(std::string_view text) = 0;  // caption or contents
    virtual std::string text() const = 0;
    virtual void setVisible(bool on) = 0;
    virtual bool isVisible() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
};

// What the mouse pointer looks like over a control; Custom (99) is the control's own picture, a pointing hand.
enum class MousePointer { Default = 0, Custom = 99 };

class Button : public Control {
public:
    virtual void onClick(Handler handler) = 0;
    // As if the user clicked it: nothing happens unless the button, its page and its form are shown and enabled.
    virtual void click() = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;
    virtual MousePointer mousePointer() const = 0;
};

// Setting the state from code raises the click handler when the state changes, as a user's click does.
class CheckBox : public Control {
public:
    virtual bool isChecked() const = 0;
    virtual void setChecked(bool on) = 0;
    virtual void onClick(Handler handler) = 0;
    virtual void click() = 0;  // toggles
};

class OptionButton : public Control {
public:
    virtual bool isChecked() const = 0;
    virtual void setChecked(bool on) = 0;
    virtual void onClick(Handler handler) = 0;
};

// Colours are Windows colour values (0x00BBGGRR).
class Label : public Control {
public:
    virtual void setForeColor(uint32_t color) = 0;
    virtual void onClick(Handler handler) = 0;  // link labels
};
class Frame : public Control {};
class Image : public Control {};

struct TextBoxOptions {
    char passwordChar = 0;  // 0: characters shown as typed
    int maxLength = 0;      // 0: no limit
    bool multiLine = false;
};

class TextBox : public Control {
public:
    virtual void setForeColor(uint32_t color) = 0;
    // Raised for every character typed and once for every setText, also one that sets the text already there.
    virtual void onChange(Handler handler) = 0;
};

struct ListOptions {
    bool checkBoxes = false;
    bool sorted = false;
};

class ListBox : public Control {
public:
    virtual int count() const = 0;
    virtual std::string item(int index) const = 0;
    virtual void addItem(std::string_view text) = 0;
    virtual void removeItem(int index) = 0;
    virtual void clear() = 0;
    virtual bool isChecked(int index) const = 0;
    virtual void setChecked(int index, bool on) = 0;
    virtual int selectedIndex() const = 0;  // -1 when none
    virtual void setSelectedIndex(int index) = 0;
    virtual void onKeyDown(std::function<void(int key)> handler) = 0;
    virtual void onMouseDown(std::function<void(MouseButton button)> handler) = 0;
    // The user picked an entry with the mouse; the selection is already on it.
    virtual void onClick(Handler handler) = 0;
    // Moves on with every change of the entries or their ticks, made by code or by the user: whoever keeps a
    // copy of the entries reads them again only when it has moved.
    virtual uint64_t revision() const = 0;
    // While paused the list is not repainted and does not resize its scroll bar for every entry, so a whole list
    // fills in one go; the entries themselves change and read as usual. Pauses nest; the last resume repaints.
    virtual void pauseDrawing() = 0;
    virtual void resumeDrawing() = 0;
    virtual bool isDrawingPaused() const = 0;
};

// Pauses a list's drawing for one scope, however the scope ends.
class DrawingPaused final {
public:
    explicit DrawingPaused(ListBox& list) : m_list(list) { m_list.pauseDrawing(); }
    ~DrawingPaused() { m_list.resumeDrawing(); }
    DrawingPaused(const DrawingPaused&) = delete;
    DrawingPaused& operator=(const DrawingPaused&) = delete;

private:
    ListBox& m_list;
};

class ProgressBar : public Control {
public:
    virtual void setValue(int percent) = 0;
    virtual int value() const = 0;
    // The value that fills the bar (100 unless set); values beyond it fill the bar.
    virtual void setRange(int maximum) = 0;
};

// Shows the controls of the selected page only.
class TabStrip : public Control {
public:
    virtual int pageCount() const = 0;
    virtual int selectedPage() const = 0;
    virtual void selectPage(int index) = 0;
};

class Timer {
public:
    virtual ~Timer() = default;
    virtual const std::string& name() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    virtual int interval() const = 0;
    virtual void onTick(Handler handler) = 0;
};

}  // namespace ui
