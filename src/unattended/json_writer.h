// JSON text as deployment tools read it: objects and arrays with their members
// in the order written, strings in UTF-8 with the escapes JSON requires, two
// blanks of indentation a level.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace unattended {

class JsonWriter {
public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    // The name of the next member of the open object.
    JsonWriter& key(std::wstring_view name);
    JsonWriter& value(std::wstring_view text);
    JsonWriter& value(const wchar_t* text) { return value(std::wstring_view(text)); }
    JsonWriter& value(int64_t number);
    JsonWriter& value(bool truth);
    JsonWriter& null();
    // The text, or null when there is none.
    JsonWriter& value(const std::optional<std::wstring>& text);

    // The document, ended by a line break.
    std::string text() const { return text_ + "\n"; }

private:
    void before_value();
    void new_line();  // and the indentation of the open containers
    void open(char bracket);
    void close(char bracket);

    std::string text_;
    std::vector<bool> first_;  // per open container: no member written yet
    bool after_key_ = false;
};

// `text` as a JSON string literal, quotes included.
std::string json_string(std::wstring_view text);

}  // namespace unattended
