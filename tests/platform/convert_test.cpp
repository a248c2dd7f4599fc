#include "platform/convert/convert.h"

#include <QDateTime>
#include <QVariant>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using convert::Error;

namespace {

// Runs `f` and returns the description of the convert::Error it throws, or a note that it threw none.
template <typename F> QString errorOf(F&& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
}

struct NumberCase {
    double value;
    const char* expected;
};

TEST(ConvertFormat, TwoDecimalsRoundHalvesAwayFromZeroInDecimal)
{
    const NumberCase cases[] = {
        {2.345, "2.35"},
        {-2.345, "-2.35"},
        {0.005, "0.01"},
        {-0.005, "-0.01"},
        {2.675, "2.68"},
        {1.005, "1.01"},
        {-1.005, "-1.01"},
        {0.994, "0.99"},
        {9.995, "10.00"},
        {99.999, "100.00"},
        {0, "0.00"},
        {-0.0, "0.00"},
        {-0.004, "0.00"},
        {0.0049, "0.00"},
        {1e-7, "0.00"},
        {123.4, "123.40"},
        {7, "7.00"},
        {1e7, "10000000.00"},
        {12345678.905, "12345678.91"},
        {21474836.475, "21474836.48"},
        {-1e7, "-10000000.00"},
        {1e15 + 0.5, "1000000000000000.50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::format0_00(c.value), QString::fromUtf8(c.expected)) << c.value;
}

TEST(ConvertFormat, PercentShowsTheRateTimesHundred)
{
    const NumberCase cases[] = {
        {0.002, "0.20%"}, {0, "0.00%"},       {0.00005, "0.01%"}, {0.000049, "0.00%"}, {0.12345, "12.35%"},
        {1, "100.00%"},   {-0.002, "-0.20%"}, {0.0005, "0.05%"},  {0.001, "0.10%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::formatPercent(c.value), QString::fromUtf8(c.expected)) << c.value;
}

TEST(ConvertFormat, NonFiniteValuesAreRefused)
{
    const double bad[] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (double v : bad) {
        EXPECT_EQ(errorOf([&] { convert::format0_00(v); }), QStringLiteral("溢出"));
        EXPECT_EQ(errorOf([&] { convert::plainNumber(v); }), QStringLiteral("溢出"));
    }
}

TEST(ConvertPercent, ParsesWithAndWithoutSign)
{
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"0.20%", 0.002}, {"0.2", 0.2},      {" 12.5 % ", 0.125}, {"0%", 0},
        {"100%", 1},      {"-0.2%", -0.002}, {"0.05%", 0.0005},   {"1e1%", 0.1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::parsePercent(QString::fromUtf8(c.text)), c.expected) << c.text;
    for (const char* bad : {"", "%", "abc", "1.2.3%", "0.2%%", "%0.2"})
        EXPECT_EQ(errorOf([&] { convert::parsePercent(QString::fromUtf8(bad)); }), QStringLiteral("类型不匹配")) << bad;
}

TEST(ConvertPercent, DisplayedRateReadsBackToTheStoredValue)
{
    for (double rate : {0.002, 0.0005, 0.001, 0.0123, 0.5})
        EXPECT_EQ(convert::parsePercent(convert::formatPercent(rate)), rate) << rate;
}

TEST(ConvertNumber, PlainNumberIsShortestWithoutExponent)
{
    const NumberCase cases[] = {
        {12.5, "12.5"},
        {0, "0"},
        {-0.0, "0"},
        {1e-5, "0.00001"},
        {1e7, "10000000"},
        {1e21, "1000000000000000000000"},
        {0.1, "0.1"},
        {-3.25, "-3.25"},
        {123456789.123, "123456789.123"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1.5e-10, "0.00000000015"},
        {100, "100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::plainNumber(c.value), QString::fromUtf8(c.expected)) << c.value;
}

TEST(ConvertNumber, FifteenDigitsAsVbWritesADouble)
{
    const std::pair<double, double> cases[] = {
        {13665 / 56.69 * 100, 24104.7803845475},
        {11910 / 56.69 * 100, 21008.996295643},
        {6030 / 56.69 * 100, 10636.7966131593},
        {0.1 + 0.2, 0.3},
        {123456789012345678.0, 123456789012346000.0},
        {-2.0000000000000005, -2},
        {9.999999999999998, 10},
        {0.000123456789012345678, 0.000123456789012346},
        {0, 0},
        {255, 255},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(convert::fifteenDigits(value), expected) << convert::plainNumber(value).toStdString();
    EXPECT_EQ(errorOf([] { convert::fifteenDigits(std::numeric_limits<double>::infinity()); }), QStringLiteral("溢出"));
}

TEST(ConvertInteger, SixteenBitRoundsHalvesToEvenAndChecksRange)
{
    const std::pair<double, int> cases[] = {
        {2.5, 2},    {3.5, 4},    {-2.5, -2},       {-3.5, -4},         {0.5, 0},         {1.5, 2},
        {2.4999, 2}, {2.5001, 3}, {32767.4, 32767}, {-32768.5, -32768}, {-32768, -32768}, {0, 0},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(convert::toInt16(value), expected) << value;
    for (double bad : {32767.5, 32768.0, -32768.6, 40000.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(errorOf([&] { convert::toInt16(bad); }), QStringLiteral("溢出")) << bad;
}

TEST(ConvertInteger, ThirtyTwoBitRoundsHalvesToEvenAndChecksRange)
{
    const std::pair<double, std::int32_t> cases[] = {
        {2.5, 2}, {3.5, 4}, {2147483647.4, 2147483647}, {-2147483648.5, -2147483647 - 1}, {1e9, 1000000000},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(convert::toInt32(value), expected) << value;
    for (double bad : {2147483647.5, -2147483649.0, 1e10, std::numeric_limits<double>::infinity()})
        EXPECT_EQ(errorOf([&] { convert::toInt32(bad); }), QStringLiteral("溢出")) << bad;
}

TEST(ConvertInteger, FromTextNeedsANumber)
{
    EXPECT_EQ(convert::toInt16(QStringLiteral("12")), 12);
    EXPECT_EQ(convert::toInt16(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(convert::toInt16(QStringLiteral("2.5")), 2);
    EXPECT_EQ(convert::toInt32(QStringLiteral("1e3")), 1000);
    EXPECT_EQ(convert::toInt32(QStringLiteral("-1,234")), -1234);
    for (const char* bad : {"", " ", "abc", "12abc", "5天"})
        EXPECT_EQ(errorOf([&] { convert::toInt16(QString::fromUtf8(bad)); }), QStringLiteral("类型不匹配")) << bad;
    EXPECT_EQ(errorOf([] { convert::toInt16(QStringLiteral("40000")); }), QStringLiteral("溢出"));
    EXPECT_EQ(errorOf([] { convert::toInt32(QStringLiteral("3000000000")); }), QStringLiteral("溢出"));
}

TEST(ConvertError, WhatIsUtf8OfTheDescription)
{
    try {
        convert::toInt16(1e6);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "溢出");
        EXPECT_EQ(static_cast<const Error&>(e).description(), QStringLiteral("溢出"));
    }
}

TEST(ConvertNumber, CurrencyIsToTenThousandths)
{
    EXPECT_EQ(convert::toCurrency(12.34).units(), 123400);
    EXPECT_EQ(convert::toCurrency(-0.0001).units(), -1);
    EXPECT_EQ(convert::toCurrency(21474836.47).units(), 214748364700);
    EXPECT_EQ(convert::toCurrency(0).units(), 0);
}

TEST(ConvertNumber, IntFloors)
{
    const std::pair<double, double> cases[] = {{2.7, 2}, {-2.3, -3}, {-2, -2}, {0, 0}, {0.999, 0}, {-0.5, -1}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(convert::intFloor(value), expected) << value;
}

TEST(ConvertNumber, ValReadsTheLeadingNumber)
{
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"12abc", 12}, {"abc", 0},     {"", 0},          {" 1 2 3", 123}, {"-5", -5}, {"- 5", -5},  {"3.5.6", 3.5},
        {"1e3", 1000}, {"1E-2", 0.01}, {"1d2", 100},     {"1e", 1},       {"1e+", 1}, {"1,234", 1}, {".5", 0.5},
        {"+7", 7},     {"12 元", 12},  {"1\t2\n3", 123}, {"-", 0},        {".", 0},   {"5.", 5},    {"0012", 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert::val(QString::fromUtf8(c.text)), c.expected) << c.text;
    EXPECT_EQ(errorOf([] { convert::val(QStringLiteral("1e999")); }), QStringLiteral("溢出"));
}

// Which values count as numbers is decided once: every numeric kind the database layer or a window
// can hand over, and never a text, a date or a Null.
TEST(ConvertNumber, IsNumberCoversEveryNumericKindAndNothingElse)
{
    const QVariant numbers[] = {
        QVariant(true),
        QVariant(int(-3)),
        QVariant(uint(3)),
        QVariant(qlonglong(1) << 40),
        QVariant(qulonglong(7)),
        QVariant::fromValue(short(-2)),
        QVariant::fromValue(ushort(2)),
        QVariant::fromValue(static_cast<signed char>(1)),
        QVariant::fromValue(static_cast<unsigned char>(200)),
        QVariant::fromValue(long(5)),
        QVariant(1.5f),
        QVariant(2.5),
        QVariant::fromValue(convert::toCurrency(1.2345)),
    };
    for (const QVariant& v : numbers) {
        EXPECT_TRUE(convert::isNumber(v)) << v.typeName();
        EXPECT_NO_THROW(convert::toDouble(v)) << v.typeName();
    }
    const QVariant others[] = {QVariant(), QVariant(QStringLiteral("12")), QVariant(QDate(2003, 5, 1)),
                               QVariant(QDateTime(QDate(2003, 5, 1), QTime(1, 2))), QVariant(QByteArray("1"))};
    for (const QVariant& v : others)
        EXPECT_FALSE(convert::isNumber(v)) << (v.isValid() ? v.typeName() : "invalid");
}

TEST(ConvertNumber, IsNumericAndToDoubleAgreeOnWholeTexts)
{
    const std::pair<const char*, double> numeric[] = {
        {"12", 12},          {" 12 ", 12}, {"-1.5", -1.5}, {"+2", 2},    {"1e3", 1000},
        {"1,234.5", 1234.5}, {".5", 0.5},  {"5.", 5},      {"0012", 12}, {"-0", 0},
    };
    for (const auto& [text, value] : numeric) {
        EXPECT_TRUE(convert::isNumeric(QString::fromUtf8(text))) << text;
        EXPECT_EQ(convert::toDouble(QString::fromUtf8(text)), value) << text;
    }
    for (const char* text :
         {"", " ", "abc", "12abc", "1 2", ".", "-", "1e", "e5", "1,23", ",123", "1e999", "nan", "inf"}) {
        EXPECT_FALSE(convert::isNumeric(QString::fromUtf8(text))) << text;
        EXPECT_THROW(convert::toDouble(QString::fromUtf8(text)), Error) << text;
    }
    EXPECT_EQ(errorOf([] { convert::toDouble(QStringLiteral("abc")); }), QStringLiteral("类型不匹配"));
}

TEST(ConvertNumber, ToDoubleOfVariants)
{
    EXPECT_EQ(convert::toDouble(QVariant(5)), 5);
    EXPECT_EQ(convert::toDouble(QVariant(qint64(1) << 40)), 1099511627776.0);
    EXPECT_EQ(convert::toDouble(QVariant(2.5)), 2.5);
    EXPECT_EQ(convert::toDouble(QVariant(2.5f)), 2.5);
    EXPECT_EQ(convert::toDouble(QVariant(QStringLiteral(" 3.5 "))), 3.5);
    EXPECT_EQ(convert::toDouble(QVariant::fromValue(convert::Currency::fromUnits(12345))), 1.2345);
    EXPECT_EQ(convert::toDouble(QVariant(true)), -1);
    EXPECT_EQ(convert::toDouble(QVariant(false)), 0);
    EXPECT_EQ(errorOf([] { convert::toDouble(QVariant()); }), QStringLiteral("无效使用 Null"));
    EXPECT_EQ(errorOf([] { convert::toDouble(QVariant(QStringLiteral("abc"))); }), QStringLiteral("类型不匹配"));
    EXPECT_EQ(errorOf([] { convert::toDouble(QVariant(QDate(2003, 5, 1))); }), QStringLiteral("类型不匹配"));
}

TEST(ConvertDate, AcceptsTheTypedShapes)
{
    struct Case {
        const char* text;
        QDate expected;
    } cases[] = {
        {"2003-7", QDate(2003, 7, 1)},       {"2003-07", QDate(2003, 7, 1)},      {"2003-7-15", QDate(2003, 7, 15)},
        {"2003-07-05", QDate(2003, 7, 5)},   {"2003/7/15", QDate(2003, 7, 15)},   {"2003/12", QDate(2003, 12, 1)},
        {"2003年5月", QDate(2003, 5, 1)},    {"2003年5月6日", QDate(2003, 5, 6)}, {"2003年05月06日", QDate(2003, 5, 6)},
        {" 2004-2-29 ", QDate(2004, 2, 29)}, {"2003-12-31", QDate(2003, 12, 31)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert::toDate(QString::fromUtf8(c.text)), c.expected) << c.text;
        EXPECT_TRUE(convert::isDate(QString::fromUtf8(c.text))) << c.text;
    }
}

TEST(ConvertDate, RefusesAnythingElse)
{
    const char* badShapes[] = {"abc",      "2003",    "03-7-1", "2003-7/1", "2003-7-1 10:00",
                               "2003.7.1", "2003-7-", "7-2003", "2003年5",  "2003-123"};
    for (const char* text : badShapes) {
        EXPECT_EQ(errorOf([&] { convert::toDate(QString::fromUtf8(text)); }),
                  QStringLiteral("日期格式不正确：") + QString::fromUtf8(text))
            << text;
        EXPECT_FALSE(convert::isDate(QString::fromUtf8(text))) << text;
    }
    const char* impossible[] = {"2003-13",  "2003-0",    "2003-2-30",  "2005-2-29",
                                "2003-7-0", "2003-4-31", "2003年13月", "0000-1-1"};
    for (const char* text : impossible) {
        EXPECT_EQ(errorOf([&] { convert::toDate(QString::fromUtf8(text)); }),
                  QStringLiteral("日期不存在：") + QString::fromUtf8(text))
            << text;
        EXPECT_FALSE(convert::isDate(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(errorOf([] { convert::toDate(QString()); }), QStringLiteral("没有输入日期"));
    EXPECT_EQ(errorOf([] { convert::toDate(QStringLiteral("  ")); }), QStringLiteral("没有输入日期"));
}

TEST(ConvertDate, Formats)
{
    const QDate d(2003, 5, 6);
    EXPECT_EQ(convert::formatIsoDate(d), QStringLiteral("2003-05-06"));
    EXPECT_EQ(convert::formatYearMonth(d), QStringLiteral("2003-05"));
    EXPECT_EQ(convert::formatYearMonthCn(d), QStringLiteral("2003年05月"));
    EXPECT_EQ(convert::formatYearMonthCn(QDate(2003, 11, 30)), QStringLiteral("2003年11月"));
    EXPECT_EQ(convert::formatIsoDate(QDate()), QString());
    EXPECT_EQ(convert::formatYearMonth(QDate()), QString());
    EXPECT_EQ(convert::formatYearMonthCn(QDate()), QString());
}

TEST(ConvertDate, MonthSuffixHasNoLeadingZero)
{
    const std::pair<QDate, const char*> cases[] = {
        {QDate(2004, 1, 10), "2004_1"},
        {QDate(2003, 5, 31), "2003_5"},
        {QDate(2003, 10, 1), "2003_10"},
        {QDate(2003, 12, 31), "2003_12"},
    };
    for (const auto& [date, expected] : cases)
        EXPECT_EQ(convert::monthSuffix(date), QString::fromUtf8(expected)) << date.toString().toStdString();
}

TEST(ConvertGb, ByteLengthsCountTwoForCjk)
{
    const std::pair<const char*, int> cases[] = {
        {"ab", 2}, {"污染", 4}, {"", 0}, {"a污b", 4}, {"县环境保护局 12", 15}, {"😀", 4},
    };
    for (const auto& [text, length] : cases)
        EXPECT_EQ(convert::gbByteLength(QString::fromUtf8(text)), length) << text;
}

TEST(ConvertGb, ConvertsBothWays)
{
    EXPECT_EQ(convert::toGb(QStringLiteral("污染")), QByteArray("\xCE\xDB\xC8\xBE"));
    for (const char* text : {"污染物排放费 A-1", "", "😀中文"})
        EXPECT_EQ(convert::fromGb(convert::toGb(QString::fromUtf8(text))), QString::fromUtf8(text)) << text;
    EXPECT_EQ(convert::fromGb(QByteArray("\xCE\xDB\xC8\xBE")), QStringLiteral("污染"));
    // A cut-off double-byte character and a byte that starts none are refused, not dropped.
    EXPECT_THROW(convert::fromGb(QByteArray("ab\xCE")), Error);
    EXPECT_THROW(convert::fromGb(QByteArray("\xFF")), Error);
}

} // namespace

namespace {

TEST(ConvertFormat, YenWithThousandsSeparators)
{
    struct Case {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {1234.5, 2, "￥1,234.50"},
        {0, 2, "￥0.00"},
        {999.995, 2, "￥1,000.00"},
        {1234567.891, 2, "￥1,234,567.89"},
        {-1234.5, 2, "-￥1,234.50"},
        {-0.004, 2, "￥0.00"},
        {123, 2, "￥123.00"},
        {2.675, 2, "￥2.68"},
        {1234.5, 0, "￥1,235"},
        {1234.4, 0, "￥1,234"},
        {999999.5, 0, "￥1,000,000"},
        {-2.5, 0, "-￥3"},
        {0.4, 0, "￥0"},
        {100, 0, "￥100"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(convert::formatYen(c.value, c.decimals), QString::fromUtf8(c.expected)) << c.value;
}

TEST(ConvertFormat, LongAndShortDates)
{
    EXPECT_EQ(convert::formatLongDate(QDate(2003, 5, 9)), QStringLiteral("2003年5月9日"));
    EXPECT_EQ(convert::formatLongDate(QDate(2003, 12, 31)), QStringLiteral("2003年12月31日"));
    EXPECT_EQ(convert::formatShortDate(QDate(2003, 5, 9)), QStringLiteral("2003-5-9"));
    EXPECT_EQ(convert::formatLongDate(QDate()), QString());
    EXPECT_EQ(convert::formatShortDate(QDate()), QString());
}

TEST(ConvertFormat, ByFormatText)
{
    struct Case {
        QVariant value;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {1234.5, "\"￥\"#,##0.00", "￥1,234.50"},
        {QVariant::fromValue(convert::Currency::fromUnits(12345678)), "\"￥\"#,##0.00", "￥1,234.57"},
        {QVariant::fromValue(convert::Currency::fromUnits(12345678)), "\"￥\"#,##0", "￥1,235"},
        {QStringLiteral("1200.00"), "\"￥\"#,##0", "￥1,200"},
        {2.345, "0.00", "2.35"},
        {0.002, "0.00%", "0.20%"},
        {QDate(2003, 5, 9), "Long Date", "2003年5月9日"},
        {QStringLiteral("2003-05-09"), "Short Date", "2003-5-9"},
        {QStringLiteral("2003-05-09 10:11:12"), "long date", "2003年5月9日"},
        {QDate(2003, 5, 9), "yyyy-mm-dd", "2003-05-09"},
        {QDate(2003, 5, 9), "yyyy年mm月", "2003年05月"},
        {QVariant(), "\"￥\"#,##0.00", ""},
        {12.5, "", "12.5"},
        {QVariant::fromValue(convert::Currency::fromUnits(30000)), "", "3"},
        {QStringLiteral("排污"), "", "排污"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(convert::format(c.value, QString::fromUtf8(c.format)), QString::fromUtf8(c.expected))
            << c.format << " " << c.value.toString().toStdString();

    EXPECT_EQ(errorOf([] { convert::format(1.5, QStringLiteral("#.###")); }), QStringLiteral("不支持的格式：#.###"));
    EXPECT_EQ(errorOf([] { convert::format(QStringLiteral("abc"), QStringLiteral("0.00")); }),
              QStringLiteral("类型不匹配"));
    EXPECT_EQ(errorOf([] { convert::format(QStringLiteral("abc"), QStringLiteral("Long Date")); }),
              QStringLiteral("类型不匹配"));
}

} // namespace
