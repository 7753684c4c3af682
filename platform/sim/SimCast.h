#pragma once
#include <string_view>

#include "platform/ui/Toolkit.h"

namespace sim {

// The simulated type behind a platform object, for test-only actions; null (or std::bad_cast for
// references) when it is of another type.
template <class T, class From>
T* as(From* object) {
    return dynamic_cast<T*>(object);
}

template <class T, class From>
T& as(From& object) {
    return dynamic_cast<T&>(object);
}

// The form's control of that name as its simulated type, or null.
template <class T>
T* control(ui::Form& form, std::string_view name) {
    return dynamic_cast<T*>(form.findControl(name));
}

}  // namespace sim
