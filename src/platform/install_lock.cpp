// The install lock on a Windows mutex.
#include "install_lock.h"

#include <windows.h>

namespace platform {

namespace {

constexpr wchar_t lock_name[] = L"Global\\Korvena.dbinstall.install";

}  // namespace

std::unique_ptr<InstallLock> InstallLock::acquire()
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, lock_name);
    if (!mutex)
        return nullptr;
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::unique_ptr<InstallLock>(new InstallLock(mutex));
}

InstallLock::~InstallLock()
{
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

}  // namespace platform
