// Standard output and standard error of the program, dbinstall.exe started
// from a console or with redirected handles as well as the console build,
// written as UTF-8 (or as Unicode to a real console window).
#pragma once

#include <string>

namespace platform {

enum class Stream { output, error };

// Attaches to the parent's console when the process has no usable standard
// handles; call once before writing. A console program has its handles
// already, and keeps them.
void connect_console();

void write_text(Stream stream, const std::wstring& text);

}  // namespace platform
