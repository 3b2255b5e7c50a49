// Where the server reads the template from (where it lies, or a copy staged
// on C: when its service account may not open the template's folder), and
// installs that succeed despite what is on the disk: a read-only staging
// file left by an earlier run, and a data folder whose name holds a quote.
#include "install_test.h"

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

class InstallOnDisk : public InstallTest {
protected:
    void install_and_expect_success(const FormInput& form) {
        auto steps = install_steps(form);
        steps.insert(steps.end(), {"message", "close"});
        const DriverRun run = drive(steps);
        ASSERT_EQ(run.exit_code, 0) << run.output;
        EXPECT_EQ(observed(run, "message"), (Messages{{"Korvena", "安装新数据库成功！"}}));
    }
};

TEST_F(InstallOnDisk, ReadOnlyLeftoverStagingFileIsReplaced) {
    const auto leftover = wine_.drive_c() / staging_file;
    std::ofstream(leftover) << "left by an earlier, failed run";
    std::filesystem::permissions(leftover, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();

    install_and_expect_success(default_form());

    expect_installed("data", {"单店", "0"});
}

TEST_F(InstallOnDisk, DataFolderWithASingleQuote) {
    std::filesystem::create_directories(host_path("O'Brien/data"));
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();
    FormInput form = default_form();
    form.data_path = windows_path("O'Brien/data");

    install_and_expect_success(form);

    expect_installed("O'Brien/data", {"单店", "0"});
}

// Watches C: while a run goes on: whether the staging file ever stands there,
// and the template line of the run's record (kept from the pre-flight's end
// to the run's end, so a slowed restore gives time to read it).
class RunWatch {
public:
    RunWatch(std::filesystem::path staging, std::filesystem::path record)
        : staging_(std::move(staging)), record_(std::move(record)), thread_([this] { watch(); }) {}
    ~RunWatch() { stop(); }

    void stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    bool staging_file_seen() const { return staging_seen_; }
    std::string template_line() {
        const std::lock_guard lock(mutex_);
        return template_line_;
    }

private:
    void watch() {
        while (running_) {
            if (std::filesystem::exists(staging_)) staging_seen_ = true;
            std::istringstream record(read_file(record_));
            for (std::string line; std::getline(record, line);) {
                if (!line.starts_with("template\t")) continue;
                const std::lock_guard lock(mutex_);
                template_line_ = line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::filesystem::path staging_;
    std::filesystem::path record_;
    std::atomic<bool> running_{true};
    std::atomic<bool> staging_seen_{false};
    std::mutex mutex_;
    std::string template_line_;
    std::thread thread_;
};

struct SourceCase {
    const char* name;
    bool service_may_open_template;

    friend void PrintTo(const SourceCase& c, std::ostream* out) { *out << c.name; }
};

class TemplateSource : public InstallTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(TemplateSource, InstallsFromWhereTheServerCanReadIt) {
    const bool in_place = GetParam().service_may_open_template;
    ServerSetup setup{.faults = {"delay:RESTORE DATABASE:3000"}};
    if (!in_place) setup.arguments = {"--unreadable", windows_path("template")};
    ASSERT_NO_FATAL_FAILURE(start_server(setup));

    RunWatch watch(wine_.drive_c() / staging_file, run_record_file());
    const ProgramResult result = install_unattended();
    watch.stop();

    ASSERT_EQ(result.exit_code, 0) << result.output << result.errors;
    std::string lines;
    for (const auto& line : fresh_install_lines) lines += line + "\n";
    EXPECT_EQ(result.output, lines) << "the same log either way";
    // The record doubles a path's backslashes.
    std::string source = in_place ? windows_path("template/mirvox.dat") : "c:\\zq.tmp";
    for (size_t at = source.find('\\'); at != std::string::npos; at = source.find('\\', at + 2)) source.insert(at, "\\");
    EXPECT_EQ(watch.template_line(), std::string("template\t") + (in_place ? "in_place" : "staged") + "\t" + source);
    EXPECT_EQ(watch.staging_file_seen(), !in_place);
    expect_installed("data", {"单店", "0"});
}

INSTANTIATE_TEST_SUITE_P(Access, TemplateSource,
                         ::testing::Values(SourceCase{"ReadWhereItLies", true},
                                           SourceCase{"StagedForAServiceAccountWithoutAccess", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallOnDisk, NoRoomOnCForTheStagedCopyIsRefusedBeforeAnyChange) {
    ASSERT_NO_FATAL_FAILURE(start_server({.arguments = {"--unreadable", windows_path("template")}}));
    // A sparse template larger than the disk's free space: the copy could never fit.
    const auto template_file = host_path("template/mirvox.dat");
    const uintmax_t free_bytes = std::filesystem::space(wine_.drive_c()).available;
    std::filesystem::resize_file(template_file, free_bytes + (uintmax_t{1} << 30));
    const std::string needed = std::to_string((std::filesystem::file_size(template_file) + (1 << 20) - 1) >> 20);

    const ProgramResult result = install_unattended();

    EXPECT_EQ(result.exit_code, 8) << result.output << result.errors;
    EXPECT_TRUE(result.errors.starts_with("警告: 本机的 C: 盘空间不够暂存模板数据库：需要 " + needed + " MB，只有 "))
        << result.errors;
    EXPECT_TRUE(result.errors.ends_with("\n数据库服务器上没有做任何更改。\n")) << result.errors;
    expect_nothing_installed();
    EXPECT_FALSE(std::filesystem::exists(run_record_file()));
    expect_installer_disconnected();
}

}  // namespace
}  // namespace e2e
