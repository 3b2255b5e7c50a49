// The mouse pointer, set at once; a response window keeps a busy pointer
// showing as the mouse moves (WM_SETCURSOR).
#include "mouse_pointer.h"

#include <windows.h>

namespace platform {

void set_mouse_pointer(MousePointer pointer)
{
    SetCursor(LoadCursorW(nullptr, pointer == MousePointer::busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace platform
