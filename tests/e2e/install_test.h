// The fixture every end-to-end test builds on: a folder of its own under the
// prefix's C: drive (working directory, data folder, template), a stand-in
// with its own catalog, the installer started in that folder, the driver to
// operate it, and a second client to look at the server afterwards.
#pragma once

#include "catalog_client.h"
#include "stand_in_server.h"
#include "test_files.h"
#include "wine_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// Control IDs of the installer's main window.
namespace control {
inline constexpr int rb_3 = 102;  // 连锁分部
inline constexpr int rb_2 = 103;  // 连锁总部
inline constexpr int rb_1 = 104;  // 单店
inline constexpr int sle_sqlserver = 110;
inline constexpr int sle_sqldbpath = 111;
inline constexpr int sle_sourcedb = 112;
inline constexpr int sle_sa = 113;
inline constexpr int sle_password = 114;
inline constexpr int cb_1 = 121;  // Install
inline constexpr int cbx_windows_auth = 124;
}  // namespace control

// What the operator types and chooses before pressing Install.
struct FormInput {
    std::string server;
    std::string data_path;
    std::string template_file;
    std::string login = "sa";
    std::string password;
    int store_mode_button = control::rb_1;
};

// What the server holds before the run, besides the template backup, and
// how it runs.
struct ServerSetup {
    // An earlier installation: a database mirvox without the template's
    // tables, holding a sale (see old_sale), and its login mirvox, sysadmin.
    bool old_database = false;
    std::vector<std::string> faults = {};
    std::vector<std::string> arguments = {};  // further options of the stand-in
    std::string script = {};                  // more batches for the init script, each ended by "GO"
    std::string host = "127.0.0.1";           // the loopback address it listens on, the only one
    bool same_port = false;                   // a restart keeps the port, as a service's restart does
};

// The row of mirvox.dbo.t_sale that only the old database holds.
inline const std::vector<std::string> old_sale = {"S-0001", "本店销售", "128.50"};

// The Is_Distributed row a store mode leaves in t_sys_system.
struct StoreModeRow {
    std::string name;
    std::string value;
};

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Host path of a folder or file under this test's folder, and its
    // Windows name as the installer sees it ("C:\e2e\...").
    std::filesystem::path host_path(const std::string& relative) const;
    std::string windows_path(const std::string& relative) const;

    void start_server(const ServerSetup& setup = {});
    // Only the init script (the template, maybe the old database, the
    // setup's own batches) on this test's state, for a server started otherwise.
    void prepare_server_state(const ServerSetup& setup = {});
    // Stops the server and starts it again on the same state with other
    // faults and options; the second client reconnects when next asked.
    void restart_server(const ServerSetup& setup);
    void write_ini(const std::string& content);  // ASCII, so GBK as it is
    void start_installer();

    // The fields pointing at this test's server, data folder and template.
    FormInput default_form() const;
    // wait-main, the five fields and the store mode typed, Install pressed.
    std::vector<std::string> install_steps(const FormInput& form) const;
    DriverRun drive(const std::vector<std::string>& steps);

    // dbinstall.exe --unattended against this test's server, data folder and
    // template, with `extra` options, run in the work folder with the
    // administrator's password; the password must not appear in its output.
    ProgramResult install_unattended(const std::vector<std::string>& extra = {});
    ProgramResult run_command_line(const std::vector<std::string>& arguments, const std::string& password);

    // Rows of a query from the second client, connected as sa.
    std::vector<Row> rows(const std::string& sql);
    // True when the second client's query is refused (a missing table).
    bool query_fails(const std::string& sql);
    // Waits (bounded) until no session but the second client's is open.
    void expect_installer_disconnected();
    // The database, its files, the login, the store-mode row, the staging
    // file and the alias of a completed install.
    void expect_installed(const std::string& data_folder, const StoreModeRow& mode);
    // The earlier installation as it was: its database with its sale and
    // files in the data folder, its login with its role.
    void expect_old_installation_kept();
    // No database and no login mirvox.
    void expect_nothing_installed();
    // The safety backups in the data folder, by file name.
    std::vector<std::string> safety_backups() const;
    // The Windows path of the one safety backup; fails the test when there is not exactly one.
    std::string only_safety_backup();
    // Where a run keeps its record while it changes the server.
    std::filesystem::path run_record_file() const { return wine_.drive_c() / "ProgramData" / "Korvena" / "dbinstall.run"; }

    WineSession wine_;
    std::string sa_password_ = default_sa_password;  // the server's, set before start_server
    std::filesystem::path test_folder_;
    std::string windows_test_folder_;
    std::unique_ptr<StandInServer> server_;
    std::unique_ptr<CatalogClient> second_client_;
    std::unique_ptr<ChildProcess> installer_;
};

// What Windows under Wine calls this computer: the host name up to its first
// dot, in capitals.
std::string this_computer();

// The log lines of a complete run on a server without an old database.
extern const std::vector<std::string> fresh_install_lines;
// The same run up to the old database's detection, with the pre-flight.
std::vector<std::string> lines_until_detection();
// A complete run that replaced an old database, backed up to `backup`
// (the Windows path of the safety backup file).
std::vector<std::string> replacing_install_lines(const std::string& backup);

// The fields of every observation of that kind, in order.
std::vector<std::vector<std::string>> observed(const DriverRun& run, const std::string& kind);
// The one observation of that kind's first field; fails the test otherwise.
std::string observed_once(const DriverRun& run, const std::string& kind);
// "none" joined with the lines, each ended by CR LF: the log of one run.
std::string log_of(const std::vector<std::string>& lines);

inline constexpr char alias_key[] = "HKLM\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
inline constexpr char staging_file[] = "zq.tmp";  // at the root of C:

}  // namespace e2e
