// The runtime's start entry, and the text of what it catches.
#include "runtime.h"

#include "console.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace platform {

std::wstring exception_text(const std::exception& error)
{
    const std::string what = error.what();
    std::wstring text(what.size(), L'\0');
    text.resize(size_t(MultiByteToWideChar(CP_ACP, 0, what.data(), int(what.size()), text.data(), int(text.size()))));
    return text;
}

int start(const std::function<int()>& application, FailureReport report)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder browser needs COM in a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exit_code = 1;
    try {
        exit_code = application();
    } catch (const std::exception& error) {
        const std::wstring text = exception_text(error);
        if (report == FailureReport::standard_error) {
            connect_console();
            write_text(Stream::error, L"dbinstall: " + text + L"\n");
        } else {
            MessageBoxW(nullptr, text.c_str(), L"dbinstall", MB_OK | MB_ICONERROR);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exit_code;
}

}  // namespace platform
