// The pre-flight's rules.
#include "install/preflight/preflight_rules.h"

#include "platform/character_class.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace install {

namespace {

constexpr int64_t page_bytes = 8192;
constexpr int64_t megabyte = int64_t{1} << 20;
constexpr int64_t created_file_bytes = 12 * megabyte;  // SIZE = 12 of the CREATE DATABASE

int64_t number_or_zero(const std::optional<std::wstring>& text)
{
    return text ? std::wcstoll(text->c_str(), nullptr, 10) : 0;
}

std::wstring trimmed(const std::optional<std::wstring>& text)
{
    std::wstring value = text.value_or(L"");
    while (!value.empty() && value.back() == L' ')
        value.pop_back();
    return value;
}

std::optional<ServerVersion> written_by(const platform::QueryResult& header, const platform::QueryResult::Row& row)
{
    const auto major = header.value(row, L"SoftwareVersionMajor");
    if (!major)
        return std::nullopt;
    return ServerVersion{static_cast<int>(number_or_zero(major)),
                         static_cast<int>(number_or_zero(header.value(row, L"SoftwareVersionMinor"))),
                         static_cast<int>(number_or_zero(header.value(row, L"SoftwareVersionBuild")))};
}

// The path with one separator where several stand, for comparison.
std::wstring collapsed(const std::wstring& path)
{
    std::wstring result;
    for (wchar_t c : path) {
        const wchar_t separator = c == L'/' ? L'\\' : c;
        if (separator == L'\\' && !result.empty() && result.back() == L'\\')
            continue;
        result += separator;
    }
    return result;
}

}  // namespace

const std::vector<std::wstring> template_logical_files = {L"mirvox_data", L"mirvox_log"};

std::optional<BackupSet> first_backup_set(const platform::QueryResult& header)
{
    if (header.rows.empty())
        return std::nullopt;
    const auto at_position_one = std::find_if(header.rows.begin(), header.rows.end(), [&](const auto& row) {
        return number_or_zero(header.value(row, L"Position")) == 1;
    });
    const auto& row = at_position_one != header.rows.end() ? *at_position_one : header.rows.front();
    return BackupSet{static_cast<int>(number_or_zero(header.value(row, L"BackupType"))), written_by(header, row)};
}

std::vector<DatabaseFile> backup_files(const platform::QueryResult& file_list)
{
    std::vector<DatabaseFile> files;
    for (const auto& row : file_list.rows)
        files.push_back({trimmed(file_list.value(row, L"LogicalName")), trimmed(file_list.value(row, L"PhysicalName")),
                         number_or_zero(file_list.value(row, L"Size")), trimmed(file_list.value(row, L"Type")) == L"L"});
    return files;
}

std::vector<DatabaseFile> database_files(const platform::QueryResult& rows)
{
    std::vector<DatabaseFile> files;
    for (const auto& row : rows.rows) {
        if (row.size() < 4)
            continue;
        files.push_back({trimmed(row[0]), trimmed(row[1]), number_or_zero(row[2]) * page_bytes,
                         number_or_zero(row[3]) == 0});
    }
    return files;
}

bool holds_template_files(const std::vector<DatabaseFile>& files)
{
    if (files.size() != template_logical_files.size())
        return false;
    return std::all_of(template_logical_files.begin(), template_logical_files.end(), [&](const std::wstring& name) {
        return std::any_of(files.begin(), files.end(), [&](const DatabaseFile& file) {
            return platform::same_text_ignoring_case(file.logical_name, name);
        });
    });
}

std::wstring logical_names(const std::vector<DatabaseFile>& files)
{
    std::wstring names;
    for (const DatabaseFile& file : files)
        names += (names.empty() ? L"" : L", ") + file.logical_name;
    return names;
}

bool same_server_file(const std::wstring& a, const std::wstring& b)
{
    return platform::same_text_ignoring_case(collapsed(a), collapsed(b));
}

std::optional<FileExistence> file_existence(const platform::QueryResult& answer)
{
    if (answer.rows.empty() || answer.rows.front().size() < 2)
        return std::nullopt;
    const auto& row = answer.rows.front();
    return FileExistence{number_or_zero(row[0]) == 1, number_or_zero(row[1]) == 1};
}

int64_t bytes_needed(const std::vector<DatabaseFile>& template_files,
                     const std::vector<DatabaseFile>& old_database_files, bool safety_backup)
{
    int64_t needed = 0;
    for (const DatabaseFile& file : template_files)
        needed += std::max(file.size_bytes, created_file_bytes);
    if (safety_backup)
        for (const DatabaseFile& file : old_database_files)
            if (!file.log)
                needed += file.size_bytes;
    return needed;
}

std::optional<int64_t> free_megabytes(const platform::QueryResult& drives, const std::wstring& path)
{
    if (path.size() < 2 || path[1] != L':' || !std::iswalpha(path[0]))
        return std::nullopt;
    for (const auto& row : drives.rows) {
        if (row.size() < 2 || !row[0] || row[0]->empty())
            continue;
        if (std::towupper((*row[0])[0]) == std::towupper(path[0]))
            return number_or_zero(row[1]);
    }
    return std::nullopt;
}

int64_t whole_megabytes(int64_t bytes)
{
    return (bytes + megabyte - 1) / megabyte;
}

}  // namespace install
