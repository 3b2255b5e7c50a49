// dbinstall.exe and dbinstall.com as built, or as shipped in a package: the
// machine and subsystem each was linked for, from the file's own PE header;
// the manifest and the version resource, through the calls Windows and
// Explorer use to read them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

struct ProgramFile {
    const wchar_t* file_name;
    WORD subsystem;
};

const ProgramFile program_files[] = {
    {L"dbinstall.exe", IMAGE_SUBSYSTEM_WINDOWS_GUI},
    {L"dbinstall.com", IMAGE_SUBSYSTEM_WINDOWS_CUI},
};

// The folder named by KORVENA_PROGRAM_FOLDER (an unpacked package), else the
// build tree's.
std::wstring path_of(const ProgramFile& program)
{
    const wchar_t* folder = _wgetenv(L"KORVENA_PROGRAM_FOLDER");
    return std::wstring(folder && *folder ? folder : L"" KORVENA_BUILT_PROGRAM_FOLDER) + L"\\" + program.file_name;
}

std::optional<std::string> first_bytes(const std::wstring& path, DWORD count)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(count, '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), count, &read, nullptr);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    bytes.resize(read);
    return bytes;
}

struct PeHeader {
    WORD machine;
    WORD optional_header_magic;
    DWORD link_time;
    WORD subsystem;
};

// The file and optional headers of a 32-bit PE file, or nullopt when the file
// is not one.
std::optional<PeHeader> pe_header_of(const std::wstring& path)
{
    const auto bytes = first_bytes(path, 4096);
    if (!bytes || bytes->size() < sizeof(IMAGE_DOS_HEADER)) return std::nullopt;
    IMAGE_DOS_HEADER dos;
    memcpy(&dos, bytes->data(), sizeof(dos));
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
        size_t(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes->size())
        return std::nullopt;
    IMAGE_NT_HEADERS32 nt;
    memcpy(&nt, bytes->data() + dos.e_lfanew, sizeof(nt));
    if (nt.Signature != IMAGE_NT_SIGNATURE) return std::nullopt;
    return PeHeader{nt.FileHeader.Machine, nt.OptionalHeader.Magic, nt.FileHeader.TimeDateStamp,
                    nt.OptionalHeader.Subsystem};
}

// The text of resource RT_MANIFEST 1, the one CreateProcess reads.
std::optional<std::string> manifest_of(const std::wstring& path)
{
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return std::nullopt;
    std::optional<std::string> text;
    if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        if (data) text.emplace(data, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& path)
    {
        DWORD ignored = 0;
        data_.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        if (data_.empty() || !GetFileVersionInfoW(path.c_str(), 0, DWORD(data_.size()), data_.data())) data_.clear();
    }
    bool present() const { return !data_.empty(); }

    // A value of the first translation's StringFileInfo block.
    std::optional<std::wstring> string(const std::wstring& name) const
    {
        WORD* translation = nullptr;
        UINT size = 0;
        if (!query(L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) || size < 4)
            return std::nullopt;
        wchar_t block[64];
        swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
        wchar_t* value = nullptr;
        if (!query(block + name, reinterpret_cast<void**>(&value), &size) || size == 0) return std::nullopt;
        return std::wstring(value, wcsnlen(value, size));
    }

    std::optional<VS_FIXEDFILEINFO> fixed() const
    {
        VS_FIXEDFILEINFO* info = nullptr;
        UINT size = 0;
        if (!query(L"\\", reinterpret_cast<void**>(&info), &size) || size < sizeof(*info)) return std::nullopt;
        return *info;
    }

private:
    bool query(const std::wstring& sub_block, void** value, UINT* size) const
    {
        return VerQueryValueW(data_.data(), sub_block.c_str(), value, size);
    }

    std::string data_;
};

// The shipped build is 32-bit; the x86-64 build exists only for test
// machines whose Wine cannot run 32-bit programs, and checks itself as such.
#ifdef _WIN64
constexpr WORD this_trees_machine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD this_trees_magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
constexpr WORD this_trees_machine = IMAGE_FILE_MACHINE_I386;
constexpr WORD this_trees_magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

TEST(ProgramFiles, EachIsLinkedForItsTreesMachineAndItsSubsystem)
{
    for (const ProgramFile& program : program_files) {
        SCOPED_TRACE(testing::Message() << program.file_name);
        const std::optional<PeHeader> header = pe_header_of(path_of(program));
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->machine, this_trees_machine);
        EXPECT_EQ(header->optional_header_magic, this_trees_magic);
        EXPECT_EQ(header->subsystem, program.subsystem);
        // A link time would make every build of the same commit differ.
        EXPECT_EQ(header->link_time, 0u);
    }
}

TEST(ProgramFiles, BothCarryTheManifest)
{
    for (const ProgramFile& program : program_files) {
        SCOPED_TRACE(testing::Message() << program.file_name);
        const std::optional<std::string> manifest = manifest_of(path_of(program));
        ASSERT_TRUE(manifest.has_value());
        for (const char* setting : {
                 R"(name="Korvena.dbinstall" version=")" KORVENA_VERSION R"(.0" processorArchitecture="x86")",
                 R"(<requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>)",
                 R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
                 R"(>true</dpiAware>)",
                 R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // Windows 10 and 11
                 R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // Windows 7
             })
            EXPECT_NE(manifest->find(setting), std::string::npos) << setting << "\n" << *manifest;
        EXPECT_EQ(manifest->find("activeCodePage"), std::string::npos) << "the program is Unicode";
    }
}

TEST(ProgramFiles, BothCarryTheProjectVersion)
{
    const std::wstring version = L"" KORVENA_VERSION;
    for (const ProgramFile& program : program_files) {
        SCOPED_TRACE(testing::Message() << program.file_name);
        const VersionInfo info(path_of(program));
        ASSERT_TRUE(info.present());
        EXPECT_EQ(info.string(L"ProductName"), L"Korvena");
        EXPECT_EQ(info.string(L"CompanyName"), L"Korvena");
        EXPECT_EQ(info.string(L"FileVersion"), version);
        EXPECT_EQ(info.string(L"ProductVersion"), version);
        EXPECT_EQ(info.string(L"OriginalFilename"), program.file_name);
        EXPECT_TRUE(info.string(L"FileDescription").has_value());
        EXPECT_TRUE(info.string(L"LegalCopyright").has_value());

        const std::optional<VS_FIXEDFILEINFO> fixed = info.fixed();
        ASSERT_TRUE(fixed.has_value());
        EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(KORVENA_VERSION_MINOR, KORVENA_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwFileVersionLS, DWORD(MAKELONG(0, KORVENA_VERSION_PATCH)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    }
}

}  // namespace
