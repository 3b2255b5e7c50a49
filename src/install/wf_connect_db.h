// wf_connect_db: (re)connects SQLCA to master of the server typed in the form.
#pragma once

#include "install/record/install_log.h"
#include "install/install_context.h"

#include <string>

namespace install {

// Points SQLCA at master of the form's server as `as_logid` (with the
// application login's fixed password when it is exactly is_logid, else with
// the password typed in the form, or with Windows authentication when the
// form asks for it) and connects. True when connected; SQLCA's
// status and error text are left as the connect set them. Shows and logs
// nothing.
bool connect_sqlca(InstallContext& context, const std::wstring& as_logid);

// connect_sqlca, then "连接数据库成功" in the log when connected, or a
// message box with the server's text when not.
bool wf_connect_db(InstallContext& context, InstallLog& log, const std::wstring& as_logid);

}  // namespace install
