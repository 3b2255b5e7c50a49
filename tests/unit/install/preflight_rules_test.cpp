// The pre-flight's rules over the server's answers, without a server: the
// answers are built as SQL Server words them.
#include "install/preflight/preflight_rules.h"
#include "install/preflight/template_fit.h"

#include <gtest/gtest.h>

namespace {

using namespace install;
using platform::QueryResult;

QueryResult answer(std::vector<std::wstring> columns, std::vector<QueryResult::Row> rows)
{
    return QueryResult{std::move(columns), std::move(rows)};
}

TEST(ServerVersions, ParsedFromProductVersionAndCompared)
{
    EXPECT_EQ(parse_server_version(L"15.0.2000.5"), (ServerVersion{15, 0, 2000}));
    EXPECT_EQ(parse_server_version(L"8.00.2039"), (ServerVersion{8, 0, 2039}));
    EXPECT_EQ(parse_server_version(L"16.0.1000.6 (X64)"), (ServerVersion{16, 0, 1000}));
    for (const wchar_t* text : {L"", L"15", L"15.0", L"15..2000", L"v15.0.2000", L"15.0.x"})
        EXPECT_EQ(parse_server_version(text), std::nullopt) << testing::PrintToString(std::wstring(text));
    EXPECT_LT((ServerVersion{15, 0, 2000}), (ServerVersion{15, 0, 4153}));
    EXPECT_LT((ServerVersion{15, 0, 4153}), (ServerVersion{16, 0, 1000}));
    EXPECT_LT((ServerVersion{9, 0, 5000}), (ServerVersion{10, 50, 1600}));
    EXPECT_EQ(version_text({16, 0, 1000}), L"16.0.1000");
    EXPECT_FALSE(knows_create_login({8, 0, 2039}));
    EXPECT_TRUE(knows_create_login({9, 0, 1399}));
}

TEST(TemplateFit, ReleasesRestoreTheirOwnAndDocumentedOlderReleasesBackups)
{
    const struct {
        ServerVersion written_by;
        ServerVersion server;
        bool fits;
    } cases[] = {
        {{15, 0, 4123}, {15, 0, 2000}, true},   // a cumulative update's backup, the release's first build
        {{16, 0, 1000}, {15, 0, 4123}, false},  // a newer release
        {{10, 50, 1600}, {10, 0, 1600}, false}, // 2008 R2 on 2008
        {{10, 0, 1600}, {16, 0, 1000}, true},   // 2016 and later: 2008 and later
        {{9, 0, 5000}, {13, 0, 1601}, false},
        {{9, 0, 5000}, {12, 0, 2000}, true},    // 2012 and 2014: 2005 and later
        {{8, 0, 2039}, {11, 0, 2100}, false},
        {{8, 0, 2039}, {10, 50, 1600}, true},   // 2008 and 2008 R2: 2000 and later
    };
    for (const auto& c : cases)
        EXPECT_EQ(!template_release_fits(c.written_by, c.server), c.fits)
            << version_text(c.written_by) << " on " << version_text(c.server);
}

TEST(TemplateFit, ExpressLimitsTheDataFilesOnly)
{
    const int64_t gigabyte = int64_t{1} << 30;
    const std::vector<DatabaseFile> ten_gb_data_big_log = {{L"mirvox_data", L"d", 10 * gigabyte, false},
                                                           {L"mirvox_log", L"l", 50 * gigabyte, true}};
    EXPECT_EQ(template_fits_edition(true, {15, 0, 2000}, ten_gb_data_big_log), std::nullopt);
    EXPECT_NE(template_fits_edition(true, {10, 0, 1600}, ten_gb_data_big_log), std::nullopt) << "4 GB before 2008 R2";
    EXPECT_EQ(template_fits_edition(false, {10, 0, 1600}, ten_gb_data_big_log), std::nullopt) << "not Express";
    const std::vector<DatabaseFile> over = {{L"mirvox_data", L"d", 10 * gigabyte + 1, false}};
    EXPECT_NE(template_fits_edition(true, {16, 0, 1000}, over), std::nullopt);
}

TEST(BackupHeader, TheFirstSetIsFoundByPositionAmongManyColumns)
{
    const std::vector<std::wstring> columns = {L"BackupName", L"BackupType", L"Position", L"DatabaseName",
                                               L"SoftwareVersionMajor", L"SoftwareVersionMinor",
                                               L"SoftwareVersionBuild", L"IsCopyOnly"};
    const QueryResult two_sets = answer(columns, {{std::nullopt, L"2", L"2", L"shop", L"16", L"0", L"1000", L"0"},
                                                  {std::nullopt, L"1", L"1", L"shop", L"15", L"0", L"2000", L"1"}});
    const auto set = first_backup_set(two_sets);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->backup_type, 1);
    EXPECT_EQ(set->written_by, (ServerVersion{15, 0, 2000}));

    // Columns found by name, whatever their case and place.
    const QueryResult lower = answer({L"softwareversionbuild", L"backuptype", L"softwareversionmajor",
                                      L"SOFTWAREVERSIONMINOR"},
                                     {{L"4153", L"5", L"15", L"0"}});
    EXPECT_EQ(first_backup_set(lower)->backup_type, 5);
    EXPECT_EQ(first_backup_set(lower)->written_by, (ServerVersion{15, 0, 4153}));

    EXPECT_EQ(first_backup_set(answer(columns, {})), std::nullopt);
    const auto without_version = first_backup_set(answer({L"BackupType"}, {{L"1"}}));
    ASSERT_TRUE(without_version);
    EXPECT_EQ(without_version->written_by, std::nullopt);
}

TEST(BackupFileList, OnlyTheTemplatesTwoLogicalFilesAreAccepted)
{
    const std::vector<std::wstring> columns = {L"LogicalName", L"PhysicalName", L"Type", L"FileGroupName", L"Size"};
    const auto files = backup_files(answer(columns, {{L"mirvox_data", L"C:\\t\\d.mdf", L"D", L"PRIMARY", L"3145728"},
                                                     {L"MIRVOX_LOG", L"C:\\t\\l.ldf", L"L", std::nullopt, L"1048576"}}));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].size_bytes, 3145728);
    EXPECT_FALSE(files[0].log);
    EXPECT_TRUE(files[1].log);
    EXPECT_TRUE(holds_template_files(files));

    auto renamed = files;
    renamed[1].logical_name = L"shop_log";
    EXPECT_FALSE(holds_template_files(renamed));
    EXPECT_EQ(logical_names(renamed), L"mirvox_data, shop_log");
    auto with_a_third = files;
    with_a_third.push_back({L"mirvox_index", L"C:\\t\\i.ndf", 0, false});
    EXPECT_FALSE(holds_template_files(with_a_third));
    EXPECT_FALSE(holds_template_files({files[0]}));
    EXPECT_FALSE(holds_template_files({files[0], files[0]}));
}

TEST(DatabaseFiles, PagesBecomeBytesAndPaddedNamesAreTrimmed)
{
    const auto files = database_files(answer({L"name", L"filename", L"size", L"groupid"},
                                             {{L"mirvox_Data   ", L"D:\\data\\mirvox_Data.MDF  ", L"1536", L"1"},
                                              {L"mirvox_Log", L"D:\\data\\mirvox_Log.LDF", L"128", L"0"}}));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].logical_name, L"mirvox_Data");
    EXPECT_EQ(files[0].physical_name, L"D:\\data\\mirvox_Data.MDF");
    EXPECT_EQ(files[0].size_bytes, 1536 * 8192);
    EXPECT_FALSE(files[0].log);
    EXPECT_TRUE(files[1].log);
}

TEST(ServerFiles, CaseAndRepeatedSeparatorsDoNotMakeAnotherFile)
{
    EXPECT_TRUE(same_server_file(L"D:\\data\\mirvox_Data.MDF", L"d:\\DATA\\MIRVOX_data.mdf"));
    EXPECT_TRUE(same_server_file(L"D:\\data\\\\mirvox_Data.MDF", L"D:\\data\\mirvox_Data.MDF"));
    EXPECT_TRUE(same_server_file(L"D:/data/mirvox_Data.MDF", L"D:\\data\\mirvox_Data.MDF"));
    EXPECT_FALSE(same_server_file(L"D:\\data\\mirvox_Data.MDF", L"D:\\data2\\mirvox_Data.MDF"));
    EXPECT_FALSE(same_server_file(L"D:\\data\\mirvox_Data.MDF", L"D:\\data\\mirvox_Data.MDF.old"));
}

TEST(FileExistence, ReadByPosition)
{
    const std::vector<std::wstring> columns = {L"File Exists", L"File is a Directory", L"Parent Directory Exists"};
    const auto folder = file_existence(answer(columns, {{L"0", L"1", L"1"}}));
    ASSERT_TRUE(folder);
    EXPECT_FALSE(folder->file);
    EXPECT_TRUE(folder->directory);
    const auto file = file_existence(answer({L"", L"", L""}, {{L"1", L"0", L"1"}}));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->file);
    EXPECT_FALSE(file->directory);
    const auto nothing = file_existence(answer(columns, {{L"0", L"0", L"0"}}));
    ASSERT_TRUE(nothing);
    EXPECT_FALSE(nothing->file || nothing->directory);
    EXPECT_EQ(file_existence(answer(columns, {})), std::nullopt);
}

TEST(DiskRoom, EachRestoredFileTakesAtLeastWhatTheCreateGivesItAndTheBackupItsData)
{
    constexpr int64_t mb = 1 << 20;
    const std::vector<DatabaseFile> small_template = {{L"mirvox_data", L"", 3 * mb, false},
                                                      {L"mirvox_log", L"", 1 * mb, true}};
    const std::vector<DatabaseFile> large_template = {{L"mirvox_data", L"", 900 * mb, false},
                                                      {L"mirvox_log", L"", 40 * mb, true}};
    const std::vector<DatabaseFile> old_database = {{L"d", L"", 500 * mb, false}, {L"l", L"", 2000 * mb, true}};
    EXPECT_EQ(bytes_needed(small_template, {}, false), 24 * mb);
    EXPECT_EQ(bytes_needed(large_template, {}, false), 940 * mb);
    EXPECT_EQ(bytes_needed(large_template, old_database, true), 1440 * mb) << "a backup holds the data, not the log";
    EXPECT_EQ(bytes_needed(large_template, old_database, false), 940 * mb);

    EXPECT_EQ(whole_megabytes(0), 0);
    EXPECT_EQ(whole_megabytes(1), 1);
    EXPECT_EQ(whole_megabytes(mb), 1);
    EXPECT_EQ(whole_megabytes(mb + 1), 2);
}

TEST(DiskRoom, FreeSpaceOfTheDataPathsDriveByPosition)
{
    // The second column is named in the server's language ("MB free", "Mo disponible").
    const QueryResult drives = answer({L"drive", L"Mo disponible"}, {{L"C", L"10240"}, {L"D", L"512"}});
    EXPECT_EQ(free_megabytes(drives, L"d:\\data"), 512);
    EXPECT_EQ(free_megabytes(drives, L"C:\\Program Files\\data"), 10240);
    EXPECT_EQ(free_megabytes(drives, L"E:\\data"), std::nullopt);
    EXPECT_EQ(free_megabytes(drives, L"\\\\server\\share\\data"), std::nullopt);
    EXPECT_EQ(free_megabytes(answer({L"drive", L"MB free"}, {}), L"C:\\data"), std::nullopt);
}

}  // namespace
