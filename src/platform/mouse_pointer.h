// The mouse pointer shown over the program's windows while it works.
#pragma once

namespace platform {

enum class MousePointer { arrow, busy };

void set_mouse_pointer(MousePointer pointer);

}  // namespace platform
