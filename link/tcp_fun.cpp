#include "link/tcp_fun.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::function<void(const std::string&)>& MessageBox() {
    static std::function<void(const std::string&)> box;
    return box;
}

void ShowMessage(const std::string& text) {
    if (MessageBox())
        MessageBox()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

std::string Format(const char* fmt, const char* arg) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, arg);
    return buf;
}

}  // namespace

void SetTransportMessageBox(std::function<void(const std::string&)> box) { MessageBox() = std::move(box); }

void ShowTransportMessage(const std::string& text) { ShowMessage(text); }

bool StartWinsock() { return true; }

bool ParseDottedAddress(const char* text, uint32_t* out) {
    if (!text) return false;
    in_addr_t a = inet_addr(text);
    if (a == INADDR_NONE && std::strcmp(text, "255.255.255.255") != 0) return false;
    *out = uint32_t(a);
    return true;
}

bool SetSockAddress(const char* host, const char* service, sockaddr_in* addr, const char* protocol) {
    std::memset(addr, 0, sizeof *addr);
    addr->sin_family = AF_INET;

    if (!host) {
        addr->sin_addr.s_addr = htonl(INADDR_ANY);
    } else {
        uint32_t a = 0;
        if (ParseDottedAddress(host, &a)) {
            addr->sin_addr.s_addr = a;
        } else {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            addrinfo* res = nullptr;
            if (getaddrinfo(host, nullptr, &hints, &res) != 0 || !res) {
                ShowMessage(Format("неизвестный хост: %s", host));
                return false;
            }
            addr->sin_addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
            freeaddrinfo(res);
        }
    }

    const char* svc = service ? service : "";
    char* end = nullptr;
    long port = std::strtol(svc, &end, 0);
    if (*svc && end && *end == '\0') {
        addr->sin_port = htons(uint16_t(port));
    } else {
        // Service names are registered per protocol in lower case ("tcp").
        std::string proto = protocol ? protocol : "tcp";
        for (char& c : proto) c = char(std::tolower(static_cast<unsigned char>(c)));
        servent* se = getservbyname(svc, proto.c_str());
        if (!se) {
            ShowMessage(Format("неизвестный сервис: %s", svc));
            return false;
        }
        addr->sin_port = uint16_t(se->s_port);
    }
    return true;
}
