// One install at a time on a computer, whoever starts it (a second window,
// dbinstall.com beside dbinstall.exe, a deployment tool under SYSTEM while an
// operator is logged on): a named mutex in the Global\ namespace, which
// every session sees, held for the whole run.
#pragma once

#include <memory>

namespace platform {

class InstallLock {
public:
    // The lock, or null when another process holds it. A lock whose holder
    // died without letting go is taken over: that run ended, however.
    static std::unique_ptr<InstallLock> acquire();
    ~InstallLock();
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;

private:
    explicit InstallLock(void* mutex) : mutex_(mutex) {}
    void* mutex_;
};

}  // namespace platform
