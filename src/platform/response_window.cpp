// Response windows on Win32: class registration, the window procedure, and the
// control operations.
#include "response_window.h"

#include "form_builder.h"
#include "layout_units.h"

#include <windows.h>

#include <algorithm>

namespace platform {

constexpr int application_icon_resource = 1000;

struct WindowProcedure {
    static LRESULT CALLBACK dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_NCCREATE) {
            auto* target = static_cast<ResponseWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
            target->handle_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
        }
        auto* target = reinterpret_cast<ResponseWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!target) return DefWindowProcW(window, message, wparam, lparam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            target->handle_ = nullptr;
            return DefWindowProcW(window, message, wparam, lparam);
        }
        return target->handle_message(message, wparam, lparam);
    }
};

namespace {

void register_class(const FormSpec& form)
{
    const std::wstring name(form.class_name);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name.c_str(), &existing)) return;

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &WindowProcedure::dispatch;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(application_icon_resource));
    window_class.lpszClassName = name.c_str();
    RegisterClassExW(&window_class);
}

DWORD style_of(FormSpec::Frame frame)
{
    // Not WS_CLIPCHILDREN: group boxes are transparent and rely on the parent's background.
    return frame == FormSpec::Frame::borderless ? WS_POPUP : (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER);
}

SIZE window_size_for_client(int client_width, int client_height, DWORD style)
{
    RECT rect{0, 0, client_width, client_height};
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

ResponseWindow::ResponseWindow(const FormSpec& form) : form_(form) {}

ResponseWindow::~ResponseWindow()
{
    if (handle_) DestroyWindow(handle_);
}

bool ResponseWindow::create(WindowHandle owner)
{
    register_class(form_);
    const DWORD style = style_of(form_.frame);
    const SIZE size = window_size_for_client(units_to_pixels(form_.width, Direction::horizontal),
                                             units_to_pixels(form_.height, Direction::vertical), style);
    const std::wstring class_name(form_.class_name);
    const std::wstring title(form_.title);
    closing_ = false;
    if (!CreateWindowExW(0, class_name.c_str(), title.c_str(), style, 0, 0, size.cx, size.cy, owner, nullptr,
                         GetModuleHandleW(nullptr), this))
        return false;
    centre_on_screen();
    controls_ = std::make_unique<BuiltForm>(handle_, form_);
    on_open();
    return is_open();
}

void ResponseWindow::show()
{
    if (!handle_) return;
    ShowWindow(handle_, SW_SHOW);
    if (!controls_->tab_sequence().empty()) set_focus(controls_->tab_sequence().front());
}

void ResponseWindow::close()
{
    if (!handle_ || closing_) return;
    closing_ = true;
    on_close_query();
    HWND owner = GetWindow(handle_, GW_OWNER);
    // The owner must be usable again before this window goes, or Windows
    // hands the activation to some other program's window.
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(handle_);
    controls_.reset();
    // A close asked for by a sent message (another program's click, say) is
    // handled inside GetMessageW, which goes on waiting for a posted one: wake
    // the modal loop so that it sees the window has gone.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void ResponseWindow::focus_next_control(bool backwards)
{
    const auto& sequence = controls_->tab_sequence();
    if (sequence.empty()) return;
    const int focused = focused_control();
    auto at = std::find(sequence.begin(), sequence.end(), focused);
    const size_t count = sequence.size();
    size_t index = at == sequence.end() ? (backwards ? 0 : count - 1) : size_t(at - sequence.begin());
    for (size_t step = 0; step < count; ++step) {
        index = backwards ? (index + count - 1) % count : (index + 1) % count;
        HWND candidate = GetDlgItem(handle_, sequence[index]);
        if (IsWindowEnabled(candidate) && IsWindowVisible(candidate)) {
            SetFocus(candidate);
            // A combo box hands the focus on to its field.
            HWND focused_field = GetFocus();
            if (SendMessageW(focused_field, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageW(focused_field, EM_SETSEL, 0, -1);
            return;
        }
    }
}

std::wstring ResponseWindow::text(int control_id) const
{
    HWND control = GetDlgItem(handle_, control_id);
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

void ResponseWindow::set_text(int control_id, const std::wstring& text)
{
    SetDlgItemTextW(handle_, control_id, text.c_str());
}

void ResponseWindow::append_text(int control_id, const std::wstring& text)
{
    HWND control = GetDlgItem(handle_, control_id);
    const int end = GetWindowTextLengthW(control);
    SendMessageW(control, EM_SETSEL, end, end);
    SendMessageW(control, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ResponseWindow::enabled(int control_id) const
{
    return IsWindowEnabled(GetDlgItem(handle_, control_id)) != FALSE;
}

void ResponseWindow::set_enabled(int control_id, bool enabled)
{
    EnableWindow(GetDlgItem(handle_, control_id), enabled);
}

bool ResponseWindow::checked(int control_id) const
{
    return IsDlgButtonChecked(handle_, control_id) == BST_CHECKED;
}

void ResponseWindow::set_checked(int control_id, bool checked)
{
    CheckDlgButton(handle_, control_id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void ResponseWindow::set_choices(int control_id, const std::vector<std::wstring>& choices)
{
    HWND combo = GetDlgItem(handle_, control_id);
    const std::wstring kept = text(control_id);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& choice : choices)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    SetWindowTextW(combo, kept.c_str());
}

std::optional<size_t> ResponseWindow::chosen(int control_id) const
{
    const LRESULT index = SendDlgItemMessageW(handle_, control_id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? std::nullopt : std::optional<size_t>(size_t(index));
}

void ResponseWindow::set_focus(int control_id)
{
    SetFocus(GetDlgItem(handle_, control_id));
}

int ResponseWindow::focused_control() const
{
    HWND focused = GetFocus();
    return focused && IsChild(handle_, focused) ? GetDlgCtrlID(form_control_holding(handle_, focused)) : 0;
}

void ResponseWindow::set_read_only(int control_id, bool read_only)
{
    SendMessageW(GetDlgItem(handle_, control_id), EM_SETREADONLY, read_only, 0);
}

void ResponseWindow::set_pointer(MousePointer pointer)
{
    pointer_ = pointer;
    set_mouse_pointer(pointer);
}

void ResponseWindow::start_timer(unsigned id, unsigned milliseconds)
{
    SetTimer(handle_, id, milliseconds, nullptr);
}

void ResponseWindow::stop_timer(unsigned id)
{
    KillTimer(handle_, id);
}

void ResponseWindow::set_session_end_block_reason(const std::wstring& reason)
{
    if (reason.empty())
        ShutdownBlockReasonDestroy(handle_);
    else
        ShutdownBlockReasonCreate(handle_, reason.c_str());
}

void ResponseWindow::set_caption(const std::wstring& caption)
{
    SetWindowTextW(handle_, caption.c_str());
}

void ResponseWindow::set_client_width(int units)
{
    RECT client;
    GetClientRect(handle_, &client);
    const DWORD style = DWORD(GetWindowLongPtrW(handle_, GWL_STYLE));
    const SIZE size = window_size_for_client(units_to_pixels(units, Direction::horizontal), client.bottom, style);
    SetWindowPos(handle_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResponseWindow::move_to(int x_units, int y_units)
{
    SetWindowPos(handle_, nullptr, units_to_pixels(x_units, Direction::horizontal),
                 units_to_pixels(y_units, Direction::vertical), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResponseWindow::centre_on_screen()
{
    RECT frame;
    GetWindowRect(handle_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(handle_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::intptr_t ResponseWindow::handle_message(unsigned message, std::uintptr_t wparam, std::intptr_t lparam)
{
    switch (message) {
    case WM_ERASEBKGND:
        if (!controls_) break;
        controls_->paint_background(handle_, reinterpret_cast<HDC>(wparam));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
        if (!controls_) break;
        HBRUSH brush = controls_->colour_control(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam));
        if (brush) return reinterpret_cast<std::intptr_t>(brush);
        break;
    }
    case WM_COMMAND: {
        // Only the form's own controls count: the IDOK and IDCANCEL that the
        // dialog manager sends for Enter and Escape name no control.
        const ControlSpec* control = lparam != 0 ? find_control(form_, LOWORD(wparam)) : nullptr;
        if (!control) return 0;
        if (control->kind == ControlKind::drop_down_combo) {
            if (HIWORD(wparam) == CBN_SELCHANGE) on_choice_picked(control->id);
        } else if (HIWORD(wparam) == BN_CLICKED && IsWindowEnabled(reinterpret_cast<HWND>(lparam))) {
            on_clicked(control->id);
        }
        return 0;
    }
    case WM_CLOSE:
        if (on_close_request())
            close();
        return 0;
    case WM_QUERYENDSESSION:
        return on_end_session_query() ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wparam)
            on_session_ending();
        return 0;
    case WM_TIMER:
        on_timer(static_cast<unsigned>(wparam));
        return 0;
    case WM_SETCURSOR:
        // The class's arrow would replace a busy pointer at every move.
        if (pointer_ == MousePointer::busy && LOWORD(lparam) == HTCLIENT) {
            set_mouse_pointer(MousePointer::busy);
            return TRUE;
        }
        break;
    default: break;
    }
    return DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace platform
