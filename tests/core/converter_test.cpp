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

void PrintTo(const ValidityCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ConverterValidIP : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ConverterValidIP, Decides) {
    EXPECT_EQ(clsConverter().ValidIP(QString::fromUtf8(GetParam().text)), GetParam().valid)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ConverterValidIP,
    ::testing::Values(
        ValidityCase{"192.168.0.1", true}, ValidityCase{"223.255.255.255", true},
        ValidityCase{"001.002.003.004", true}, ValidityCase{"1.2 .3.4", true},
        ValidityCase{"1.2. 3 .4", true}, ValidityCase{"1.+2.3.4", true}, ValidityCase{"1.0.0.0", true},
        ValidityCase{"224.0.0.1", false}, ValidityCase{"0.1.2.3", false}, ValidityCase{"1.2.3", false},
        ValidityCase{"1.2.3.4.5", false}, ValidityCase{"1.2.3.256", false}, ValidityCase{"1.2.3.-1", false},
        ValidityCase{"1..2.3", false}, ValidityCase{".1.2.3", false}, ValidityCase{"a.b.c.d", false},
        ValidityCase{"", false}, ValidityCase{" 1.2.3.4", false}, ValidityCase{"1 .2.3.4", false},
        ValidityCase{"x 1.2.3.4", false}, ValidityCase{"1.2.3.99999", false},
        ValidityCase{"1.2.3.4:80", false}, ValidityCase{"1.2.3.0x1", false}, ValidityCase{"1.2.3.1e2", false},
        ValidityCase{"1.2.3.\xd9\xa3", false}, ValidityCase{"1.2.3.\t4", false}));

TEST(ConverterValidIP, RejectsTextsLongerThan254Characters) {
    const clsConverter converter;
    const QString padded = QStringLiteral("1.2.3.") + QString(247, u'0') + u'4';
    ASSERT_EQ(padded.size(), 254);
    EXPECT_TRUE(converter.ValidIP(padded));
    EXPECT_FALSE(converter.ValidIP(padded + u'0'));
}

class ConverterValidPort : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ConverterValidPort, Decides) {
    EXPECT_EQ(clsConverter().ValidPort(QString::fromUtf8(GetParam().text)), GetParam().valid)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Ports, ConverterValidPort,
    ::testing::Values(ValidityCase{"1", true}, ValidityCase{"65535", true}, ValidityCase{"80.5", true},
                      ValidityCase{" 80 ", true}, ValidityCase{"+80", true}, ValidityCase{"0.4", true},
                      ValidityCase{"65535.9", true}, ValidityCase{"0", false}, ValidityCase{"65536", false},
                      ValidityCase{"-1", false}, ValidityCase{"", false}, ValidityCase{"   ", false},
                      ValidityCase{"x1", false}, ValidityCase{"8 0", false}, ValidityCase{"1e3", false},
                      ValidityCase{"1,000", false}, ValidityCase{"0x50", false}, ValidityCase{"inf", false},
                      ValidityCase{"nan", false}, ValidityCase{"80..", false}));

struct BuildCase {
    const char* parts[4];
    const char* result;
};

void PrintTo(const BuildCase& c, std::ostream* os) {
    *os << c.parts[0] << '|' << c.parts[1] << '|' << c.parts[2] << '|' << c.parts[3];
}

class ConverterBuildIP : public ::testing::TestWithParam<BuildCase> {};

TEST_P(ConverterBuildIP, JoinsOrSaysError) {
    const BuildCase& c = GetParam();
    EXPECT_EQ(clsConverter().BuildIP(QString::fromUtf8(c.parts[0]), QString::fromUtf8(c.parts[1]),
                                     QString::fromUtf8(c.parts[2]), QString::fromUtf8(c.parts[3])),
              QString::fromUtf8(c.result));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ConverterBuildIP,
    ::testing::Values(
        BuildCase{{"10", "0", "0", "1"}, "10.0.0.1"}, BuildCase{{"010", "0", "0", "01"}, "010.0.0.01"},
        BuildCase{{"223", "255", "255", "255"}, "223.255.255.255"}, BuildCase{{"0", "0", "0", "1"}, "Error"},
        BuildCase{{"224", "0", "0", "1"}, "Error"}, BuildCase{{"10", "256", "0", "1"}, "Error"},
        BuildCase{{"10", "0", "-1", "1"}, "Error"}, BuildCase{{"", "0", "0", "1"}, "Error"},
        BuildCase{{"10", "0", "0", ""}, "Error"}, BuildCase{{"10", "0", "x", "1"}, "Error"},
        // A decimal point would give a fifth dot.
        BuildCase{{"10.5", "0", "0", "1"}, "Error"}, BuildCase{{"10", "0", "0", "1."}, "Error"},
        // Blanks: harmless after the first dot, fatal before it.
        BuildCase{{"10", " 0", "0 ", " 1 "}, "10. 0.0 . 1 "}, BuildCase{{" 10", "0", "0", "1"}, "Error"},
        BuildCase{{"10 ", "0", "0", "1"}, "Error"}));

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
