// Reads and sorts ODBC diagnostic records.
#include "diagnostics.h"

#include <sqlext.h>

#include <algorithm>

namespace platform {

namespace {

std::wstring join_with_blank(const std::vector<std::wstring>& texts)
{
    std::wstring joined;
    for (const auto& text : texts) {
        if (!joined.empty())
            joined += L' ';
        joined += text;
    }
    return joined;
}

}  // namespace

std::vector<DiagnosticRecord> read_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle)
{
    std::vector<DiagnosticRecord> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native_error = 0;
        std::wstring text(512, L'\0');
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handle_type, handle, number, state, &native_error,
                                      reinterpret_cast<SQLWCHAR*>(text.data()),
                                      static_cast<SQLSMALLINT>(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.assign(static_cast<size_t>(length) + 1, L'\0');
            rc = SQLGetDiagRecW(handle_type, handle, number, state, &native_error,
                                reinterpret_cast<SQLWCHAR*>(text.data()),
                                static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        text.resize(std::min<size_t>(static_cast<size_t>(length), text.size()));
        records.push_back({reinterpret_cast<const wchar_t*>(state), native_error, text});
    }
    return records;
}

std::wstring strip_vendor_prefixes(const std::wstring& text)
{
    size_t start = 0;
    while (start < text.size() && text[start] == L'[') {
        size_t close = text.find(L']', start);
        if (close == std::wstring::npos)
            break;
        start = close + 1;
    }
    return text.substr(start);
}

bool StatementMessages::from_server(const DiagnosticRecord& record) const
{
    // The drivers number their own messages 0; FreeTDS uses its library
    // numbers 20000 to 20999 for them, which no server message we meet has.
    if (record.native_error == 0)
        return false;
    return !(freetds_ && record.native_error >= 20000 && record.native_error <= 20999);
}

std::vector<ServerInfo> StatementMessages::add(const std::vector<DiagnosticRecord>& records)
{
    std::vector<ServerInfo> infos;
    for (const auto& record : records) {
        std::wstring text = strip_vendor_prefixes(record.text);
        if (!from_server(record)) {
            driver_messages_.push_back(std::move(text));
        } else if (record.sqlstate.starts_with(L"01")) {
            infos.push_back({record.native_error, std::move(text)});
        } else {
            if (server_errors_.empty())
                first_error_number_ = record.native_error;
            server_errors_.push_back(std::move(text));
        }
    }
    return infos;
}

std::wstring StatementMessages::error_text() const
{
    return join_with_blank(server_errors_.empty() ? driver_messages_ : server_errors_);
}

}  // namespace platform
