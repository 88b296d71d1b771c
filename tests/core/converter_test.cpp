#include "core/Numeric.h"
#include "core/clsConverter.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

namespace {

const clsConverter Converter;

// The port and the four address parts of a service text, joined by '|'.
QString Split(const QString& text) {
    return QStringList{Converter.getPort(text), Converter.GetFirstOctet(text), Converter.GetSecondOctet(text),
                       Converter.GetThirdOctet(text), Converter.GetFourthOctet(text)}
        .join(u'|');
}

// The host name is never parsed, whatever it holds, however long it is; texts the program never builds
// (no colon, too few dots) give empty parts, never a failure.
TEST(Converter, TakesServiceTextsApartFromTheRight) {
    const std::pair<const char*, const char*> cases[] = {{"web server 10.0.0.1:8080", "8080|10|0|0|1"},
                                                         {"web.example 10.0.0.1:8080", "8080|10|0|0|1"},
                                                         {"a:b 10.0.0.1:21", "21|10|0|0|1"},
                                                         {"10.0.0.1:8080", "8080|10|0|0|1"},
                                                         {"1.2 .3.4:80", "80|1|2 |3|4"},
                                                         {"1..2.3:80", "80|1||2|3"},
                                                         {"10.0.0.1", "10.0.0.1||||"},
                                                         {"host 1.2:80", "80||||2"},
                                                         {"", "||||"}};
    for (const auto& [text, parts] : cases)
        EXPECT_EQ(Split(text), parts) << text;
    EXPECT_EQ(Split(QString(400, u'h') + " 172.16.5.4:3389"), "3389|172|16|5|4");
}

TEST(Converter, ValidIPAndValidPort) {
    for (const char* ip : {"192.168.0.1", "223.255.255.255", "001.002.003.004", "1.2 .3.4", "1.2. 3 .4",
                           "1.+2.3.4", "1.0.0.0"})
        EXPECT_TRUE(Converter.ValidIP(ip)) << ip;
    for (const char* ip : {"224.0.0.1", "0.1.2.3", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2.3.-1", "1..2.3",
                           "a.b.c.d", "", " 1.2.3.4", "1 .2.3.4", "x 1.2.3.4", "1.2.3.4:80", "1.2.3.1e2"})
        EXPECT_FALSE(Converter.ValidIP(ip)) << ip;
    const QString longest = "1.2.3." + QString(247, u'0') + u'4'; // 254 characters
    EXPECT_TRUE(Converter.ValidIP(longest));
    EXPECT_FALSE(Converter.ValidIP(longest + u'0'));

    for (const char* port : {"1", "65535", "80.5", " 80 ", "+80", "0.4", "65535.9"})
        EXPECT_TRUE(Converter.ValidPort(port)) << port;
    for (const char* port : {"0", "65536", "-1", "", "x1", "8 0"})
        EXPECT_FALSE(Converter.ValidPort(port)) << port;
}

// A decimal point would give a fifth dot; blanks are harmless after the first dot, fatal before it.
TEST(Converter, BuildIPJoinsOrSaysError) {
    const std::pair<const char*, const char*> cases[] = {
        {"10|0|0|1", "10.0.0.1"}, {"010|0|0|01", "010.0.0.01"}, {"223|255|255|255", "223.255.255.255"},
        {"0|0|0|1", "Error"},     {"224|0|0|1", "Error"},       {"10|256|0|1", "Error"},
        {"|0|0|1", "Error"},      {"10|0|0|", "Error"},         {"10.5|0|0|1", "Error"},
        {"10|0|0|1.", "Error"},   {" 10|0|0|1", "Error"},       {"10| 0|0 | 1 ", "10. 0.0 . 1 "}};
    for (const auto& [parts, result] : cases) {
        const QStringList p = QString(parts).split(u'|');
        EXPECT_EQ(Converter.BuildIP(p[0], p[1], p[2], p[3]), result) << parts;
    }
}

// No locale separators, exponents, hex, words, other digits or padding but the blank.
TEST(Numeric, AcceptsOnlyPlainDecimalsWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::pair<QString, double> numbers[] = {
        {" -12.5 ", -12.5},
        {"80.", 80.0},
        {".5", 0.5},
        {QString(400, u'9'), std::numeric_limits<double>::infinity()},
        {"0." + QString(400, u'0') + u'1', 0.0}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(ParseNumeric(text), value) << text.left(20).toStdString();
    for (const char* text :
         {"12,5", ".", "+", "--1", "1 2", "80..", "1e3", "0x50", "inf", "nan", "   ", "\t4", "\xd9\xa1"})
        EXPECT_EQ(ParseNumeric(QString::fromUtf8(text)), std::nullopt) << text;
    QLocale::setDefault(previous);
}

} // namespace
