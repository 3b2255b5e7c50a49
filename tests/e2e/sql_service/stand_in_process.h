// The stand-in as the instance's server process. Under Wine a Linux program
// started with CreateProcessW gives no exit code and cannot be ended through
// its handle, so it runs under /bin/sh, which records its exit status in a
// file, and it is stopped through its stop file.
#pragma once

#include "instance_registry.h"
#include "service_options.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace sql_service {

class StandInProcess {
public:
    // `state_folder` is the stand-in's (a host path); beside it live
    // <state>.log (its output), <state>.stop and <state>.exit.
    explicit StandInProcess(const std::wstring& state_folder);

    // Starts the stand-in with `arguments` and waits until it accepts
    // connections at `address`:`port`, calling `still_starting` now and then.
    // False with the reason when it cannot start, ends, or does not answer in
    // time.
    bool start(const std::wstring& emulator, const std::vector<std::wstring>& arguments, const std::wstring& address,
               unsigned port, const std::function<void()>& still_starting, std::wstring& reason);

    // Asks the stand-in to stop (it saves its state first) and waits for it
    // to end, calling `still_stopping` now and then. False when it did not
    // end in time.
    bool stop(const std::function<void()>& still_stopping);

    // Appends a line of the service's own to <state>.log.
    void log(const std::wstring& line) const;

    std::wstring stop_file() const { return state_folder_ + L".stop"; }  // a host path

private:
    bool ended() const;

    std::wstring state_folder_;
};

// The stand-in's arguments for the instance: its identity, its
// authentication mode and Windows logins, its addresses at `port`, its
// Browser, and the stop file.
std::vector<std::wstring> stand_in_arguments(const ServiceOptions& options, const InstanceSettings& settings,
                                             unsigned port, const std::wstring& stop_file);

}  // namespace sql_service
