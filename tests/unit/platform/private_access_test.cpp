// The private folder on Wine's real files: what Wine keeps of its access
// list (the owner and the DACL as read back), and the folders refused: a
// link (Wine reports a host symbolic link as a reparse point; its
// CreateSymbolicLinkW makes nothing), a folder of another owner (a host
// folder of another user reads back as owned by ANONYMOUS LOGON) and a file.
// Wine 8.0 does not keep a list set on a folder already there (it opens it to
// every user instead), so that case is left to Windows. And the SID of a
// service's own account, which the safety backup's list names.
#include "platform/private_access.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>


namespace {

using platform::FolderProblem;

// The host's name for a path of the prefix.
std::string unix_path(const std::filesystem::path& path)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto to_unix =
        reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!to_unix)
        return {};
    char* name = to_unix(path.wstring().c_str());
    const std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// Runs a host shell command, as a local user could have done before the
// installer ran; true once it has succeeded.
bool on_the_host(const std::string& command, const std::filesystem::path& scratch)
{
    // Wine neither waits for a host program nor gives its exit code: it
    // leaves a mark when it has succeeded.
    const std::filesystem::path done = scratch / "host-command-done";
    std::filesystem::remove(done);
    std::wstring line = L"Z:\\bin\\sh -c \"" + std::filesystem::path(command).wstring() + L" && touch '" +
                        std::filesystem::path(unix_path(done)).wstring() + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 200 && !std::filesystem::exists(done); ++waited)
        Sleep(50);
    return std::filesystem::remove(done);
}

struct ReadBack {
    std::wstring owner;  // SDDL form
    std::wstring dacl;   // SDDL form, "D:..."
    bool granted_to_others = false;  // an ACE for Everyone, Users or Authenticated Users
};

ReadBack read_back(const std::filesystem::path& path)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ReadBack result;
    if (GetNamedSecurityInfoW(path.wstring().c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return result;
    wchar_t* text = nullptr;
    if (ConvertSidToStringSidW(owner, &text)) {
        result.owner = text;
        LocalFree(text);
    }
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        result.dacl = text;
        LocalFree(text);
    }
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &ace->SidStart;
        for (WELL_KNOWN_SID_TYPE others : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid}) {
            BYTE known[SECURITY_MAX_SID_SIZE];
            DWORD size = sizeof(known);
            if (CreateWellKnownSid(others, nullptr, known, &size) && EqualSid(sid, known))
                result.granted_to_others = true;
        }
    }
    LocalFree(descriptor);
    return result;
}

std::wstring own_account()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size);
    CloseHandle(token);
    wchar_t* text = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
    const std::wstring sid = text ? text : L"";
    LocalFree(text);
    return sid;
}

class PrivateFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base_ = std::filesystem::temp_directory_path() / "korvena-private-folder-test";
        std::filesystem::remove_all(base_);
        std::filesystem::create_directories(base_);
    }
    void TearDown() override
    {
        // The host's own rm: the folder of another owner is not Wine's to remove.
        on_the_host("rm -rf '" + unix_path(base_) + "'", std::filesystem::temp_directory_path());
    }

    std::filesystem::path base_;
};

TEST_F(PrivateFolderTest, AFolderMadeHereIsTheAdministratorsAloneAndIsKept)
{
    const std::filesystem::path folder = base_ / "Korvena";
    ASSERT_EQ(platform::make_private_folder(folder.wstring()).problem, FolderProblem::none);
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    const ReadBack made = read_back(folder);
    // Windows makes the Administrators the owner of what an elevated
    // administrator creates; Wine the account itself, which is one.
    EXPECT_TRUE(made.owner == L"S-1-5-32-544" || made.owner == L"S-1-5-18" || made.owner == own_account())
        << made.owner;
    EXPECT_NE(made.dacl.find(L"(A;OICI;FA;;;SY)"), std::wstring::npos) << made.dacl;
    EXPECT_FALSE(made.granted_to_others) << made.dacl;

    // The next run finds it as this one left it.
    EXPECT_EQ(platform::make_private_folder(folder.wstring()).problem, FolderProblem::none);
    EXPECT_FALSE(read_back(folder).granted_to_others);
}

TEST_F(PrivateFolderTest, FoldersSomeoneElseCouldHaveMadeAreRefusedAndLeftAlone)
{
    const std::filesystem::path elsewhere = base_ / "elsewhere";
    std::filesystem::create_directories(elsewhere);
    const std::filesystem::path link = base_ / "link";
    const std::filesystem::path foreign = base_ / "foreign";
    const std::filesystem::path file = base_ / "file";
    std::ofstream(file) << "not a folder";
    ASSERT_TRUE(on_the_host("ln -s '" + unix_path(elsewhere) + "' '" + unix_path(link) + "' && mkdir '" +
                            unix_path(foreign) + "' && chown 4321 '" + unix_path(foreign) + "'",
                            base_));
    const DWORD link_attributes = GetFileAttributesW(link.wstring().c_str());
    ASSERT_NE(link_attributes, INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(link_attributes & FILE_ATTRIBUTE_REPARSE_POINT, 0u);

    struct Case {
        std::filesystem::path folder;
        FolderProblem problem;
    };
    for (const Case& refused : {Case{link, FolderProblem::reparse_point}, Case{foreign, FolderProblem::foreign_owner},
                                Case{file, FolderProblem::not_a_folder}}) {
        SCOPED_TRACE(refused.folder.string());
        const std::wstring before = read_back(refused.folder).dacl;
        const platform::FolderCheck check = platform::make_private_folder(refused.folder.wstring());
        EXPECT_EQ(check.problem, refused.problem);
        EXPECT_EQ(read_back(refused.folder).dacl, before) << "a refused folder is not touched";
        if (refused.problem == FolderProblem::foreign_owner) {
            EXPECT_FALSE(check.detail.empty()) << "the owner is named";
        }
    }
    // Nothing went through the link.
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
}

TEST(ServiceAccounts, TheServicesOwnSidIsTheOneWindowsGivesIt)
{
    // Windows' published SID of NT SERVICE\TrustedInstaller; the name counts
    // without regard to case.
    const std::wstring trusted_installer = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    EXPECT_EQ(platform::service_accounts(L"TrustedInstaller").service_sid, trusted_installer);
    EXPECT_EQ(platform::service_accounts(L"trustedinstaller").service_sid, trusted_installer);
    EXPECT_EQ(platform::service_accounts(L"MSSQLSERVER").service_sid,
              L"S-1-5-80-3880718306-3832830129-1677859214-2598158968-1052248003");
}

}  // namespace
