#include "qelv/core/capitals.h"

#include "platform/convert/convert.h"

#include <array>
#include <cstdint>
#include <limits>

QString AmountToChineseCapitals(convert::Currency amount)
{
    static const QString numerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    // Units from the fen position upwards.
    static const QString units = QStringLiteral("分角元拾佰仟万拾佰仟");
    constexpr int positions = 10;

    // Whole fen, rounded down, never up: the figures beside the capitals may show one fen more. An
    // amount that is not above zero has no digit to spell.
    const std::int64_t fen = amount.units() > 0 ? amount.units() / 100 : 0;
    if (fen > std::numeric_limits<std::int32_t>::max())
        throw convert::Error(QStringLiteral("溢出"));

    std::array<int, positions> digits{};
    int top = -1;
    for (std::int32_t n = static_cast<std::int32_t>(fen); n > 0; n /= 10)
        digits[++top] = n % 10;

    QString text;
    for (int p = 0; p <= top; ++p) {
        const QChar unit = units.at(p);
        if (digits[p] != 0) {
            text.prepend(unit);
            text.prepend(numerals.at(digits[p]));
        } else if (unit == QChar(u'万') || unit == QChar(u'元')) {
            // The ten thousands and the ones are named even when their own digit is zero.
            text.prepend(unit);
        } else if (!text.isEmpty() && text.front() != QChar(u'零') && text.front() != QChar(u'元') &&
                   text.front() != QChar(u'万')) {
            text.prepend(QChar(u'零'));
        }
    }
    return text;
}
