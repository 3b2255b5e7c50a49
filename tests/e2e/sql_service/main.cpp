// sql-service: a Windows service that plays a SQL Server instance's service
// (MSSQLSERVER or MSSQL$<instance>) in the end-to-end tests' Wine prefix, or
// with --browser-service the SQL Server Browser's service, which does nothing.
//
// usage: sql-service.exe --instance NAME --emulator PATH --state DIR --drive-c DIR
//                        --sa-password PW [--windows-login DOMAIN\USER]...
//                        [--listen-address ADDR]... [--browser-address ADDR]
//                        [--emulator-option OPTION]...
//        sql-service.exe --browser-service
// Paths are the host's (Linux) paths; the stand-in gets them as they are.
#include "service_options.h"
#include "sql_server_service.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    std::wstring reason;
    const auto options = sql_service::parse_service_options(std::vector<std::wstring>(argv + 1, argv + argc), reason);
    if (!options) {
        std::fwprintf(stderr, L"sql-service: %ls\n", reason.c_str());
        return 2;
    }
    return sql_service::run_service(*options);
}
