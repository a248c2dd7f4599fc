#include "platform/convert/convert.h"

#include <QVariant>
#include <gtest/gtest.h>
#include <limits>

using convert::Currency;

namespace {

TEST(Currency, TextToTenThousandthsHalvesToEvenOnTheDigits)
{
    const struct {
        const char* text;
        std::int64_t units;
    } cases[] = {
        {"12.34", 123400},
        {"-0.5", -5000},
        {"1,234.50", 12345000},
        {" 7 ", 70000},
        {".5", 5000},
        {"5.", 50000},
        {"+3", 30000},
        {"0.00005", 0},
        {"0.00015", 2},
        {"0.000150001", 2},
        {"0.000050001", 1},
        {"-0.00025", -2},
        {"21474836.47", 214748364700},
        {"922337203685477.5807", std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Currency::fromText(QString::fromUtf8(c.text)).units(), c.units);
    }
}

TEST(Currency, TextThatIsNoAmountIsRefused)
{
    for (const char* text : {"", " ", "abc", "12a", "1,23.5", ",123", "1.2.3", "--1", ".", "1e3"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Currency::fromText(QString::fromUtf8(text)), convert::Error);
    }
    try {
        Currency::fromText(QStringLiteral("922337203685477.5808"));
        ADD_FAILURE() << "no overflow";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("溢出"));
    }
}

TEST(Currency, FromDoubleTakesTheValueAsWritten)
{
    EXPECT_EQ(Currency::fromDouble(0.1).units(), 1000);
    EXPECT_EQ(Currency::fromDouble(0.1 + 0.2).units(), 3000); // 0.30000000000000004
    EXPECT_EQ(Currency::fromDouble(1.00005).units(), 10000); // a half, to even
    EXPECT_EQ(Currency::fromDouble(1.00015).units(), 10002);
    EXPECT_EQ(Currency::fromDouble(-2.5).units(), -25000);
    EXPECT_THROW(Currency::fromDouble(1e16), convert::Error);
    EXPECT_THROW(Currency::fromDouble(std::numeric_limits<double>::quiet_NaN()), convert::Error);
}

TEST(Currency, FenAndTextForms)
{
    const struct {
        std::int64_t units;
        std::int32_t fen;
        const char* twoDecimals;
        const char* plain;
    } cases[] = {
        {123450, 1235, "12.35", "12.345"},
        {-123450, -1235, "-12.35", "-12.345"},
        {125000, 1250, "12.50", "12.5"},
        {30000, 300, "3.00", "3"},
        {1, 0, "0.00", "0.0001"},
        {-49, 0, "0.00", "-0.0049"},
        {999950, 10000, "100.00", "99.995"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.units);
        const Currency m = Currency::fromUnits(c.units);
        EXPECT_EQ(m.toFen(), c.fen);
        EXPECT_EQ(m.toString(), QString::fromUtf8(c.twoDecimals));
        EXPECT_EQ(m.toPlainString(), QString::fromUtf8(c.plain));
    }
    EXPECT_THROW(Currency::fromUnits(std::int64_t(214748364800)).toFen(), convert::Error); // 21474836.48 yuan
    EXPECT_EQ(Currency::fromUnits(214748364700).toFen(), 2147483647);
}

TEST(Currency, AVariantShowsThePlainAmountAndReadsAsYuan)
{
    const QVariant v = QVariant::fromValue(Currency::fromUnits(125000));
    EXPECT_EQ(v.toString(), QStringLiteral("12.5"));
    EXPECT_EQ(v.toDouble(), 12.5);
    EXPECT_EQ(v, QVariant::fromValue(Currency::fromUnits(125000)));
    EXPECT_NE(v, QVariant::fromValue(Currency::fromUnits(125001)));
}

} // namespace
