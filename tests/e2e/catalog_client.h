// The tests' second client: an ODBC connection (unixODBC, FreeTDS) to the
// stand-in, used to look at its catalog and tables after a run, and to hold a
// session open while the installer runs.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace e2e {

using Row = std::vector<std::string>;  // UTF-8 texts; NULL reads as "<null>"

struct SqlError {
    std::string text;  // the server's messages without driver prefixes, joined by one blank
};

class CatalogClient {
public:
    // A client connected to master at host:port, or the error text when refused.
    static std::variant<std::unique_ptr<CatalogClient>, SqlError> connect(int port, const std::string& login,
                                                                          const std::string& password,
                                                                          const std::string& host = "127.0.0.1");
    ~CatalogClient();

    // All rows of the statement's first result, or the error.
    std::variant<std::vector<Row>, SqlError> query(const std::string& sql);

    // Runs a statement; the error when it failed.
    std::optional<SqlError> execute(const std::string& sql);

private:
    struct Handles;
    explicit CatalogClient(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
};

// connect() or a failed test: the fixture's usual way in as sa.
// The rows of one query as `login` at 127.0.0.1:port; none, and a failed
// test, when the login or the query is refused.
std::vector<Row> rows_as(int port, const std::string& login, const std::string& password, const std::string& sql);

std::unique_ptr<CatalogClient> connect_as_sa(int port, const std::string& password,
                                             const std::string& host = "127.0.0.1");

}  // namespace e2e
