// Answers one SSRP instance request (CLNT_UCAST_INST) with an SVR_RESP.
#include "sql_browser_stand_in.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace install_test {

SqlBrowserStandIn::SqlBrowserStandIn(const std::string& instance, unsigned short tcp_port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(1434);
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (udp == INVALID_SOCKET || bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (udp != INVALID_SOCKET)
            closesocket(udp);
        return;
    }
    DWORD timeout_ms = 5000;
    setsockopt(udp, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout_ms), sizeof timeout_ms);
    socket_ = udp;

    answerer_ = std::thread([this, udp, instance, tcp_port] {
        char request[512];
        sockaddr_in client{};
        int client_size = sizeof client;
        int received = recvfrom(udp, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&client), &client_size);
        if (received < 2 || request[0] != 0x04)
            return;
        const std::string body = "ServerName;KORVENA-TEST;InstanceName;" + instance +
                                 ";IsClustered;No;Version;16.0.1000.6;tcp;" + std::to_string(tcp_port) + ";;";
        std::string response = {'\x05', static_cast<char>(body.size() & 0xff), static_cast<char>(body.size() >> 8)};
        response += body;
        answered_ = sendto(udp, response.data(), static_cast<int>(response.size()), 0,
                           reinterpret_cast<sockaddr*>(&client), client_size) > 0;
    });
}

SqlBrowserStandIn::~SqlBrowserStandIn()
{
    if (answerer_.joinable())
        answerer_.join();
    if (listening())
        closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

}  // namespace install_test
