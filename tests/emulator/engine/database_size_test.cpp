// Express's limit on a database's data files, at creation and growth, and
// databases made large but kept sparse: their backups hold what is written,
// their restores take the full size.
#include "engine_fixture.h"
#include "text.h"

#include <fstream>
#include <sys/stat.h>

namespace emulator::testing {
namespace {

class DatabaseSizeTest : public EngineTest {
protected:
    // A server whose D: drive has room for databases of many gigabytes.
    void start_as(Edition edition, ProductVersion version = kDefaultProductVersion) {
        auto engine_options = options();
        engine_options.edition = edition;
        engine_options.product_version = version;
        engine_options.free_mb = {{'D', 100000}};
        start(engine_options);
        sa_ = login_sa();
    }

    static std::u16string create(const std::u16string& name, const std::u16string& data_sizes,
                                 const std::u16string& log_size) {
        std::u16string sql = u"CREATE DATABASE " + name + u" ON PRIMARY ";
        int n = 0;
        for (size_t at = 0; at < data_sizes.size(); ++n) {
            const size_t comma = std::min(data_sizes.find(u',', at), data_sizes.size());
            const std::u16string file = name + u"_" + to_u16(n);
            sql += (n ? u", (NAME = N'" : u"(NAME = N'") + file + u"', FILENAME = N'D:\\data\\" + file +
                   u".mdf', SIZE = " + data_sizes.substr(at, comma - at) + u")";
            at = comma + 1;
        }
        return sql + u" LOG ON (NAME = N'" + name + u"_log', FILENAME = N'D:\\data\\" + name + u".ldf', SIZE = " +
               log_size + u")";
    }

    int sa_ = 0;
};

TEST_F(DatabaseSizeTest, ExpressKeepsEachDatabasesDataFilesWithinItsLimit) {
    const struct {
        Edition edition;
        ProductVersion version;
        std::u16string data_sizes;
        std::u16string log_size;
        std::optional<int64_t> refused_over_mb;
    } cases[] = {
        {Edition::express, kDefaultProductVersion, u"10240MB", u"4GB", std::nullopt},  // the log does not count
        {Edition::express, kDefaultProductVersion, u"10241MB", u"1MB", 10240},
        {Edition::express, kDefaultProductVersion, u"6GB,6GB", u"1MB", 10240},
        {Edition::express, {{9, 0, 5000}, 0}, u"4097MB", u"1MB", 4096},
        {Edition::express, {{10, 50, 1600}, 1}, u"5GB", u"1MB", std::nullopt},
        {Edition::standard, kDefaultProductVersion, u"20GB", u"1MB", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.data_sizes) + " on " + std::to_string(c.version.version.major));
        start_as(c.edition, c.version);
        const auto sink = run(sa_, create(u"shop", c.data_sizes, c.log_size));
        if (!c.refused_over_mb) {
            EXPECT_FALSE(sink.any_failed()) << utf8(sink.error_text());
            ok(sa_, u"DROP DATABASE shop");
            continue;
        }
        EXPECT_EQ(sink.message_numbers(), std::vector<int32_t>{1827});
        EXPECT_EQ(sink.error_text(), u"CREATE DATABASE or ALTER DATABASE failed because the resulting cumulative "
                                     u"database size would exceed your licensed limit of " +
                                         to_u16(*c.refused_over_mb) + u" MB per database.");
        EXPECT_TRUE(std::filesystem::is_empty(drive_d() / "data"));
    }
}

TEST_F(DatabaseSizeTest, ExpressStopsAFileGrowingPastItsLimit) {
    start_as(Edition::express);
    ok(sa_, create(u"shop", u"6GB", u"1MB"));
    const struct {
        std::u16string size;
        std::vector<int32_t> refused;
    } steps[] = {
        {u"11GB", {1827}},
        {u"9GB", {}},
        {u"8GB", {5039}},
        {u"10241MB", {1827}},
        {u"10GB", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(utf8(step.size));
        const auto sink = run(sa_, u"ALTER DATABASE shop MODIFY FILE (NAME = N'shop_0', SIZE = " + step.size + u")");
        EXPECT_EQ(sink.message_numbers(), step.refused);
    }
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "shop_0.mdf"), uint64_t{10} << 30);
    EXPECT_EQ(run(sa_, u"ALTER DATABASE shop MODIFY FILE (NAME = N'shop_log', SIZE = 20GB)").messages.size(), 0u);
    EXPECT_EQ(run(sa_, u"ALTER DATABASE shop MODIFY FILE (NAME = nothing, SIZE = 1GB)").error_text(),
              u"MODIFY FILE failed. File 'nothing' does not exist.");
}

TEST_F(DatabaseSizeTest, ALargeEmptyDatabaseBacksUpSmallAndRestoresToItsFullSize) {
    start_as(Edition::standard);
    ok(sa_, create(u"big", u"12GB", u"1GB"));
    const std::string written(65536, 'k');
    std::fstream(drive_d() / "data" / "big_0.mdf", std::ios::in | std::ios::out | std::ios::binary).write(written.data(), 65536);
    ok(sa_, u"BACKUP DATABASE big TO DISK = N'C:\\big.bak' WITH INIT");
    EXPECT_LT(std::filesystem::file_size(drive_c() / "big.bak"), 1u << 20);
    const auto files = ok(sa_, u"RESTORE FILELISTONLY FROM DISK = N'C:\\big.bak'").results.at(0).rows;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].at(4), Value(int64_t{12} << 30));  // Size
    EXPECT_EQ(files[0].at(12), Value(int64_t{65536}));    // BackupSizeInBytes
    EXPECT_EQ(files[1].at(4), Value(int64_t{1} << 30));

    const std::u16string restore = u"RESTORE DATABASE copy FROM DISK = N'C:\\big.bak' WITH MOVE N'big_0' TO "
                                   u"N'D:\\data\\copy.mdf', MOVE N'big_log' TO N'D:\\data\\copy.ldf'";
    ok(sa_, restore);
    const auto copy = drive_d() / "data" / "copy.mdf";
    EXPECT_EQ(std::filesystem::file_size(copy), uint64_t{12} << 30);
    struct stat status {};
    ASSERT_EQ(::stat(copy.c_str(), &status), 0);
    EXPECT_LT(static_cast<uint64_t>(status.st_blocks) * 512, uint64_t{16} << 20);  // sparse: the size is not written
    std::string first(65536, '\0');
    std::ifstream(copy, std::ios::binary).read(first.data(), 65536);
    EXPECT_EQ(first, written);
    EXPECT_EQ(scalar(sa_, u"select size from sysaltfiles where name = 'big_0' and filename = 'D:\\data\\copy.mdf'"),
              Value(12 * 131072));

    // Express cannot take it.
    start_as(Edition::express);
    ok(sa_, u"DROP DATABASE copy");
    const auto refused = run(sa_, restore);
    EXPECT_EQ(refused.message_numbers(), (std::vector<int32_t>{1827, 3013}));
    EXPECT_FALSE(std::filesystem::exists(copy));
}

}  // namespace
}  // namespace emulator::testing
