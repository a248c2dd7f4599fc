#include "platform/convert/currency.h"

#include "platform/convert/convert.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace convert {

namespace {

[[noreturn]] void throwOverflow()
{
    throw Error(QStringLiteral("溢出"));
}
[[noreturn]] void throwTypeMismatch()
{
    throw Error(QStringLiteral("类型不匹配"));
}

// A plain decimal text ("-1234.56789", digits only apart from one sign and one point) to
// ten-thousandths, the digits beyond the fourth decimal rounded half to even. Works on the digits,
// so a value written 0.00005 is exactly half a unit. False when the text has another shape.
bool decimalToUnits(const std::string& text, std::int64_t* out)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string whole, fraction;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        whole += text[i++];
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            fraction += text[i++];
    }
    if (i != text.size() || (whole.empty() && fraction.empty()))
        return false;

    // Magnitude in units, checked against the range as it grows.
    const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
    std::uint64_t units = 0;
    auto push = [&](char digit) {
        if (units > (limit - static_cast<std::uint64_t>(digit - '0')) / 10)
            throwOverflow();
        units = units * 10 + static_cast<std::uint64_t>(digit - '0');
    };
    for (char c : whole)
        push(c);
    for (std::size_t k = 0; k < 4; ++k)
        push(k < fraction.size() ? fraction[k] : '0');

    if (fraction.size() > 4) {
        const char first = fraction[4];
        const bool restZero = fraction.find_first_not_of('0', 5) == std::string::npos;
        const bool up = first > '5' || (first == '5' && (!restZero || (units % 2) == 1));
        if (up) {
            if (units == limit)
                throwOverflow();
            ++units;
        }
    }
    *out = negative ? static_cast<std::int64_t>(0 - units) : static_cast<std::int64_t>(units);
    return true;
}

// Integer part and four decimals of a unit count, the sign apart.
void splitUnits(std::int64_t units, bool* negative, std::uint64_t* whole, int* frac)
{
    *negative = units < 0;
    const std::uint64_t magnitude =
        *negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    *whole = magnitude / 10000;
    *frac = static_cast<int>(magnitude % 10000);
}

// A Currency shows as text (QVariant::toString, a text box bound to a money field) in its plain
// form, and reads as its value in yuan where a double is asked for.
[[maybe_unused]] const bool conversionsRegistered = [] {
    QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
    QMetaType::registerConverter<Currency, QString>(&Currency::toPlainString);
    return true;
}();

} // namespace

Currency Currency::fromDouble(double yuan)
{
    if (!std::isfinite(yuan) || std::fabs(yuan) >= 922337203685477.5808)
        throwOverflow();
    // The shortest text that reads back as the same double: the value as it was written or stored.
    char buffer[400];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, yuan, std::chars_format::fixed);
    if (res.ec != std::errc())
        throwOverflow();
    std::int64_t units = 0;
    if (!decimalToUnits(std::string(buffer, res.ptr), &units))
        throwOverflow();
    return fromUnits(units);
}

Currency Currency::fromText(const QString& text)
{
    QString t = text.trimmed();
    // Thousands separators: groups of three digits after the first group, before any point.
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? t : t.left(point);
    if (intPart.contains(QLatin1Char(','))) {
        QString digits = intPart;
        if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+')))
            digits.remove(0, 1);
        const QStringList groups = digits.split(QLatin1Char(','));
        bool valid = !groups.first().isEmpty() && groups.first().size() <= 3;
        for (qsizetype g = 1; g < groups.size(); ++g)
            valid = valid && groups[g].size() == 3;
        if (!valid)
            throwTypeMismatch();
        t.remove(QLatin1Char(','));
    }
    std::int64_t units = 0;
    if (t.isEmpty() || !decimalToUnits(t.toStdString(), &units))
        throwTypeMismatch();
    return fromUnits(units);
}

std::int32_t Currency::toFen() const
{
    // 100 units are one fen; a remainder of 50 or more rounds away from zero.
    std::int64_t fen = units_ / 100;
    const std::int64_t rest = units_ % 100;
    if (rest >= 50)
        ++fen;
    else if (rest <= -50)
        --fen;
    if (fen < std::numeric_limits<std::int32_t>::min() || fen > std::numeric_limits<std::int32_t>::max())
        throwOverflow();
    return static_cast<std::int32_t>(fen);
}

QString Currency::toString() const
{
    bool negative = false;
    std::uint64_t whole = 0;
    int frac = 0;
    splitUnits(units_, &negative, &whole, &frac);
    int cents = frac / 100;
    if (frac % 100 >= 50 && ++cents == 100) {
        cents = 0;
        ++whole;
    }
    if (whole == 0 && cents == 0)
        negative = false; // an amount that rounds to nothing shows as 0.00, never -0.00
    return QStringLiteral("%1%2.%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(whole)
        .arg(cents, 2, 10, QLatin1Char('0'));
}

QString Currency::toPlainString() const
{
    bool negative = false;
    std::uint64_t whole = 0;
    int frac = 0;
    splitUnits(units_, &negative, &whole, &frac);
    QString s = QString::number(whole);
    if (frac != 0) {
        QString decimals = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        s += QLatin1Char('.') + decimals;
    }
    return negative ? QLatin1Char('-') + s : s;
}

} // namespace convert
