// The Wine side of a test: the prefix and display the test session provides,
// and the Windows programs run in it (the installer, the driver, reg.exe).
#pragma once

#include "child_process.h"
#include "driver_output.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct DriverRun {
    int exit_code = -1;  // 0: every step done; -1: killed at the timeout
    std::vector<Observation> observations;
    std::string output;  // as printed, for failure reports
};

enum class RegistryView { bits32, bits64 };

class WineSession {
public:
    // Reads WINEPREFIX and DISPLAY; valid() is false when either is missing.
    WineSession();
    bool valid() const { return !prefix_.empty() && !display_.empty(); }

    std::filesystem::path drive_c() const { return prefix_ / "drive_c"; }

    // dbinstall.exe started in `working_directory` (a folder under drive_c).
    std::unique_ptr<ChildProcess> start_installer(const std::filesystem::path& working_directory) const;

    // dbinstall.exe started from a command line with `arguments` (--unattended
    // or --help first), in `working_directory`,
    // with KORVENA_SA_PASSWORD set to `sa_password`; killed after `timeout`.
    // Its standard output and standard error are kept apart.
    ProgramResult run_command_line(const std::filesystem::path& working_directory, const std::vector<std::string>& arguments,
                                 const std::string& sa_password, std::chrono::seconds timeout) const;

    // The same through another program file: dbinstall.com, or a copy of it.
    ProgramResult run_command_line_of(const std::filesystem::path& program, const std::filesystem::path& working_directory,
                                      const std::vector<std::string>& arguments, const std::string& sa_password,
                                      std::chrono::seconds timeout) const;

    // The same started and left to run, both streams going to `output_file`,
    // for a test that acts on it while it runs.
    std::unique_ptr<ChildProcess> start_command_line_of(const std::filesystem::path& program,
                                                        const std::filesystem::path& working_directory,
                                                        const std::vector<std::string>& arguments,
                                                        const std::string& sa_password,
                                                        const std::filesystem::path& output_file) const;

    // A Windows program of the prefix (reg, sc, ...) run to its end with
    // `arguments`; killed after a minute.
    ProgramResult run_windows_program(const std::vector<std::string>& arguments) const;

    // Ends every process of the prefix started from `image_name` (e.g.
    // "dbinstall.exe"), for a test whose program was started by another.
    void kill_program(const std::string& image_name) const;

    // e2e-driver.exe run with the steps; each of its waits ends after
    // `step_timeout`, and the whole run is killed after `run_timeout`.
    DriverRun run_driver(const std::vector<std::string>& steps, std::chrono::seconds step_timeout,
                         std::chrono::seconds run_timeout) const;

    // A REG_SZ value of the 32-bit registry view, or nullopt when absent.
    std::optional<std::string> registry_value(const std::string& key, const std::string& name) const;
    // In both views.
    void remove_registry_value(const std::string& key, const std::string& name) const;
    // The REG_SZ values of a key by name; empty when the key is absent.
    std::map<std::string, std::string> registry_values(const std::string& key, RegistryView view) const;
    // A REG_DWORD value, or nullopt when absent.
    std::optional<unsigned long> registry_dword(const std::string& key, const std::string& name,
                                                RegistryView view) const;
    // Writes a value of `type` ("REG_SZ" or "REG_DWORD", data in decimal).
    void set_registry_value(const std::string& key, const std::string& name, const std::string& type,
                            const std::string& data, RegistryView view) const;
    void remove_registry_key(const std::string& key, RegistryView view) const;

    // SQL Server's installation keys, so the installer opens without its
    // "SQL Server not found" notice.
    void seed_sql_server_registry(const std::string& data_root) const;
    // Only a current SQL Server's keys: the default instance and its data
    // root, in the 64-bit view.
    void seed_current_sql_server_registry(const std::string& data_root) const;
    // One more instance of a current SQL Server, MSSQL16.<name> in the 64-bit
    // view, with its data root and LoginMode (1 Windows authentication only).
    void seed_sql_server_instance(const std::string& name, const std::string& data_root, int login_mode) const;
    // Both sets of keys (the client aliases stay).
    void remove_sql_server_registry() const;

private:
    ProcessOptions wine(std::vector<std::string> arguments) const;
    ProcessOptions command_line_of(const std::filesystem::path& program, const std::filesystem::path& working_directory,
                                   const std::vector<std::string>& arguments, const std::string& sa_password) const;

    std::filesystem::path prefix_;
    std::string display_;
};

}  // namespace e2e
