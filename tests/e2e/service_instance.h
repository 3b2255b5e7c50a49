// A SQL Server instance as a shop's computer has it, in the test session's
// Wine prefix: its registry keys, its service (sql-service.exe, which starts
// the stand-in as the keys say) registered with Wine's Service Control
// Manager, and the SQLBrowser service beside it. The destructor stops and
// deletes both services and removes the keys; a stand-in left running then
// fails the test and is ended.
#pragma once

#include "wine_session.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

// The instance's keys under HKLM\SOFTWARE\Microsoft\Microsoft SQL Server.
struct InstanceKeys {
    std::string instance_name = "SQLEXPRESS";  // MSSQLSERVER: the default instance
    std::string instance_id = "MSSQL16.SQLEXPRESS";
    std::string data_root{};                   // Setup\SQLDataRoot, a Windows path
    int login_mode = 1;                        // 1 Windows authentication only, 2 mixed
    bool tcp_enabled = false;                  // Express installs with TCP/IP off
    std::string tcp_port{};                    // IPAll TcpPort; empty: a dynamic port
    std::string tcp_dynamic_ports = "0";
    RegistryView view = RegistryView::bits64;
};

// How the service runs the stand-in.
struct ServiceSetup {
    std::filesystem::path state_folder{};  // the stand-in's; its log is <state>.log
    std::filesystem::path drive_c{};       // the server's C:
    std::string sa_password{};
    std::vector<std::string> windows_logins{};    // DOMAIN\user, sysadmins
    std::vector<std::string> listen_addresses{};  // empty: 127.0.0.1
    std::string browser_address{};                // empty: no Browser answers
    std::vector<std::string> emulator_options{};  // more stand-in options, e.g. --startup-delay 2
};

class ServiceInstance {
public:
    // Seeds the keys and registers the instance's service and SQLBrowser,
    // both to be started on demand.
    ServiceInstance(const WineSession& wine, InstanceKeys keys, ServiceSetup setup);
    ~ServiceInstance();
    ServiceInstance(const ServiceInstance&) = delete;
    ServiceInstance& operator=(const ServiceInstance&) = delete;

    // MSSQLSERVER or MSSQL$<instance>.
    std::string service_name() const;
    // sc start, then waits for RUNNING (or STOPPED: a failed start); true
    // when it runs.
    bool start();
    // sc stop, then waits for STOPPED; true when it stopped.
    bool stop();
    // sc query's state of a service: RUNNING, STOPPED, START_PENDING, ...
    std::string state(const std::string& service) const;
    // The port the instance listens on, as its keys say now (TcpPort, else
    // TcpDynamicPorts); 0 when neither holds one.
    int port() const;
    // LoginMode as xp_instance_regwrite or SSMS would change it.
    void set_login_mode(int mode) const;
    // The stand-in's output and the service's own lines.
    std::string log() const;

private:
    std::string instance_key() const;
    bool wait_for(const std::string& service, const std::string& wanted) const;

    const WineSession& wine_;
    InstanceKeys keys_;
    ServiceSetup setup_;
};

inline constexpr char browser_service[] = "SQLBrowser";

// The host processes whose command line names `text` (e.g. a state folder).
std::vector<pid_t> processes_naming(const std::string& text);

}  // namespace e2e
