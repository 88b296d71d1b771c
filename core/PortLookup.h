#pragma once

#include <QString>
#include <array>

// Well-known services offered in both port lookup lists, in their stored order.
struct PortLookupEntry {
    const char* name;
    int port;
};

inline constexpr std::array<PortLookupEntry, 11> kPortLookup{{
    {"DNS", 53},
    {"Windows", 139},
    {"SMTP", 25},
    {"POP3", 110},
    {"IMAP", 143},
    {"HTTP", 80},
    {"SSL", 443},
    {"FTP", 21},
    {"SSH", 22},
    {"Telnet", 23},
    {"News", 119},
}};
