// Access lists through advapi32: SDDL, the owner and DACL of a path, and a
// service's accounts.
#include "private_access.h"

#include "system_message.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <wincrypt.h>

#include <memory>

namespace platform {

namespace {

// SYSTEM and the Administrators: full control, handed down to what the
// folder holds. "P": nothing is inherited from the folder above.
const std::wstring private_folder_sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

struct Descriptor {
    LocalMemory memory;
    unsigned long error = ERROR_SUCCESS;
};

Descriptor descriptor_from(const std::wstring& sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return {nullptr, GetLastError()};
    return {LocalMemory(descriptor), ERROR_SUCCESS};
}

// Sets the DACL of `descriptor` on `path`, cutting inheritance from above.
unsigned long set_dacl(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor)
{
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return GetLastError();
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl, nullptr);
}

bool is_well_known(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(known);
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

bool is_own_administrator_account(PSID sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size);
    CloseHandle(token);
    if (!read || !EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid))
        return false;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD administrators_size = sizeof(administrators);
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administrators_size) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}

std::wstring sid_text(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return {};
    const LocalMemory owned(text);
    return text;
}

// "DOMAIN\name" when the SID is known here, else its SDDL form.
std::wstring account_name(PSID sid)
{
    wchar_t name[256];
    wchar_t domain[256];
    DWORD name_size = std::size(name);
    DWORD domain_size = std::size(domain);
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &name_size, domain, &domain_size, &use))
        return domain_size ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    return sid_text(sid);
}

// Whether anyone but SYSTEM, the Administrators and this administrator may
// open the folder, or its list comes from above (ProgramData lets every
// user read what it holds).
bool open_to_others(PACL dacl)
{
    if (!dacl)
        return true;  // no list at all: everyone may do anything
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
            return true;
        if (ace->Header.AceFlags & INHERITED_ACE)
            return true;
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        PSID sid = &ace->SidStart;
        if (!is_well_known(sid, WinLocalSystemSid) && !is_well_known(sid, WinBuiltinAdministratorsSid) &&
            !is_own_administrator_account(sid))
            return true;
    }
    return false;
}

FolderCheck check_existing_folder(const std::wstring& folder, DWORD attributes)
{
    // A junction's target is never looked at: its attributes are the link's own.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return {FolderProblem::reparse_point, {}};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {FolderProblem::not_a_folder, {}};
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD read = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                                             &dacl, nullptr, &descriptor);
    if (read != ERROR_SUCCESS)
        return {FolderProblem::system_error, system_message(read)};
    const LocalMemory owned(descriptor);
    if (!is_well_known(owner, WinLocalSystemSid) && !is_well_known(owner, WinBuiltinAdministratorsSid) &&
        !is_own_administrator_account(owner))
        return {FolderProblem::foreign_owner, account_name(owner)};
    // Set only when needed: Wine (8.0) opens a folder to every user when it
    // is given any list after it was made.
    if (!open_to_others(dacl))
        return {};
    const Descriptor wanted = descriptor_from(private_folder_sddl);
    if (!wanted.memory)
        return {FolderProblem::system_error, system_message(wanted.error)};
    if (const unsigned long set = set_dacl(folder, wanted.memory.get()); set != ERROR_SUCCESS)
        return {FolderProblem::system_error, system_message(set)};
    return {};
}

}  // namespace

FolderCheck make_private_folder(const std::wstring& folder)
{
    const Descriptor descriptor = descriptor_from(private_folder_sddl);
    if (!descriptor.memory)
        return {FolderProblem::system_error, system_message(descriptor.error)};
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.memory.get(), FALSE};
    if (CreateDirectoryW(folder.c_str(), &attributes))
        return {};
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
        return {FolderProblem::system_error, system_message(error)};
    const DWORD existing = GetFileAttributesW(folder.c_str());
    if (existing == INVALID_FILE_ATTRIBUTES)
        return {FolderProblem::system_error, system_message(GetLastError())};
    return check_existing_folder(folder, existing);
}

Outcome make_private_file(const std::wstring& path, const std::vector<std::wstring>& readers)
{
    std::wstring sddl = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
    for (const std::wstring& reader : readers)
        sddl += L"(A;;FR;;;" + reader + L")";
    const Descriptor descriptor = descriptor_from(sddl);
    if (!descriptor.memory)
        return {false, system_message(descriptor.error)};
    if (const unsigned long set = set_dacl(path, descriptor.memory.get()); set != ERROR_SUCCESS)
        return {false, system_message(set)};
    return {true, {}};
}

namespace {

// S-1-5-80- and the SHA-1 of the service's name in capitals (UTF-16LE),
// read as five 32-bit numbers: how Windows names NT SERVICE\<name>.
std::wstring per_service_sid(const std::wstring& service)
{
    std::wstring upper = service;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return {};
    std::wstring sid;
    HCRYPTHASH hash = 0;
    DWORD digest[5] = {};
    DWORD digest_size = sizeof(digest);
    if (CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash)) {
        if (CryptHashData(hash, reinterpret_cast<const BYTE*>(upper.data()), DWORD(upper.size() * sizeof(wchar_t)), 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, reinterpret_cast<BYTE*>(digest), &digest_size, 0)) {
            sid = L"S-1-5-80";
            for (DWORD part : digest)
                sid += L"-" + std::to_wstring(part);
        }
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return sid;
}

std::wstring configured_logon_account(const std::wstring& service, bool& read)
{
    read = false;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return {};
    std::wstring account;
    if (SC_HANDLE handle = OpenServiceW(manager, service.c_str(), SERVICE_QUERY_CONFIG)) {
        DWORD needed = 0;
        QueryServiceConfigW(handle, nullptr, 0, &needed);
        std::unique_ptr<BYTE[]> buffer(new BYTE[needed ? needed : 1]);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get());
        if (needed && QueryServiceConfigW(handle, config, needed, &needed)) {
            read = true;
            account = config->lpServiceStartName ? config->lpServiceStartName : L"";
        }
        CloseServiceHandle(handle);
    }
    CloseServiceHandle(manager);
    return account;
}

}  // namespace

ServiceAccounts service_accounts(const std::wstring& service)
{
    ServiceAccounts accounts;
    accounts.service_sid = per_service_sid(service);
    const std::wstring account = configured_logon_account(service, accounts.configuration_read);
    if (account.empty() || _wcsicmp(account.c_str(), L"LocalSystem") == 0)
        return accounts;
    // ".\name" is an account of this computer; LookupAccountName wants it bare.
    const std::wstring lookup = account.starts_with(L".\\") ? account.substr(2) : account;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sid_size = sizeof(sid);
    wchar_t domain[256];
    DWORD domain_size = std::size(domain);
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, lookup.c_str(), sid, &sid_size, domain, &domain_size, &use))
        return accounts;
    if (is_well_known(sid, WinLocalSystemSid))
        return accounts;
    accounts.configured_account = account;
    accounts.configured_sid = sid_text(sid);
    return accounts;
}

}  // namespace platform
