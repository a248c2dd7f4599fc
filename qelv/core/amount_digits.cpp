#include "qelv/core/amount_digits.h"

#include "platform/convert/convert.h"
#include "qelv/core/fee_items.h"

#include <cstdint>
#include <limits>

namespace amountDigits {

const std::array<QString, 10>& columnNames()
{
    static const std::array<QString, 10> names = {
        QStringLiteral("千万"), QStringLiteral("百万"), QStringLiteral("十万"), QStringLiteral("万"),
        QStringLiteral("千"),   QStringLiteral("百"),   QStringLiteral("十"),   QStringLiteral("元"),
        QStringLiteral("角"),   QStringLiteral("分")};
    return names;
}

std::array<QString, 10> digits(convert::Currency amount)
{
    std::array<QString, 10> out;
    out.fill(QStringLiteral(" "));
    const std::int64_t fen = feeItems::wholeFen(amount).units() / 100;
    if (fen > std::numeric_limits<std::int32_t>::max())
        throw convert::Error(QStringLiteral("溢出"));
    int column = 9;
    for (std::int32_t n = static_cast<std::int32_t>(fen); n > 0; n /= 10)
        out[column--] = QString::number(n % 10);
    return out;
}

} // namespace amountDigits
