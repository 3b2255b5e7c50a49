// The mouse pointer: the hourglass stays until set back, because the work that
// shows it runs on the UI thread and no WM_SETCURSOR resets it meanwhile.
#include "mouse_pointer.h"

#include <windows.h>

namespace platform {

void set_mouse_pointer(MousePointer pointer)
{
    SetCursor(LoadCursorW(nullptr, pointer == MousePointer::busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace platform
