// The message loop of response windows: keyboard handling as in dialogs
// (Tab along the form's tab sequence, access keys, arrow keys in the radio
// group) with no default or cancel button.
#pragma once

namespace platform {

class ResponseWindow;

// Shows the created `window` and runs the loop until it has closed; its
// owner is disabled meanwhile. Returns early only when WM_QUIT arrives
// (which it posts again for the outer loop).
void run_modal(ResponseWindow& window);

// Handles every message already waiting, as run_modal would, and returns.
// Lets tests drive a window that is not run modally.
void process_pending_messages(ResponseWindow& window);

}  // namespace platform
