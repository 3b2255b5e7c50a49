// A response window built from a form table: the runtime's window object,
// with the open, clicked and close-query steps for the form's logic to fill
// in, and the control operations (text, enabled, checked, focus) by control ID.
#pragma once

#include "form.h"
#include "mouse_pointer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct HWND__;

namespace platform {

using WindowHandle = HWND__*;

class BuiltForm;

class ResponseWindow {
public:
    explicit ResponseWindow(const FormSpec& form);
    virtual ~ResponseWindow();
    ResponseWindow(const ResponseWindow&) = delete;
    ResponseWindow& operator=(const ResponseWindow&) = delete;

    // Builds the window and its controls, hidden, centred on the screen, then
    // runs the open step. Returns false when Windows refused the window.
    bool create(WindowHandle owner);

    // Makes the window visible and gives the focus to the first control of
    // the tab sequence.
    void show();

    // Runs the close-query step, then destroys the window.
    void close();

    bool is_open() const { return handle_ != nullptr; }
    WindowHandle handle() const { return handle_; }

    // Tab and Shift+Tab: the focus moves along the form's tab sequence,
    // skipping disabled and hidden controls.
    void focus_next_control(bool backwards);

    std::wstring text(int control_id) const;
    void set_text(int control_id, const std::wstring& text);
    void append_text(int control_id, const std::wstring& text);
    bool enabled(int control_id) const;
    void set_enabled(int control_id, bool enabled);
    bool checked(int control_id) const;
    void set_checked(int control_id, bool checked);
    // A drop-down combo's list, replaced by `choices` in their order; its
    // field keeps its text.
    void set_choices(int control_id, const std::vector<std::wstring>& choices);
    // The index of the choice picked in a drop-down combo's list; nullopt
    // when none is.
    std::optional<size_t> chosen(int control_id) const;
    void set_focus(int control_id);
    int focused_control() const;  // the ID of the control with the focus; 0 when none of this window's has it
    void set_read_only(int control_id, bool read_only);  // an edit field keeps its text but takes no typing

    // The pointer over the window's client area; a busy one stays while the
    // mouse moves.
    void set_pointer(MousePointer pointer);

    // WM_TIMER every `milliseconds` reaches on_timer(id) until stopped.
    void start_timer(unsigned id, unsigned milliseconds);
    void stop_timer(unsigned id);

    // Windows shows `reason` when the session is ending and this window
    // refuses it (on_end_session_query); an empty reason removes it.
    void set_session_end_block_reason(const std::wstring& reason);

    void set_caption(const std::wstring& caption);
    void set_client_width(int units);
    void move_to(int x_units, int y_units);  // screen position of the window's top-left corner
    void centre_on_screen();

    // Window procedure entry; not for the form's logic.
    std::intptr_t handle_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam);

protected:
    virtual void on_open() {}
    virtual void on_clicked(int control_id) { (void)control_id; }
    // The operator picked a choice from a drop-down combo's list; typing
    // into its field is not a pick.
    virtual void on_choice_picked(int control_id) { (void)control_id; }
    virtual void on_close_query() {}
    // The close box, Alt+F4 or another program's WM_CLOSE: false keeps the window open.
    virtual bool on_close_request() { return true; }
    // The session is ending (WM_QUERYENDSESSION): false asks Windows to wait.
    virtual bool on_end_session_query() { return true; }
    // The session ends now (WM_ENDSESSION with its wParam TRUE): the process
    // ends when this returns.
    virtual void on_session_ending() {}
    virtual void on_timer(unsigned id) { (void)id; }

    const FormSpec& form() const { return form_; }

private:
    friend struct WindowProcedure;

    const FormSpec& form_;
    WindowHandle handle_ = nullptr;
    std::unique_ptr<BuiltForm> controls_;
    bool closing_ = false;
    MousePointer pointer_ = MousePointer::arrow;
};

}  // namespace platform
