// Percentages beside captions, and the progress messages of backups and restores.
#include "install/server/progress.h"

#include "platform/odbc/transaction.h"

namespace install {

namespace {

constexpr long percent_processed_message = 3211;

}  // namespace

std::wstring with_percent(const std::wstring& caption, int percent)
{
    return caption + L" " + std::to_wstring(percent) + L"%";
}

std::optional<int> percent_processed(const platform::ServerInfo& info)
{
    if (info.number != percent_processed_message)
        return std::nullopt;
    // "10 percent processed.", "已处理百分之 10。": the number is the only one.
    int percent = 0;
    bool seen = false;
    for (wchar_t c : info.text) {
        if (c >= L'0' && c <= L'9') {
            percent = percent * 10 + (c - L'0');
            seen = true;
            if (percent > 100)
                return std::nullopt;
        } else if (seen) {
            break;
        }
    }
    if (!seen)
        return std::nullopt;
    return percent;
}

ServerProgress::ServerProgress(platform::Transaction& sqlca, InstallForm& form) : sqlca_(sqlca)
{
    sqlca_.set_info_listener([&form](const platform::ServerInfo& info) {
        if (const std::optional<int> percent = percent_processed(info))
            form.show_progress(*percent);
    });
}

ServerProgress::~ServerProgress()
{
    sqlca_.set_info_listener({});
}

}  // namespace install
