// wf_connect_db: (re)connects SQLCA to master of the server typed in the form.
#pragma once

#include "install_log.h"
#include "wf_installdb.h"

#include <string>

namespace install {

// Connects as `as_logid`, with the application login's fixed password when
// it is exactly is_logid, else with the password typed in the form. True
// when connected, after logging "连接数据库成功"; false after a message box
// with the server's text. SQLCA's status is left as the connect set it.
bool wf_connect_db(InstallContext& context, InstallLog& log, const std::wstring& as_logid);

}  // namespace install
