// sys.dm_exec_connections with the columns and types SQL Server documents, one
// row per open session.
#include "dynamic_views.h"

#include "messages.h"

namespace emulator {
namespace {

constexpr int32_t kPacketSize = 4096;

Value text_or_null(const std::u16string& text) {
    if (text.empty()) return std::monostate{};
    return text;
}

Value port_or_null(const std::u16string& address, int32_t port) {
    if (address.empty()) return std::monostate{};
    return port;
}

// SQL Server 2019 asks for VIEW SERVER STATE, which sysadmin implies; the
// stand-in grants it to nobody else.
void check_view_server_state(StatementContext& context) {
    const Login* login = context.catalog.find_login(context.session().login);
    if (login && login->sysadmin) return;
    fail({server_message(300, {.name = u"server", .other = u"master", .operation = u"VIEW SERVER STATE"}),
          server_message(297)});
}

// Every connection comes over TCP without MARS or encryption.
TableSnapshot dm_exec_connections(const Catalog& catalog) {
    TableSnapshot table{u"dm_exec_connections",
                        {{u"session_id", ColumnType::int32},
                         {u"net_transport", ColumnType::nvarchar, 40},
                         {u"protocol_type", ColumnType::nvarchar, 40},
                         {u"encrypt_option", ColumnType::nvarchar, 40},
                         {u"auth_scheme", ColumnType::nvarchar, 40},
                         {u"net_packet_size", ColumnType::int32},
                         {u"client_net_address", ColumnType::varchar, 48},
                         {u"client_tcp_port", ColumnType::int32},
                         {u"local_net_address", ColumnType::varchar, 48},
                         {u"local_tcp_port", ColumnType::int32}},
                        {}};
    for (const auto& [spid, session] : catalog.sessions) {
        const ConnectionInfo& connection = session.connection;
        table.rows.push_back({spid, std::u16string(u"TCP"), std::u16string(u"TSQL"), std::u16string(u"FALSE"),
                              connection.auth_scheme, kPacketSize, text_or_null(connection.client_address),
                              port_or_null(connection.client_address, connection.client_port),
                              text_or_null(connection.local_address),
                              port_or_null(connection.local_address, connection.local_port)});
    }
    return table;
}

}  // namespace

std::optional<TableSnapshot> dynamic_view(StatementContext& context, const std::u16string& name) {
    if (!equals_ci(name, u"dm_exec_connections")) return std::nullopt;
    check_view_server_state(context);
    return dm_exec_connections(context.catalog);
}

}  // namespace emulator
