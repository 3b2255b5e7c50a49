// SQL Server's authentication checks and the error log's reasons for them.
#include "authentication.h"

#include "messages.h"

namespace emulator {
namespace {

// The error log's entry for a refused login: 18456 with the state and the
// reason SQL Server writes there.
LoginRefused refused(const std::u16string& user, uint8_t state, const std::u16string& reason) {
    ServerMessage logged = server_message(18456, {.name = user});
    logged.state = state;
    logged.text += u" Reason: " + reason;
    return LoginRefused{{server_message(18456, {.name = user})}, logged};
}

}  // namespace

std::optional<LoginRefused> refused_by_authentication(const Catalog& catalog, const InstanceSettings& instance,
                                                      const std::u16string& user, const LoginChannel& channel) {
    if (channel.windows_authenticated) {
        const auto found = catalog.logins.find(user);
        if (found == catalog.logins.end() || !found->second.windows)
            return refused(user, 5, u"Could not find a login matching the name provided.");
        return std::nullopt;
    }
    if (instance.windows_authentication_only)
        return refused(user, 58,
                       u"An attempt to login using SQL authentication failed. Server is configured for Windows "
                       u"authentication only.");
    // Only a Windows account's name holds a backslash: CREATE LOGIN refuses one.
    if (user.find(u'\\') != std::u16string::npos)
        return refused(user, 6, u"Attempting to use an NT account name with SQL Server Authentication.");
    return std::nullopt;
}

}  // namespace emulator
