#pragma once
// Money as the database keeps it: a 64-bit count of ten-thousandths of a yuan, so sums are exact.
#include <QMetaType>
#include <QString>
#include <cstdint>

namespace convert {

class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency fromUnits(std::int64_t tenThousandths)
    {
        Currency c;
        c.units_ = tenThousandths;
        return c;
    }
    // Rounds to the nearest ten-thousandth, halves to even; throws convert::Error when out of range.
    static Currency fromDouble(double yuan);
    // Parses "12.34", "-0.5", "1,234.50"; throws convert::Error on anything else.
    static Currency fromText(const QString& text);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return static_cast<double>(units_) / 10000.0; }
    // Whole fen, halves away from zero, checked against the 32-bit range; throws convert::Error when outside.
    std::int32_t toFen() const;
    // "0.00"-style text with two decimals, halves away from zero: 12.345 -> "12.35".
    QString toString() const;
    // The exact amount in its shortest plain form, as a money field shows in a text box:
    // 12.5 -> "12.5", 3 -> "3", 0.0001 -> "0.0001". QVariant::toString() of a Currency gives this,
    // and QVariant::toDouble() the amount in yuan.
    QString toPlainString() const;

    constexpr Currency operator+(Currency o) const { return fromUnits(units_ + o.units_); }
    constexpr Currency operator-(Currency o) const { return fromUnits(units_ - o.units_); }
    constexpr Currency& operator+=(Currency o)
    {
        units_ += o.units_;
        return *this;
    }
    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t units_ = 0;
};

} // namespace convert

Q_DECLARE_METATYPE(convert::Currency)
