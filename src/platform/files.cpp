// File operations on the kernel32 W functions.
#include "files.h"

#include "character_class.h"
#include "system_message.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

// Sequential pieces into a target of its full size, as CopyFileEx copies a
// local file: the same requests through the same cache, so no slower than
// CopyFileEx on Windows, where a piece of this order costs the cache
// manager's copy and a few microseconds a call (4096 calls a GiB). Its
// offloaded and block-cloned copies, where it could do better, do not happen
// on the NTFS system drive the staging file is written to. Measured under
// Wine on a 1 GiB file, each copy in a new process as the installer makes it:
// 256 KiB pieces 0.34 to 0.40 s (cp 0.27 to 0.38 s, CopyFileW 0.95 s); 1 MiB
// pieces 0.25 s in a process that has just copied but 0.5 to 1.1 s in a new
// one; 64 KiB pieces 0.39 s; 8 MiB pieces over 1 s.
constexpr size_t copy_piece_bytes = size_t{256} << 10;

// A new file, unless one stands there after all. Replacing a file truncates
// it, and ext4 (Wine's disk on Linux) then writes the whole new content out
// when it is closed, at the cost of a third of the copy.
HANDLE create_target(const std::wstring& target)
{
    HANDLE handle = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
        return handle;
    return CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    void close()
    {
        if (valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

Outcome failed()
{
    return {false, system_message(GetLastError())};
}

}  // namespace

std::wstring absolute_path(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

bool file_exists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Outcome copy_file(const std::wstring& existing, const std::wstring& target, const CopyProgress& progress)
{
    const FileHandle source(CreateFileW(existing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.valid())
        return failed();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(source.get(), &size))
        return failed();
    FileHandle copy(create_target(target));
    if (!copy.valid())
        return failed();
    // From here on a failure takes the partial copy away.
    const auto abandon = [&](Outcome outcome) {
        copy.close();
        DeleteFileW(target.c_str());
        return outcome;
    };

    // The whole size first, as CopyFileEx does: the file system finds room
    // once and keeps the copy in one piece, and a full disk says so before
    // any byte is written.
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(copy.get(), size, nullptr, FILE_BEGIN) || !SetEndOfFile(copy.get()) ||
        !SetFilePointerEx(copy.get(), start, nullptr, FILE_BEGIN))
        return abandon(failed());

    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    std::vector<char> piece(copy_piece_bytes);
    uint64_t copied = 0;
    while (copied < total) {
        DWORD read = 0;
        if (!ReadFile(source.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr))
            return abandon(failed());
        if (read == 0)
            return abandon({false, L"The file ended before its size was copied."});
        DWORD written = 0;
        if (!WriteFile(copy.get(), piece.data(), read, &written, nullptr) || written != read)
            return abandon(failed());
        copied += read;
        if (progress && !progress(copied, total))
            return abandon({false, L"The copy was stopped."});
    }
    return {true, {}};
}

std::optional<std::string> read_whole_file(const std::wstring& path)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return std::nullopt;
    std::string bytes;
    char piece[64 * 1024];
    DWORD read = 0;
    while (ReadFile(file.get(), piece, sizeof(piece), &read, nullptr) && read > 0)
        bytes.append(piece, read);
    return bytes;
}

Outcome write_file_atomically(const std::wstring& path, const std::string& bytes)
{
    const std::wstring partial = path + L".partial";
    {
        FileHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file.valid())
            return failed();
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.get())) {
            const Outcome outcome = failed();
            file.close();
            DeleteFileW(partial.c_str());
            return outcome;
        }
    }
    if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const Outcome outcome = failed();
        DeleteFileW(partial.c_str());
        return outcome;
    }
    return {true, {}};
}

bool delete_file(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != FALSE;
}

bool set_file_attributes(const std::wstring& path, uint32_t attributes)
{
    return SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

std::unique_ptr<HeldFile> HeldFile::hold(const std::wstring& path, std::wstring& failure)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failure = system_message(GetLastError());
        return nullptr;
    }
    return std::unique_ptr<HeldFile>(new HeldFile(file));
}

HeldFile::~HeldFile()
{
    CloseHandle(handle_);
}

std::optional<uint64_t> HeldFile::size() const
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size))
        return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

std::optional<uint64_t> free_disk_bytes(const std::wstring& folder)
{
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

bool same_path(const std::wstring& a, const std::wstring& b)
{
    return same_text_ignoring_case(absolute_path(a), absolute_path(b));
}

}  // namespace platform
