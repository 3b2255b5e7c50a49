// SQLCA: the process's one connection to SQL Server, over ODBC. Every
// statement leaves status_code() and error_text() for the caller to test.
#pragma once

#include "query_result.h"
#include "server_info.h"
#include "statement.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Transaction {
public:
    static constexpr long success = 0;
    static constexpr long failure = -1;
    static constexpr long not_found = 100;  // single-row query only

    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Properties read by connect(); set them before connecting.
    std::wstring interface_name;
    std::wstring server_name;     // passed to the driver as typed: host, host,port or host\instance
    std::wstring database_name;
    std::wstring login_id;
    std::wstring login_password;
    bool auto_commit = true;
    // Encrypt and verify the server's certificate instead of trusting the
    // self-signed one a shop's server has; only Microsoft's drivers can.
    bool verify_server_certificate = false;
    // Log in as this process's Windows account; login_id and
    // login_password are not sent.
    bool integrated_security = false;

    // CONNECT: status 0 on success; otherwise non-zero with error_text set.
    void connect();

    // DISCONNECT: safe on a connection that is not open; never fails.
    void disconnect();

    bool connected() const;

    // Immediate execution: sends `sql.sent` exactly as given and drains every
    // result. Status 0 when the server ran it, -1 with error_text otherwise.
    // The statement listener is told `sql.shown`.
    void execute_immediate(const Statement& sql);

    // Single-row query: each `?` in `query` is replaced, in order, by the
    // matching value as a Unicode string literal (N'...', single quotes
    // doubled). Status 0 with the first column of the first row in `result`,
    // 100 when no row came back, -1 on error. `result` is untouched unless
    // status is 0.
    void select_single(const std::wstring& query, const std::vector<std::wstring>& values,
                       std::wstring& result);

    // Query of many rows: `query` with its `?` filled as for select_single.
    // Status 0 with the first result set's rows in `result` (possibly none),
    // -1 on error. `result` is untouched unless status is 0.
    void select_rows(const std::wstring& query, const std::vector<std::wstring>& values, QueryResult& result);

    long status_code() const { return status_code_; }
    const std::wstring& error_text() const { return error_text_; }
    // The number of the server's first error in the last statement or
    // connect; 0 after a success or when only the driver spoke.
    long error_number() const { return error_number_; }

    // Receives the server's informational messages (e.g. a restore's
    // "10 percent processed.") as they are read.
    void set_info_listener(InfoListener listener);

    // Receives every statement's and connect's outcome once it is known.
    void set_statement_listener(StatementListener listener);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    void connect_to_server();
    // Tells the statement listener what became of `statement`.
    void tell_listener(const std::wstring& statement, long status) const;
    // Runs `sql`, keeping the rows `wanted`; sets the status (0 or -1), the
    // error text and number; tells the statement listener when `told`;
    // returns the rows read when it succeeded.
    std::optional<QueryResult> run(const Statement& sql, RowsWanted wanted, bool told = true);

    long status_code_ = 0;
    std::wstring error_text_;
    long error_number_ = 0;
    InfoListener info_listener_;
    StatementListener statement_listener_;
};

}  // namespace platform
