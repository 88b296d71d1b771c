#include "core/Numeric.h"
#include "core/clsConverter.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    const char* port;
    const char* first;
    const char* second;
    const char* third;
    const char* fourth;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ConverterSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ConverterSplit, TakesTheTextApartFromTheRight) {
    const SplitCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    const clsConverter converter;
    EXPECT_EQ(converter.getPort(text), QString::fromUtf8(c.port));
    EXPECT_EQ(converter.GetFirstOctet(text), QString::fromUtf8(c.first));
    EXPECT_EQ(converter.GetSecondOctet(text), QString::fromUtf8(c.second));
    EXPECT_EQ(converter.GetThirdOctet(text), QString::fromUtf8(c.third));
    EXPECT_EQ(converter.GetFourthOctet(text), QString::fromUtf8(c.fourth));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ConverterSplit,
    ::testing::Values(
        // Full entries: the host name is never parsed, whatever it holds.
        SplitCase{"web server 10.0.0.1:8080", "8080", "10", "0", "0", "1"},
        SplitCase{"web.example 10.0.0.1:8080", "8080", "10", "0", "0", "1"},
        SplitCase{"a:b 10.0.0.1:21", "21", "10", "0", "0", "1"},
        SplitCase{"h\xc3\xa9te 192.168.1.20:443", "443", "192", "168", "1", "20"},
        // Stored values and bare addresses with a colon appended.
        SplitCase{"10.0.0.1:8080", "8080", "10", "0", "0", "1"},
        SplitCase{"10.0.0.1:", "", "10", "0", "0", "1"}, SplitCase{"1.2 .3.4:80", "80", "1", "2 ", "3", "4"},
        SplitCase{"1..2.3:80", "80", "1", "", "2", "3"}, SplitCase{".1.2.3:80", "80", "", "1", "2", "3"},
        // Texts the program never builds: empty parts, never a failure or a stray host name.
        SplitCase{"10.0.0.1", "10.0.0.1", "", "", "", ""}, SplitCase{"", "", "", "", "", ""},
        SplitCase{"host 1.2:80", "80", "", "", "", "2"}, SplitCase{"host:80", "80", "", "", "", ""},
        SplitCase{":", "", "", "", "", ""}, SplitCase{".:.", ".", "", "", "", ""}));

TEST(ConverterSplit, PositionsBeyondTheOldByteLimitWork) {
    const QString host(400, u'h');
    const QString entry = host + QStringLiteral(" 172.16.5.4:3389");
    const clsConverter converter;
    EXPECT_EQ(converter.getPort(entry), QStringLiteral("3389"));
    EXPECT_EQ(converter.GetFirstOctet(entry), QStringLiteral("172"));
    EXPECT_EQ(converter.GetFourthOctet(entry), QStringLiteral("4"));
}

struct ValidityCase {
    const char* text;
    bool valid;
};

TEST(ConverterValid, Addresses) {
    const ValidityCase cases[] = {{"192.168.0.1", true},
                                  {"223.255.255.255", true},
                                  {"001.002.003.004", true},
                                  {"1.2 .3.4", true},
                                  {"1.2. 3 .4", true},
                                  {"1.+2.3.4", true},
                                  {"1.0.0.0", true},
                                  {"224.0.0.1", false},
                                  {"0.1.2.3", false},
                                  {"1.2.3", false},
                                  {"1.2.3.4.5", false},
                                  {"1.2.3.256", false},
                                  {"1.2.3.-1", false},
                                  {"1..2.3", false},
                                  {".1.2.3", false},
                                  {"a.b.c.d", false},
                                  {"", false},
                                  {" 1.2.3.4", false},
                                  {"1 .2.3.4", false},
                                  {"x 1.2.3.4", false},
                                  {"1.2.3.99999", false},
                                  {"1.2.3.4:80", false},
                                  {"1.2.3.0x1", false},
                                  {"1.2.3.1e2", false},
                                  {"1.2.3.\xd9\xa3", false},
                                  {"1.2.3.\t4", false}};
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(clsConverter().ValidIP(QString::fromUtf8(text)), valid) << text;

    const QString padded = QStringLiteral("1.2.3.") + QString(247, u'0') + u'4';
    ASSERT_EQ(padded.size(), 254);
    EXPECT_TRUE(clsConverter().ValidIP(padded));
    EXPECT_FALSE(clsConverter().ValidIP(padded + u'0'));
}

TEST(ConverterValid, Ports) {
    const ValidityCase cases[] = {{"1", true},        {"65535", true}, {"80.5", true},    {" 80 ", true},
                                  {"+80", true},      {"0.4", true},   {"65535.9", true}, {"0", false},
                                  {"65536", false},   {"-1", false},   {"", false},       {"   ", false},
                                  {"x1", false},      {"8 0", false},  {"1e3", false},    {"1,000", false},
                                  {"0x50", false},    {"inf", false},  {"nan", false},    {"80..", false},
                                  {"\xd9\xa1", false}};
    for (const auto& [text, valid] : cases)
        EXPECT_EQ(clsConverter().ValidPort(QString::fromUtf8(text)), valid) << text;
}

TEST(ConverterBuildIP, JoinsOrSaysError) {
    const struct {
        const char* parts[4];
        const char* result;
    } cases[] = {{{"10", "0", "0", "1"}, "10.0.0.1"},
                 {{"010", "0", "0", "01"}, "010.0.0.01"},
                 {{"223", "255", "255", "255"}, "223.255.255.255"},
                 {{"0", "0", "0", "1"}, "Error"},
                 {{"224", "0", "0", "1"}, "Error"},
                 {{"10", "256", "0", "1"}, "Error"},
                 {{"10", "0", "-1", "1"}, "Error"},
                 {{"", "0", "0", "1"}, "Error"},
                 {{"10", "0", "0", ""}, "Error"},
                 {{"10", "0", "x", "1"}, "Error"},
                 // A decimal point would give a fifth dot.
                 {{"10.5", "0", "0", "1"}, "Error"},
                 {{"10", "0", "0", "1."}, "Error"},
                 // Blanks: harmless after the first dot, fatal before it.
                 {{"10", " 0", "0 ", " 1 "}, "10. 0.0 . 1 "},
                 {{" 10", "0", "0", "1"}, "Error"},
                 {{"10 ", "0", "0", "1"}, "Error"}};
    for (const auto& [parts, result] : cases)
        EXPECT_EQ(clsConverter().BuildIP(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]),
                                         QString::fromUtf8(parts[2]), QString::fromUtf8(parts[3])),
                  QString::fromUtf8(result))
            << parts[0] << '|' << parts[1] << '|' << parts[2] << '|' << parts[3];
}

TEST(Numeric, AcceptsOnlyPlainDecimalsWhateverTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ParseNumeric(QStringLiteral(" -12.5 ")), -12.5);
    EXPECT_EQ(ParseNumeric(QStringLiteral("80.")), 80.0);
    EXPECT_EQ(ParseNumeric(QStringLiteral(".5")), 0.5);
    EXPECT_FALSE(ParseNumeric(QStringLiteral("12,5")));
    EXPECT_FALSE(ParseNumeric(QStringLiteral(".")));
    EXPECT_FALSE(ParseNumeric(QStringLiteral("+")));
    EXPECT_FALSE(ParseNumeric(QStringLiteral("--1")));
    EXPECT_FALSE(ParseNumeric(QStringLiteral("1 2")));
    QLocale::setDefault(previous);
}

TEST(Numeric, VeryLongDigitRunsStayNumbers) {
    EXPECT_EQ(ParseNumeric(QString(400, u'9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseNumeric(QStringLiteral("-") + QString(400, u'9')),
              -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseNumeric(QStringLiteral("0.") + QString(400, u'0') + u'1'), 0.0);
    EXPECT_FALSE(clsConverter().ValidPort(QString(400, u'9')));
}

} // namespace
