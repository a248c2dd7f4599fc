#include "platform/convert/convert.h"

#include <QRegularExpression>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iconv.h>
#include <limits>
#include <string>

namespace convert {

namespace {

const char* const overflowText = "溢出";
const char* const typeMismatchText = "类型不匹配";

[[noreturn]] void throwOverflow()
{
    throw Error(QString::fromUtf8(overflowText));
}
[[noreturn]] void throwTypeMismatch()
{
    throw Error(QString::fromUtf8(typeMismatchText));
}

// A double as the decimal text it was typed or stored as: the shortest digits that read back as the
// same double. Rounding these digits, not the binary value, is what makes 2.675 round to 2.68.
// The value is 0.<digits> times ten to the power `point`, i.e. the decimal point sits after
// `point` digits (before them when negative).
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;

    bool isZero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

Decimal toDecimal(double value)
{
    if (!std::isfinite(value))
        throwOverflow();
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string text(buf, res.ptr); // "-1.2345e-05": shortest round-trip digits
    Decimal d;
    std::size_t pos = 0;
    if (text[pos] == '-') {
        d.negative = true;
        ++pos;
    }
    const std::size_t e = text.find('e', pos);
    for (std::size_t i = pos; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    d.point = std::stoi(text.substr(e + 1)) + 1;
    if (d.isZero()) {
        d.negative = false; // "-0" is shown as 0
        d.digits.assign(1, '0');
        d.point = 1;
    }
    return d;
}

// Rounds to `decimals` places, halves away from zero (the first dropped digit decides, the digits being
// the exact decimal value).
void roundDecimals(Decimal& d, int decimals)
{
    const int keep = d.point + decimals;
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d = Decimal{false, "0", 1};
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i >= 0)
            ++d.digits[i];
        else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    if (d.digits.empty() || d.isZero())
        d = Decimal{false, "0", 1}; // a value that rounds to nothing shows as 0, never "-0.00"
}

// Plain text of a decimal; `decimals` < 0 gives just the digits there are.
QString render(const Decimal& d, int decimals)
{
    std::string intPart;
    std::string fracPart;
    const int n = static_cast<int>(d.digits.size());
    if (d.point <= 0) {
        intPart = "0";
        fracPart = std::string(-d.point, '0') + d.digits;
    } else if (d.point >= n) {
        intPart = d.digits + std::string(d.point - n, '0');
    } else {
        intPart = d.digits.substr(0, d.point);
        fracPart = d.digits.substr(d.point);
    }
    if (decimals < 0) {
        const auto last = fracPart.find_last_not_of('0');
        fracPart.resize(last == std::string::npos ? 0 : last + 1);
    } else {
        fracPart.resize(decimals, '0');
    }
    std::string out = d.negative ? "-" : "";
    out += intPart;
    if (!fracPart.empty())
        out += "." + fracPart;
    return QString::fromStdString(out);
}

double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff > 0.5)
        return lower + 1.0;
    if (diff < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <typename Int> Int toInteger(double value)
{
    if (std::isnan(value))
        throwOverflow();
    const double r = roundHalfEven(value);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throwOverflow();
    return static_cast<Int>(r);
}

// Reads a decimal number written the C way ("-12.5e3") into a double; false on anything else and
// throws Error("溢出") when it does not fit a double.
bool readDouble(const std::string& text, double* out)
{
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return false;
    double v = 0;
    const auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars reports an underflow to zero the same way; only a huge magnitude overflows.
        const double approx = std::strtod(std::string(first, last).c_str(), nullptr);
        if (std::isinf(approx))
            throwOverflow();
        v = approx;
    } else if (res.ec != std::errc() || res.ptr != last) {
        return false;
    }
    *out = negative ? -v : v;
    return true;
}

// A whole numeric text as IsNumeric and CDbl take it: blanks around, a sign, digits with thousands
// separators in the integer part, a decimal point, an exponent ("1,234.5", "-.5", "1e3").
bool parseNumeric(const QString& text, double* out)
{
    static const QRegularExpression shape(
        QStringLiteral("^[+-]?(?:\\d{1,3}(?:,\\d{3})+|\\d+)?(?:\\.\\d*)?(?:[eE][+-]?\\d+)?$"));
    const QString t = text.trimmed();
    if (t.isEmpty() || !shape.match(t).hasMatch())
        return false;
    QString plain = t;
    plain.remove(QLatin1Char(','));
    // At least one digit before the exponent: "." or "-e5" is no number.
    const qsizetype e = plain.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    const QString mantissa = e < 0 ? plain : plain.left(e);
    if (!mantissa.contains(QRegularExpression(QStringLiteral("\\d"))))
        return false;
    return readDouble(plain.toStdString(), out);
}

// iconv between UTF-8 and GB18030; throws Error when the bytes are not valid in the source encoding.
QByteArray iconvConvert(const char* to, const char* from, const QByteArray& input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw Error(QStringLiteral("无法进行编码转换：%1 -> %2").arg(QLatin1String(from), QLatin1String(to)));
    QByteArray output;
    output.resize(input.size() * 4 + 16);
    char* in = const_cast<char*>(input.constData());
    std::size_t inLeft = static_cast<std::size_t>(input.size());
    char* outPtr = output.data();
    std::size_t outLeft = static_cast<std::size_t>(output.size());
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (rc != static_cast<std::size_t>(-1))
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft); // flush any shift state
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        // An invalid or incomplete sequence: refuse the text rather than cut or mangle it.
        throw Error(QStringLiteral("文本含有无法转换的字符（%1 -> %2）").arg(QLatin1String(from), QLatin1String(to)));
    }
    output.resize(outPtr - output.data());
    return output;
}

} // namespace

// --- numbers --------------------------------------------------------------------------------------

QString format0_00(double value)
{
    Decimal d = toDecimal(value);
    roundDecimals(d, 2);
    return render(d, 2);
}

QString formatPercent(double value)
{
    Decimal d = toDecimal(value);
    if (!d.isZero())
        d.point += 2; // times 100 in decimal, so 0.002 is exactly 0.2
    roundDecimals(d, 2);
    return render(d, 2) + QLatin1Char('%');
}

double parsePercent(const QString& text)
{
    QString t = text.trimmed();
    const bool percent = t.endsWith(QLatin1Char('%'));
    if (percent)
        t.chop(1);
    double v = 0;
    if (!parseNumeric(t, &v))
        throwTypeMismatch();
    if (!percent)
        return v;
    // Divide by 100 in decimal: reading "0.20e-2" gives the double nearest to 0.002, which 0.2 / 100
    // does not always.
    QString plain = t.trimmed();
    plain.remove(QLatin1Char(','));
    const qsizetype e = plain.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    const int exponent = e < 0 ? 0 : plain.mid(e + 1).toInt();
    const QString mantissa = e < 0 ? plain : plain.left(e);
    double result = 0;
    if (!readDouble((mantissa + QStringLiteral("e%1").arg(exponent - 2)).toStdString(), &result))
        throwTypeMismatch();
    return result;
}

QString plainNumber(double value)
{
    return render(toDecimal(value), -1);
}

double fifteenDigits(double value)
{
    Decimal d = toDecimal(value);
    if (d.isZero())
        return 0.0;
    // The digits start with the first significant one, d.point of them before the decimal point.
    roundDecimals(d, 15 - d.point);
    double out = 0;
    readDouble(render(d, -1).toStdString(), &out);
    return out;
}

QString formatYen(double value, int decimals)
{
    Decimal d = toDecimal(value);
    roundDecimals(d, decimals);
    const bool negative = d.negative;
    d.negative = false;
    QString text = render(d, decimals);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    for (qsizetype i = (point < 0 ? text.size() : point) - 3; i > 0; i -= 3)
        text.insert(i, QLatin1Char(','));
    return (negative ? QStringLiteral("-") : QString()) + QStringLiteral("￥") + text;
}

std::int16_t toInt16(double value)
{
    return toInteger<std::int16_t>(value);
}
std::int32_t toInt32(double value)
{
    return toInteger<std::int32_t>(value);
}
std::int16_t toInt16(const QString& text)
{
    return toInt16(toDouble(text));
}
std::int32_t toInt32(const QString& text)
{
    return toInt32(toDouble(text));
}

Currency toCurrency(double value)
{
    return Currency::fromDouble(value);
}

double intFloor(double value)
{
    return std::floor(value);
}

double val(const QString& text)
{
    // Blanks, tabs and line feeds are dropped anywhere; reading stops at the first character that
    // cannot continue the number.
    std::string s;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s += c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x01';
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        number += s[i++];
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        number += s[i++];
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            number += s[i++];
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exponent += s[j++];
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            exponent += s[j++];
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    if (number.back() == '.')
        number.pop_back();
    double v = 0;
    readDouble(number, &v);
    return v;
}

bool isNumeric(const QString& text)
{
    double v = 0;
    try {
        return parseNumeric(text, &v);
    } catch (const Error&) {
        return false; // too large for a double
    }
}

double toDouble(const QString& text)
{
    double v = 0;
    if (!parseNumeric(text, &v))
        throwTypeMismatch();
    return v;
}

bool isIntegerType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloatingType(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}

bool isNumber(const QVariant& value)
{
    const int type = value.userType();
    return type == QMetaType::Bool || type == qMetaTypeId<Currency>() || isIntegerType(type) || isFloatingType(type);
}

double toDouble(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        throw Error(QStringLiteral("无效使用 Null"));
    const int type = value.userType();
    if (type == qMetaTypeId<Currency>())
        return value.value<Currency>().toDouble();
    if (type == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0; // True is -1, as in the data the program was made for
    if (isNumber(value))
        return value.toDouble();
    if (type == QMetaType::QString)
        return toDouble(value.toString());
    throwTypeMismatch();
}

// --- dates -----------------------------------------------------------------------------------------

QDate toDate(const QString& text)
{
    static const QRegularExpression dashed(QStringLiteral("^(\\d{4})([-/])(\\d{1,2})(?:\\2(\\d{1,2}))?$"));
    static const QRegularExpression chinese(QStringLiteral("^(\\d{4})年(\\d{1,2})月(?:(\\d{1,2})日)?$"));
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw Error(QStringLiteral("没有输入日期"));
    int year = 0, month = 0, day = 1;
    if (const auto m = dashed.match(t); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(3).toInt();
        if (m.hasCaptured(4))
            day = m.captured(4).toInt();
    } else if (const auto c = chinese.match(t); c.hasMatch()) {
        year = c.captured(1).toInt();
        month = c.captured(2).toInt();
        if (c.hasCaptured(3))
            day = c.captured(3).toInt();
    } else {
        throw Error(QStringLiteral("日期格式不正确：%1").arg(t));
    }
    const QDate date(year, month, day);
    if (year < 1 || !date.isValid())
        throw Error(QStringLiteral("日期不存在：%1").arg(t));
    return date;
}

bool isDate(const QString& text)
{
    try {
        toDate(text);
        return true;
    } catch (const Error&) {
        return false;
    }
}

QString formatIsoDate(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString formatYearMonth(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM")) : QString();
}

QString formatYearMonthCn(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("yyyy年MM月")) : QString();
}

QString formatLongDate(const QDate& date)
{
    return date.isValid() ? QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day())
                          : QString();
}

QString formatShortDate(const QDate& date)
{
    return date.isValid() ? QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day()) : QString();
}

QString monthSuffix(const QDate& date)
{
    return QStringLiteral("%1_%2").arg(date.year()).arg(date.month());
}

// --- formats by name -------------------------------------------------------------------------------

QString format(const QVariant& value, const QString& formatText)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QString f = formatText.trimmed();
    using NumberFormat = QString (*)(double);
    static const std::pair<const char*, NumberFormat> numbers[] = {
        {"0.00", format0_00},
        {"0.00%", formatPercent},
        {"\"￥\"#,##0.00", [](double v) { return formatYen(v, 2); }},
        {"\"￥\"#,##0", [](double v) { return formatYen(v, 0); }},
    };
    using DateFormat = QString (*)(const QDate&);
    static const std::pair<const char*, DateFormat> dates[] = {
        {"yyyy-mm-dd", formatIsoDate},
        {"yyyy年mm月", formatYearMonthCn},
        {"Long Date", formatLongDate},
        {"Short Date", formatShortDate},
    };
    if (f.isEmpty()) {
        if (isNumber(value) && value.userType() != QMetaType::Bool)
            return value.userType() == qMetaTypeId<Currency>() ? value.value<Currency>().toPlainString()
                                                               : plainNumber(value.toDouble());
        return value.toString();
    }
    for (const auto& [name, apply] : numbers)
        if (f == QString::fromUtf8(name))
            return apply(toDouble(value));
    for (const auto& [name, apply] : dates) {
        if (f.compare(QString::fromUtf8(name), Qt::CaseInsensitive) != 0)
            continue;
        if (value.userType() == QMetaType::QDate)
            return apply(value.toDate());
        if (value.userType() == QMetaType::QDateTime)
            return apply(value.toDateTime().date());
        // dates are kept as ISO text, with a time where one is kept
        const QDate date = QDate::fromString(value.toString().left(10), QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            throwTypeMismatch();
        return apply(date);
    }
    throw Error(QStringLiteral("不支持的格式：%1").arg(f));
}

// --- the Chinese code page --------------------------------------------------------------------------

int gbByteLength(const QString& text)
{
    return static_cast<int>(toGb(text).size());
}

QByteArray toGb(const QString& text)
{
    return iconvConvert("GB18030", "UTF-8", text.toUtf8());
}

QString fromGb(const QByteArray& bytes)
{
    return QString::fromUtf8(iconvConvert("UTF-8", "GB18030", bytes));
}

} // namespace convert
