// Writing JSON text.
#include "json_writer.h"

#include "platform/utf8.h"

#include <cstdio>

namespace unattended {

std::string json_string(std::wstring_view text)
{
    std::string quoted(1, '"');
    for (unsigned char c : platform::to_utf8(text)) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                quoted += escape;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    quoted += '"';
    return quoted;
}

void JsonWriter::before_value()
{
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (first_.empty())
        return;
    if (!first_.back())
        text_ += ",";
    first_.back() = false;
    new_line();
}

void JsonWriter::new_line()
{
    text_ += '\n';
    text_.append(2 * first_.size(), ' ');
}

void JsonWriter::open(char bracket)
{
    before_value();
    text_ += bracket;
    first_.push_back(true);
}

void JsonWriter::close(char bracket)
{
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty)
        new_line();
    text_ += bracket;
}

JsonWriter& JsonWriter::begin_object()
{
    open('{');
    return *this;
}

JsonWriter& JsonWriter::end_object()
{
    close('}');
    return *this;
}

JsonWriter& JsonWriter::begin_array()
{
    open('[');
    return *this;
}

JsonWriter& JsonWriter::end_array()
{
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::wstring_view name)
{
    before_value();
    text_ += json_string(name) + ": ";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::wstring_view text)
{
    before_value();
    text_ += json_string(text);
    return *this;
}

JsonWriter& JsonWriter::value(int64_t number)
{
    before_value();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool truth)
{
    before_value();
    text_ += truth ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    before_value();
    text_ += "null";
    return *this;
}

JsonWriter& JsonWriter::value(const std::optional<std::wstring>& text)
{
    return text ? value(std::wstring_view(*text)) : null();
}

}  // namespace unattended
