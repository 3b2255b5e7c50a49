// A statement as it is sent to the server and as it may be written down. A
// statement that carries a password is built with both texts at the place
// the password is put in, so that a log never has to search a text for it.
#pragma once

#include <string>

namespace platform {

struct Statement {
    // A statement without a secret: written down as it is sent.
    Statement(std::wstring text) : sent(text), shown(std::move(text)) {}
    Statement(const wchar_t* text) : Statement(std::wstring(text)) {}
    Statement(std::wstring sent_text, std::wstring shown_text)
        : sent(std::move(sent_text)), shown(std::move(shown_text))
    {
    }

    std::wstring sent;
    std::wstring shown;
};

// What a password is shown as in a statement written down.
inline const std::wstring hidden_password = L"********";

}  // namespace platform
