#pragma once

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

// What a user might type or paste into a window's service boxes. Each row reaches a different check
// (or none), so each window runs all of them.
namespace Hostile {

inline const QString Long(10000, u'h');
inline const QString HugeNumber(400, u'9');
inline QString WithNul(const QString& before, const QString& after = QString()) {
    return before + QChar(u'\0') + after;
}

// Host names that are saved and shown exactly as typed: nothing in them may be interpreted.
inline const QStringList Names{Long,
                               QStringLiteral("<b>x</b><img src=x>&amp;"),
                               QStringLiteral("a\tb\r\n\x01"),
                               WithNul("a", "b"),
                               QString::fromUtf8("\u202Eevil\u202C \u05E9\u05E8\u05EA"),
                               QStringLiteral("a 1.2.3.4:5")};

enum class Refused { Nothing, Address, Port, HostName };

struct Typed {
    const char* name;
    QString host, address, port;
    Refused refused;
};
inline void PrintTo(const Typed& typed, std::ostream* os) {
    *os << typed.name;
}

inline std::vector<Typed> Rows() {
    const QString ok = QStringLiteral("10.0.0.9");
    std::vector<Typed> rows{
        {"OnlyWhitespace", "\t\r\n ", ok, "80", Refused::HostName},
        {"LowestValues", "web", "1.0.0.0", "1", Refused::Nothing},
        {"HighestValues", "web", "223.255.255.255", "65535", Refused::Nothing},
        {"FirstOctet0", "web", "0.1.2.3", "80", Refused::Address},
        {"FirstOctet224", "web", "224.0.0.1", "80", Refused::Address},
        {"Octet256", "web", "10.0.0.256", "80", Refused::Address},
        {"FifthPart", "web", "10.0.0.80.5", "80", Refused::Address},
        {"AddressLong", "web", Long, "80", Refused::Address},
        {"AddressNul", "web", WithNul("10.0.0.1"), "80", Refused::Address},
        {"LeadingBlank", "web", " 10.0.0.1", "80", Refused::Address},
        {"ArabicIndicDigits", "web", QString::fromUtf8("\u0661\u0660.0.0.1"), "80", Refused::Address},
        {"Port0", "web", ok, "0", Refused::Port},
        {"Port65536", "web", ok, "65536", Refused::Port},
        {"PortFraction", "web", ok, "80.5", Refused::Nothing},
        {"PortHuge", "web", ok, HugeNumber, Refused::Port},
        {"PortEmpty", "web", ok, "", Refused::Port},
        {"PortNul", "web", ok, WithNul("80"), Refused::Port},
    };
    for (const QString& name : Names)
        rows.push_back({"", name, ok, "80", Refused::Nothing});
    return rows;
}
inline std::string RowName(const ::testing::TestParamInfo<Typed>& info) {
    return *info.param.name ? std::string(info.param.name) : "HostName" + std::to_string(info.index);
}

} // namespace Hostile
