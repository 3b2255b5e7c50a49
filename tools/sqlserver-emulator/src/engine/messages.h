// SQL Server's own messages (number, severity, state, text) as the engine
// sends them, built from the values a message names.
#pragma once

#include "response_sink.h"

#include <cstdint>
#include <string>

namespace emulator {

// What a message text is filled with; each number uses the fields it needs.
struct MessageArgs {
    std::u16string name{};       // database, login, object or column
    std::u16string other{};      // a second name (e.g. the database owning a file)
    std::u16string path{};       // file or backup device
    std::u16string logical{};    // logical file name
    std::u16string operation{};  // "RESTORE DATABASE", "BACKUP DATABASE", or a permission
    std::u16string os_error{};   // operating system error rendering; empty: the number's usual one
    std::u16string procedure{};  // system procedure raising the message
    int64_t count = 0;         // percent, pages, or bytes needed
    int64_t available = 0;     // bytes free
    int64_t milliseconds = 0;  // elapsed time of a backup or restore
};

// The message of the given number. An unknown number gets a generic text, so a
// fault rule may name any number.
ServerMessage server_message(int32_t number, const MessageArgs& args = {});

// The error that marks a statement as outside what the stand-in implements.
ServerMessage not_supported(const std::u16string& statement_text);

// Operating system error renderings, as SQL Server prints them.
inline constexpr char16_t os_file_not_found[] = u"2(The system cannot find the file specified.)";
inline constexpr char16_t os_path_not_found[] = u"3(The system cannot find the path specified.)";
inline constexpr char16_t os_access_denied[] = u"5(Access is denied.)";
inline constexpr char16_t os_disk_full[] = u"112(There is not enough space on the disk.)";

}  // namespace emulator
