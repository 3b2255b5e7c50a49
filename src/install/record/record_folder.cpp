// Refusing a folder of records that someone else could read or redirect.
#include "install/record/record_folder.h"

#include "platform/log_file.h"

namespace install {

std::wstring folder_refusal_text(const std::wstring& folder, const platform::FolderCheck& check)
{
    std::wstring reason;
    switch (check.problem) {
    case platform::FolderProblem::reparse_point:
        reason = L"它是一个链接（连接点或符号链接），写到那里的记录可能落到别的地方。请管理员删除这个链接";
        break;
    case platform::FolderProblem::not_a_folder:
        reason = L"那里是一个文件，不是文件夹。请管理员删除或改名这个文件";
        break;
    case platform::FolderProblem::foreign_owner:
        reason = L"它的所有者是 " + check.detail + L"，不是 Administrators 或 SYSTEM：别的用户可能先建了它。请管理员删除它";
        break;
    case platform::FolderProblem::system_error:
        reason = L"不能建立或保护它：" + check.detail + L" 请管理员检查它";
        break;
    case platform::FolderProblem::none:
        break;
    }
    return L"不能在文件夹 " + folder + L" 中保存安装记录：" + reason + L"，然后再安装。安装没有开始，服务器没有改动。";
}

std::optional<std::wstring> secure_record_folder()
{
    const platform::FolderCheck check = platform::secure_korvena_data_folder();
    if (check.problem == platform::FolderProblem::none)
        return std::nullopt;
    return folder_refusal_text(platform::korvena_data_folder(), check);
}

}  // namespace install
