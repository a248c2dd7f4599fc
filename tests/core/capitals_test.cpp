#include "platform/convert/convert.h"
#include "qelv/core/capitals.h"

#include <gtest/gtest.h>

namespace {

struct CapitalsCase {
    const char* amount;
    const char* stored; // the spelled amount with the closing 整, as invoices and notices store it
};
void PrintTo(const CapitalsCase& c, std::ostream* os)
{
    *os << c.amount;
}

class Capitals : public ::testing::TestWithParam<CapitalsCase> { };

TEST_P(Capitals, SpellTheAmountInWholeFen)
{
    const CapitalsCase& c = GetParam();
    const convert::Currency amount = convert::Currency::fromText(QString::fromLatin1(c.amount));
    EXPECT_EQ(AmountToChineseCapitals(amount) + QStringLiteral("整"), QString::fromUtf8(c.stored)) << c.amount;
}

INSTANTIATE_TEST_SUITE_P(
    InvoiceTotals, Capitals,
    ::testing::Values(CapitalsCase{"0.07", "柒分整"}, CapitalsCase{"0.50", "伍角整"},
                      CapitalsCase{"1.05", "壹元零伍分整"}, CapitalsCase{"10.00", "壹拾元整"},
                      CapitalsCase{"10.05", "壹拾元零伍分整"}, CapitalsCase{"10.50", "壹拾元伍角整"},
                      CapitalsCase{"405.00", "肆佰零伍元整"}, CapitalsCase{"1000.05", "壹仟元零伍分整"},
                      CapitalsCase{"1005.00", "壹仟零伍元整"}, CapitalsCase{"3000.60", "叁仟元陆角整"},
                      CapitalsCase{"10000.50", "壹万元伍角整"}, CapitalsCase{"10010.00", "壹万零壹拾元整"},
                      CapitalsCase{"60020.08", "陆万零贰拾元零捌分整"}, CapitalsCase{"100000.00", "壹拾万元整"},
                      CapitalsCase{"100500.00", "壹拾万零伍佰元整"}, CapitalsCase{"101000.00", "壹拾万壹仟元整"},
                      CapitalsCase{"10000500.00", "壹仟万零伍佰元整"},
                      CapitalsCase{"12345678.90", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角整"},
                      CapitalsCase{"21474836.47", "贰仟壹佰肆拾柒万肆仟捌佰叁拾陆元肆角柒分整"},
                      // The part below one fen is dropped, never rounded up.
                      CapitalsCase{"1012.3456", "壹仟零壹拾贰元叁角肆分整"}, CapitalsCase{"0.0999", "玖分整"}));

INSTANTIATE_TEST_SUITE_P(
    NoticeTotals, Capitals,
    ::testing::Values(CapitalsCase{"1005.50", "壹仟零伍元伍角整"}, CapitalsCase{"100000.00", "壹拾万元整"},
                      CapitalsCase{"1000050.00", "壹佰万零伍拾元整"}, CapitalsCase{"20000500.00", "贰仟万零伍佰元整"},
                      CapitalsCase{"100.10", "壹佰元壹角整"}, CapitalsCase{"1.05", "壹元零伍分整"},
                      CapitalsCase{"0.05", "伍分整"},
                      // Above zero but below one fen: no digit to place; nor for
                      // a total of zero or less.
                      CapitalsCase{"0.0099", "整"}, CapitalsCase{"0", "整"}, CapitalsCase{"-5.00", "整"}));

TEST(CapitalsOverflow, FromTheFirstCountOfFenBeyond32BitsTheAmountIsRefused)
{
    EXPECT_NO_THROW(AmountToChineseCapitals(convert::Currency::fromText(QStringLiteral("21474836.4799"))));
    try {
        AmountToChineseCapitals(convert::Currency::fromText(QStringLiteral("21474836.48")));
        FAIL() << "no overflow reported";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("溢出"));
    }
    EXPECT_THROW(AmountToChineseCapitals(convert::Currency::fromText(QStringLiteral("900000000000"))), convert::Error);
}

} // namespace
