// What the server tests share: the stand-in that with-emulator.sh started
// for this process, a template backup made on it, a second client to look at
// its catalog, and an install run with a recording form and scripted prompts.
#pragma once

#include "install_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace install_test {

// "127.0.0.1,PORT" of this test's stand-in, and its administrator's password.
std::wstring test_server();
std::wstring sa_password();

// Connects `sqlca` to master of the test server; the test fails when it cannot.
void connect(platform::Transaction& sqlca, const std::wstring& login, const std::wstring& password);

// Runs each statement as sa on a connection of its own; the test fails at the first that fails.
void run_as_sa(const std::vector<std::wstring>& statements);

// The first value of `query` run as sa after `use database`, "<no row>" when
// there is none, "<failed: error_text>" when it fails.
std::wstring select_as_sa(const std::wstring& database, const std::wstring& query,
                          const std::vector<std::wstring>& values = {});

// A backup at `backup_path` of a database with the logical files
// 'mirvox_data' and 'mirvox_log' whose t_sys_system holds two Is_Distributed
// rows and one other row, made on the stand-in as sa.
void make_template_backup(const std::wstring& work_folder, const std::wstring& backup_path);

bool file_exists(const std::wstring& path);

extern const std::wstring staging_path;  // c:\zq.tmp

// The log of a complete run on a server without an old database, right
// after the window opened.
extern const std::wstring fresh_install_log;

class InstallOnServer : public ::testing::Test, protected InstallHarness {
protected:
    // An emptied work folder named after the test, holding the data folder
    // and a fresh template backup; the form points at both.
    void SetUp() override;

    install::InstallOutcome install();

    std::wstring work_folder;
};

}  // namespace install_test
