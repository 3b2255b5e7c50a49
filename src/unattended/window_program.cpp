// Handing the window over to dbinstall.exe.
#include "window_program.h"

#include "exit_status.h"
#include "platform/console.h"
#include "platform/machine.h"
#include "platform/program_start.h"

namespace unattended {

int start_window_program(const std::vector<std::wstring>& arguments)
{
    const std::wstring program = platform::program_folder() + L"dbinstall.exe";
    const platform::Outcome start = platform::start_program(program, arguments);
    if (start.succeeded) return 0;
    platform::connect_console();
    platform::write_text(platform::Stream::error, L"dbinstall: cannot start " + program + L": " + start.system_message + L"\n");
    return exit_window_not_started;
}

}  // namespace unattended
