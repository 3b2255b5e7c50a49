// A real Engine on temporary state and drive folders, with a sink that records
// every answer in order.
#pragma once

#include "engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <functional>
#include <string>
#include <vector>

namespace emulator::testing {

// A fresh folder under the system's temporary folder, removed with its contents.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class RecordingSink : public ResponseSink {
public:
    struct Done {
        bool failed;
        std::optional<uint64_t> row_count;
        Command command;
    };

    std::vector<ServerMessage> messages;
    std::vector<std::pair<std::u16string, std::u16string>> database_changes;  // new, old
    std::vector<ResultSet> results;
    std::vector<Done> dones;
    std::vector<std::string> events;  // "message 5701", "envchange", "rows", "done"
    // Acts as the client's ATTENTION; may be called from another thread.
    void request_attention() { *attention_ = true; }
    std::function<void(const ServerMessage&)> on_message;  // runs after a message is recorded

    void message(const ServerMessage& message) override;
    void database_changed(const std::u16string& new_database, const std::u16string& old_database) override;
    void rows(const ResultSet& result) override;
    void statement_done(bool failed, std::optional<uint64_t> row_count, Command command) override;
    bool attention_requested() const override { return *attention_; }

    std::vector<int32_t> message_numbers() const;
    // Texts of the error messages (severity above 10), joined by one blank.
    std::u16string error_text() const;
    bool any_failed() const;

private:
    std::shared_ptr<std::atomic<bool>> attention_ = std::make_shared<std::atomic<bool>>(false);
};

std::string utf8(const std::u16string& text);

class EngineTest : public ::testing::Test {
protected:
    EngineTest();

    EngineOptions options();             // state dir, drives C and D, sa password, machine ShopServer
    void start(EngineOptions engine_options);
    int login(const std::u16string& user, const std::u16string& password, const std::u16string& database = {},
              bool odbc = false);
    int login_sa(bool odbc = false) { return login(u"sa", u"Secret#1", {}, odbc); }

    RecordingSink run(int spid, const std::u16string& sql);
    // Runs a statement that must succeed; returns its recording.
    RecordingSink ok(int spid, const std::u16string& sql);
    // The single value of a one-row, one-column query.
    Value scalar(int spid, const std::u16string& sql);

    std::filesystem::path drive_c() const { return temp_.path() / "drive_c"; }
    std::filesystem::path drive_d() const { return temp_.path() / "drive_d"; }
    std::filesystem::path state_dir() const { return temp_.path() / "state"; }

    ScopedTempDir temp_;
    std::unique_ptr<Engine> engine_;
};

}  // namespace emulator::testing
