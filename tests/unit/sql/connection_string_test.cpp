// The connection string each driver receives: how it is told to encrypt,
// with and without verifying the server's certificate, with every value still
// escaped; and a connect that asks a driver for what it cannot do.
#include "platform/odbc/connection_string.h"
#include "platform/odbc/transaction.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using platform::ConnectionSettings;

// What SQLDriverConnectW receives, or nullopt when SQLCA refuses to connect.
std::optional<std::wstring> connection_string(const std::wstring& driver, bool verify)
{
    const ConnectionSettings settings{driver, L"SHOP01", L"master", L"sa", L"p;}w", verify};
    const auto login = platform::build_connection_string(settings);
    const auto encryption = platform::encryption_attributes(settings);
    if (!login || !encryption) return std::nullopt;
    return *login + *encryption;
}

TEST(ConnectionEncryption, EachDriverIsToldHowToEncryptInItsOwnKeywords)
{
    const std::wstring login = L";SERVER={SHOP01};DATABASE={master};UID={sa};PWD={p;}}w};";
    const struct {
        const wchar_t* driver;
        std::optional<std::wstring> trusting;
        std::optional<std::wstring> verifying;
    } rows[] = {
        {L"ODBC Driver 18 for SQL Server",
         L"DRIVER={ODBC Driver 18 for SQL Server}" + login + L"Encrypt=yes;TrustServerCertificate=yes;",
         L"DRIVER={ODBC Driver 18 for SQL Server}" + login + L"Encrypt=yes;TrustServerCertificate=no;"},
        {L"ODBC Driver 17 for SQL Server",
         L"DRIVER={ODBC Driver 17 for SQL Server}" + login + L"Encrypt=yes;TrustServerCertificate=yes;",
         L"DRIVER={ODBC Driver 17 for SQL Server}" + login + L"Encrypt=yes;TrustServerCertificate=no;"},
        {L"odbc driver 18 for sql server",  // as SQLDriversW may spell it
         L"DRIVER={odbc driver 18 for sql server}" + login + L"Encrypt=yes;TrustServerCertificate=yes;",
         L"DRIVER={odbc driver 18 for sql server}" + login + L"Encrypt=yes;TrustServerCertificate=no;"},
        {L"SQL Server Native Client 11.0", L"DRIVER={SQL Server Native Client 11.0}" + login,
         L"DRIVER={SQL Server Native Client 11.0}" + login + L"Encrypt=yes;TrustServerCertificate=no;"},
        {L"SQL Server", L"DRIVER={SQL Server}" + login, std::nullopt},
        {L"FreeTDS", L"DRIVER={FreeTDS};SERVER={SHOP01};DATABASE={master};UID={sa};PWD={p;}w};Port=1433;TDS_Version=7.4;",
         std::nullopt},
        {L"ODBC Driver 19 for SQL Server", L"DRIVER={ODBC Driver 19 for SQL Server}" + login, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(connection_string(row.driver, false), row.trusting) << row.driver;
        EXPECT_EQ(connection_string(row.driver, true), row.verifying) << row.driver;
    }
}

TEST(ConnectionString, WindowsAuthenticationSendsNoLoginOrPasswordToAnyDriver)
{
    for (const std::wstring driver : {L"ODBC Driver 18 for SQL Server", L"ODBC Driver 17 for SQL Server",
                                      L"SQL Server Native Client 11.0", L"SQL Server", L"FreeTDS"}) {
        ConnectionSettings settings{driver, L"SHOP01\\SQLEXPRESS", L"master", L"sa", L"secret", false, true};
        const std::optional<std::wstring> text = platform::build_connection_string(settings);
        ASSERT_TRUE(text) << driver;
        const std::wstring start = L"DRIVER={" + driver + L"};SERVER={SHOP01\\SQLEXPRESS};DATABASE={master};Trusted_Connection=Yes;";
        EXPECT_EQ(text->substr(0, start.size()), start) << *text;
        EXPECT_EQ(text->find(L"UID="), std::wstring::npos) << *text;
        EXPECT_EQ(text->find(L"secret"), std::wstring::npos) << *text;
    }
}

TEST(ConnectionEncryption, APasswordCannotAddOrOverrideTheEncryptionAttributes)
{
    for (const std::wstring password : {L"x;Encrypt=no", L"x};TrustServerCertificate=yes;{", L"}}"}) {
        const ConnectionSettings settings{L"ODBC Driver 18 for SQL Server", L"SHOP01", L"master", L"sa", password, true};
        const auto text = *platform::build_connection_string(settings) + *platform::encryption_attributes(settings);
        std::wstring escaped;
        for (wchar_t c : password) escaped += c == L'}' ? L"}}" : std::wstring(1, c);
        EXPECT_EQ(text, L"DRIVER={ODBC Driver 18 for SQL Server};SERVER={SHOP01};DATABASE={master};UID={sa};PWD={" +
                            escaped + L"};Encrypt=yes;TrustServerCertificate=no;");
    }
}

// Through the prefix's real ODBC stack, with FreeTDS, the driver the tests have.
class FreeTdsConnectTest : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"KORVENA_ODBC_DRIVER", L"FreeTDS"); }
    void TearDown() override { SetEnvironmentVariableW(L"KORVENA_ODBC_DRIVER", nullptr); }
};

TEST_F(FreeTdsConnectTest, VerifyingIsRefusedBeforeTheDriverIsAsked)
{
    platform::Transaction sqlca;
    sqlca.server_name = L"127.0.0.1,1";  // nothing listens there
    sqlca.login_id = L"sa";
    sqlca.verify_server_certificate = true;
    sqlca.connect();
    EXPECT_EQ(sqlca.status_code(), platform::Transaction::failure);
    EXPECT_EQ(sqlca.error_text(),
              L"The ODBC driver FreeTDS cannot verify the server's certificate; ODBC Driver 18 for SQL Server can.");
    EXPECT_FALSE(sqlca.connected());

    // Without verifying, the driver itself tries the server and says why it failed.
    sqlca.verify_server_certificate = false;
    sqlca.connect();
    EXPECT_EQ(sqlca.status_code(), platform::Transaction::failure);
    EXPECT_FALSE(sqlca.error_text().empty());
    EXPECT_EQ(sqlca.error_text().find(L"certificate"), std::wstring::npos) << sqlca.error_text();
}

}  // namespace
