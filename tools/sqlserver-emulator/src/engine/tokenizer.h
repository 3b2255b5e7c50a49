// Splits T-SQL text into tokens: words, [bracketed] and "double-quoted" names,
// 'strings' and N'strings', numbers, binary constants and symbols.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace emulator {

struct Token {
    enum class Kind {
        word,          // bare identifier or keyword
        bracketed,     // [name]
        double_quoted, // "text": a name or a string, depending on QUOTED_IDENTIFIER
        string,        // 'text' or N'text'
        number,
        binary,        // 0x0102: text holds the hex digits after 0x
        symbol,        // one of , ( ) = . ; * % - + < > ! /
        end,
    };
    Kind kind = Kind::end;
    std::u16string text;  // unquoted content for names and strings
    size_t begin = 0;     // source offsets, for statement texts and messages
    size_t end = 0;
    bool starts_line = false;  // first token on its source line
};

// A tokenizing failure: an unterminated quote, or a character the stand-in
// does not read; `near` is the text SQL Server would name in message 102.
struct TokenizeError {
    std::u16string near;
};

// Tokens of the text, ending with one Kind::end token; throws TokenizeError.
std::vector<Token> tokenize(const std::u16string& sql);

}  // namespace emulator
