#include "ui/options/OptionsLogic.h"

#include <gtest/gtest.h>

using namespace OptionsLogic;

namespace {

struct SplitCase {
    const char* line;
    const char* host;
    const char* ip1;
    const char* ip2;
    const char* ip3;
    const char* ip4;
    const char* port;
};
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

class SplitServiceLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitServiceLineTest, TakesTheLineApartFromTheRight) {
    const SplitCase& c = GetParam();
    const ServiceParts parts = SplitServiceLine(QString::fromUtf8(c.line));
    EXPECT_EQ(parts.host, QString::fromUtf8(c.host));
    EXPECT_EQ(parts.ip1, QString::fromUtf8(c.ip1));
    EXPECT_EQ(parts.ip2, QString::fromUtf8(c.ip2));
    EXPECT_EQ(parts.ip3, QString::fromUtf8(c.ip3));
    EXPECT_EQ(parts.ip4, QString::fromUtf8(c.ip4));
    EXPECT_EQ(parts.port, QString::fromUtf8(c.port));
    // Putting the pieces back together gives the line again.
    EXPECT_EQ(ServiceLine(parts.host,
                          parts.ip1 + "." + parts.ip2 + "." + parts.ip3 + "." + parts.ip4 + ":" + parts.port),
              QString::fromUtf8(c.line));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitServiceLineTest,
    ::testing::Values(SplitCase{"mail 10.0.0.5:25", "mail", "10", "0", "0", "5", "25"},
                      SplitCase{" web server  10.0.0.1:8080", " web server ", "10", "0", "0", "1", "8080"},
                      SplitCase{"a:b.example 192.168.0.10:80.5", "a:b.example", "192", "168", "0", "10",
                                "80.5"},
                      SplitCase{"<b>x</b> 1.2.3.4:80", "<b>x</b>", "1", "2", "3", "4", "80"},
                      SplitCase{" 010.0.0.01:1", "", "010", "0", "0", "01", "1"}));

struct InputCase {
    ServiceParts input;
    ServiceInputError error;
    const char* value;
};
void PrintTo(const InputCase& c, std::ostream* os) {
    const ServiceParts& i = c.input;
    *os << '"' << qPrintable(i.host) << "\" "
        << qPrintable(i.ip1 + "." + i.ip2 + "." + i.ip3 + "." + i.ip4 + ":" + i.port);
}

class CheckServiceInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(CheckServiceInputTest, ChecksAddressThenPortThenHostName) {
    const InputCase& c = GetParam();
    const ServiceInputCheck check = CheckServiceInput(c.input);
    EXPECT_EQ(check.error, c.error);
    EXPECT_EQ(check.value, QString::fromUtf8(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CheckServiceInputTest,
    ::testing::Values(
        InputCase{{"mail", "10", "0", "0", "5", "25"}, ServiceInputError::None, "10.0.0.5:25"},
        InputCase{{" a b ", "010", "0", "0", "01", "65535"}, ServiceInputError::None, "010.0.0.01:65535"},
        InputCase{{"h", "10", "0", "0", "1", "80.5"}, ServiceInputError::None, "10.0.0.1:80.5"},
        InputCase{{"h", "10", "0", "0", "256", "80"}, ServiceInputError::InvalidAddress, ""},
        InputCase{{"h", "1.5", "0", "0", "1", "80"}, ServiceInputError::InvalidAddress, ""},
        InputCase{{"", "", "0", "0", "1", ""}, ServiceInputError::InvalidAddress, ""},
        InputCase{{"h", "10", "0", "0", "1", "0"}, ServiceInputError::InvalidPort, ""},
        InputCase{{"h", "10", "0", "0", "1", "65536"}, ServiceInputError::InvalidPort, ""},
        InputCase{{"h", "10", "0", "0", "1", ""}, ServiceInputError::InvalidPort, ""},
        InputCase{{"h", "10", "0", "0", "1", "http"}, ServiceInputError::InvalidPort, ""},
        InputCase{{"", "10", "0", "0", "1", "80"}, ServiceInputError::BlankHostName, ""},
        InputCase{{"   ", "10", "0", "0", "1", "80"}, ServiceInputError::BlankHostName, ""}));

struct StoredCase {
    const char* stored;
    int expected;
};
void PrintTo(const StoredCase& c, std::ostream* os) {
    *os << '"' << c.stored << '"';
}

class FrequencyIndexTest : public ::testing::TestWithParam<StoredCase> {};

TEST_P(FrequencyIndexTest, SelectsTheStoredIndexOrTheFallback) {
    EXPECT_EQ(FrequencyIndexFor(QString::fromUtf8(GetParam().stored)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Stored, FrequencyIndexTest,
                         ::testing::Values(StoredCase{"", 2}, StoredCase{"0", 0}, StoredCase{"3", 3},
                                           StoredCase{"6", 6}, StoredCase{" 4 ", 4}, StoredCase{"3.6", 4},
                                           StoredCase{"7", 2}, StoredCase{"9", 2}, StoredCase{"-1", 2},
                                           StoredCase{"x", 2}, StoredCase{"1e1", 2},
                                           StoredCase{"99999999999999999999999999999999999", 2}));

struct ThresholdCase {
    const char* stored;
    int fallbackPercent;
    int expectedRow;
};
void PrintTo(const ThresholdCase& c, std::ostream* os) {
    *os << '"' << c.stored << "\" fallback " << c.fallbackPercent;
}

class ThresholdRowTest : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(ThresholdRowTest, SelectsTheStoredPercentOrTheFallback) {
    const ThresholdCase& c = GetParam();
    EXPECT_EQ(ThresholdRowFor(QString::fromUtf8(c.stored), c.fallbackPercent), c.expectedRow);
}

INSTANTIATE_TEST_SUITE_P(Stored, ThresholdRowTest,
                         ::testing::Values(ThresholdCase{"", kGreenFallbackPercent, 0},
                                           ThresholdCase{"", kYellowFallbackPercent, 10},
                                           ThresholdCase{"", kRedFallbackPercent, 50},
                                           ThresholdCase{"abc", kGreenFallbackPercent, 0},
                                           ThresholdCase{"abc", kYellowFallbackPercent, 10},
                                           ThresholdCase{"85", 100, 15}, ThresholdCase{"0", 100, 100},
                                           ThresholdCase{"100", 50, 0}, ThresholdCase{"150", 50, 0},
                                           ThresholdCase{"-3", 50, 100}, ThresholdCase{"85.5", 50, 14},
                                           ThresholdCase{"84.5", 50, 16},
                                           ThresholdCase{"-99999999999999999999999999999999999", 50, 100}));

struct TimeoutCase {
    const char* text;
    TimeoutVerdict verdict;
};
void PrintTo(const TimeoutCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class CheckTimeoutTest : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(CheckTimeoutTest, AcceptsOnlyOneToThirtyWrittenPlainly) {
    EXPECT_EQ(CheckTimeout(QString::fromUtf8(GetParam().text)), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CheckTimeoutTest,
    ::testing::Values(
        TimeoutCase{"1", TimeoutVerdict::Ok}, TimeoutCase{"10", TimeoutVerdict::Ok},
        TimeoutCase{"30", TimeoutVerdict::Ok}, TimeoutCase{"31", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{"0", TimeoutVerdict::NotPlainWhole}, TimeoutCase{"0.5", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{"-5", TimeoutVerdict::NotPlainWhole}, TimeoutCase{"5.5", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{"05", TimeoutVerdict::NotPlainWhole}, TimeoutCase{"+5", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{" 5", TimeoutVerdict::NotPlainWhole}, TimeoutCase{"5.", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{"99999999999999999999999", TimeoutVerdict::NotPlainWhole},
        TimeoutCase{"ten", TimeoutVerdict::NotNumeric}, TimeoutCase{"", TimeoutVerdict::NotNumeric},
        TimeoutCase{"1e1", TimeoutVerdict::NotNumeric}));

TEST(TimeoutText, ShowsTheStoredTextUnchangedOrTen) {
    EXPECT_EQ(TimeoutTextFor(""), "10");
    EXPECT_EQ(TimeoutTextFor("05"), "05");
    EXPECT_EQ(TimeoutTextFor("abc"), "abc");
}

} // namespace
