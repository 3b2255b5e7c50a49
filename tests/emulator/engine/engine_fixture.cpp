// The engine test fixture and its recording sink.
#include "engine_fixture.h"

#include "text.h"

#include <random>

namespace emulator::testing {

ScopedTempDir::ScopedTempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("engine-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string utf8(const std::u16string& text) { return to_utf8(text); }

void RecordingSink::message(const ServerMessage& message) {
    messages.push_back(message);
    events.push_back("message " + std::to_string(message.number));
    if (on_message) on_message(message);
}

void RecordingSink::database_changed(const std::u16string& new_database, const std::u16string& old_database) {
    database_changes.emplace_back(new_database, old_database);
    events.push_back("envchange");
}

void RecordingSink::rows(const ResultSet& result) {
    results.push_back(result);
    events.push_back("rows");
}

void RecordingSink::statement_done(bool failed, std::optional<uint64_t> row_count, Command command) {
    dones.push_back({failed, row_count, command});
    events.push_back("done");
}

std::vector<int32_t> RecordingSink::message_numbers() const {
    std::vector<int32_t> numbers;
    for (const auto& message : messages) numbers.push_back(message.number);
    return numbers;
}

std::u16string RecordingSink::error_text() const {
    std::u16string text;
    for (const auto& message : messages) {
        if (message.severity <= 10) continue;
        if (!text.empty()) text += u" ";
        text += message.text;
    }
    return text;
}

bool RecordingSink::any_failed() const {
    for (const auto& done : dones)
        if (done.failed) return true;
    return false;
}

EngineTest::EngineTest() {
    std::filesystem::create_directories(drive_c());
    std::filesystem::create_directories(drive_d() / "data");
    start(options());
}

EngineOptions EngineTest::options() {
    EngineOptions engine_options;
    engine_options.state_dir = state_dir();
    engine_options.drives = {{'C', drive_c()}, {'D', drive_d()}};
    engine_options.sa_password = u"Secret#1";
    engine_options.machine_name = u"ShopServer";
    return engine_options;
}

void EngineTest::start(EngineOptions engine_options) {
    engine_.reset();
    engine_ = std::make_unique<Engine>(std::move(engine_options));
}

int EngineTest::login(const std::u16string& user, const std::u16string& password, const std::u16string& database,
                      bool odbc) {
    const auto result = engine_->login({user, password, database, odbc});
    if (const auto* refused = std::get_if<LoginRefused>(&result)) {
        ADD_FAILURE() << "login refused: " << utf8(refused->errors.front().text);
        return -1;
    }
    return std::get<LoginAccepted>(result).spid;
}

RecordingSink EngineTest::run(int spid, const std::u16string& sql) {
    RecordingSink sink;
    EXPECT_EQ(engine_->execute_batch(spid, sql, sink), BatchEnd::completed);
    return sink;
}

RecordingSink EngineTest::ok(int spid, const std::u16string& sql) {
    RecordingSink sink = run(spid, sql);
    EXPECT_FALSE(sink.any_failed()) << utf8(sql) << ": " << utf8(sink.error_text());
    EXPECT_FALSE(sink.dones.empty()) << utf8(sql);
    return sink;
}

Value EngineTest::scalar(int spid, const std::u16string& sql) {
    const RecordingSink sink = ok(spid, sql);
    if (sink.results.size() != 1 || sink.results[0].rows.size() != 1 || sink.results[0].rows[0].size() != 1) {
        ADD_FAILURE() << utf8(sql) << " did not give one value";
        return std::monostate{};
    }
    return sink.results[0].rows[0][0];
}

}  // namespace emulator::testing
