// The taskbar button's progress bar.
#include "taskbar_progress.h"

#include <windows.h>
#include <shobjidl.h>

namespace platform {

TaskbarProgress::TaskbarProgress(WindowHandle window) : window_(window)
{
    ITaskbarList3* taskbar = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&taskbar))))
        return;
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return;
    }
    taskbar_ = taskbar;
}

TaskbarProgress::~TaskbarProgress()
{
    if (taskbar_)
        taskbar_->Release();
}

void TaskbarProgress::show(std::optional<int> percent)
{
    if (!taskbar_)
        return;
    if (!percent) {
        taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
        return;
    }
    taskbar_->SetProgressState(window_, TBPF_NORMAL);
    taskbar_->SetProgressValue(window_, static_cast<ULONGLONG>(*percent), 100);
}

}  // namespace platform
