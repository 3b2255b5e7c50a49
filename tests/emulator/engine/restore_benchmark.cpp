// Times BACKUP and RESTORE of a database with a 1 GiB data file (or the size
// in MiB given as the first argument) on the real disk; prints the figures.
#include "engine.h"
#include "text.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace emulator;

class QuietSink : public ResponseSink {
public:
    void message(const ServerMessage& message) override {
        if (message.severity > 10) failed_text += to_utf8(message.text) + "\n";
        if (message.number == 3014) summary = to_utf8(message.text);
    }
    void database_changed(const std::u16string&, const std::u16string&) override {}
    void rows(const ResultSet&) override {}
    void statement_done(bool, std::optional<uint64_t>, Command) override {}
    bool attention_requested() const override { return false; }

    std::string failed_text;
    std::string summary;
};

void fill_data_file(const std::filesystem::path& path, uint64_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    std::vector<char> block(size_t{8} << 20);
    std::mt19937_64 random(42);
    for (auto& byte : block) byte = static_cast<char>(random());
    for (uint64_t written = 0; written < bytes; written += block.size())
        if (::write(fd, block.data(), block.size()) < 0) std::abort();
    ::close(fd);
}

double timed(Engine& engine, int spid, const std::u16string& sql, const char* what) {
    QuietSink sink;
    const auto start = std::chrono::steady_clock::now();
    engine.execute_batch(spid, sql, sink);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!sink.failed_text.empty()) {
        std::fprintf(stderr, "%s failed: %s", what, sink.failed_text.c_str());
        std::exit(1);
    }
    std::printf("%-8s %8.3f s  %s\n", what, seconds, sink.summary.c_str());
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const auto root = std::filesystem::temp_directory_path() / ("restore-benchmark-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "c" / "data");
    {
        Engine engine({root / "state", {{'C', root / "c"}}, {}, u"Bench#1", u"BENCH", false, {}, {}});
        const int spid = std::get<LoginAccepted>(engine.login({u"sa", u"Bench#1", {}, false})).spid;
        QuietSink sink;
        engine.execute_batch(spid,
                             u"CREATE DATABASE bench ON PRIMARY (NAME = N'bench_data', FILENAME = N'C:\\data\\bench.mdf') "
                             u"LOG ON (NAME = N'bench_log', FILENAME = N'C:\\data\\bench.ldf', SIZE = 12)",
                             sink);
        fill_data_file(root / "c" / "data" / "bench.mdf", mebibytes << 20);
        timed(engine, spid, u"BACKUP DATABASE bench TO DISK = N'C:\\bench.dat'", "backup");
        timed(engine, spid,
              u"RESTORE DATABASE restored FROM DISK = N'C:\\bench.dat' WITH STATS = 10, MOVE 'bench_data' TO "
              u"N'C:\\data\\restored.mdf', MOVE 'bench_log' TO N'C:\\data\\restored.ldf'",
              "restore");
    }
    std::filesystem::remove_all(root);
    return 0;
}
