#pragma once
// The conversions and formats every window and generator uses, with the rules the stored data was
// made under (VB/Jet): no other file rounds, parses or formats numbers and dates on its own.
#include "platform/convert/currency.h"

#include "platform/error/error.h"
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <QVariant>
#include <cstdint>
#include <stdexcept>

namespace convert {

// A value that does not convert.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// --- numbers --------------------------------------------------------------------------------------
// The formats below round the decimal value a double stands for (its shortest round-trip digits), so
// 2.675 gives "2.68" and 1.005 gives "1.01"; a value that rounds to zero shows without a minus sign.
// Infinity and NaN throw Error ("溢出").
// "0.00": two decimals, halves away from zero (Format$ rules): 2.345 -> "2.35", -2.345 -> "-2.35".
QString format0_00(double value);
// "0.00%": value times 100 with two decimals and a percent sign: 0.002 -> "0.20%".
QString formatPercent(double value);
// Reverse of formatPercent for a typed rate: "0.20%" -> 0.002, "0.2" (no sign) -> 0.2; throws Error.
double parsePercent(const QString& text);
// Shortest plain decimal form: 12.5 -> "12.5", 0 -> "0", 1e-5 -> "0.00001", never an exponent.
QString plainNumber(double value);
// A double as it reads back from the text VB writes for it (Str, &): rounded to 15 significant digits,
// halves away from zero: 24104.780384547543 -> 24104.7803845475. Infinity and NaN throw Error ("溢出").
double fifteenDigits(double value);
// "\"￥\"#,##0.00" (decimals 2) and "\"￥\"#,##0" (decimals 0): the fullwidth yen sign, thousands
// separators, halves away from zero; the minus sign goes before the yen sign: -1234.5 -> "-￥1,234.50".
QString formatYen(double value, int decimals);

// CInt / CLng: halves to even, range checked; throw Error ("溢出") outside 16 / 32 bits.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);
// The same from text (numeric text only, surrounding blanks allowed); throw Error on non-numeric text.
std::int16_t toInt16(const QString& text);
std::int32_t toInt32(const QString& text);
// CCur: to ten-thousandths, halves to even.
Currency toCurrency(double value);
// Int(): floor.
double intFloor(double value);
// Val(): the leading number of a text, blanks ignored, 0 when there is none ("12abc" -> 12, "abc" -> 0).
// A number too large for a double throws Error ("溢出").
double val(const QString& text);
// The kinds of value that are numbers: every integer type, float and double, Currency, and Boolean
// (True is -1). Texts are not, whatever they hold (isNumeric tests a text). The one definition that
// sorting, comparing, converting and writing values all use.
bool isIntegerType(int typeId);
bool isFloatingType(int typeId);
bool isNumber(const QVariant& value);
// IsNumeric(): a whole text that reads as a number (blanks around allowed; empty is not numeric).
bool isNumeric(const QString& text);
// CDbl of a numeric text; throws Error ("类型不匹配") when not numeric.
double toDouble(const QString& text);
// Numeric value of a database or typed value: numbers as they are, Currency as yuan, numeric text parsed,
// a Boolean as -1 (True) or 0; throws Error for anything else ("无效使用 Null" for Null).
double toDouble(const QVariant& value);

// --- dates -----------------------------------------------------------------------------------------
// Strict date conversion of the shapes typed in the windows: "yyyy-m-d", "yyyy-m" (first of the month),
// "yyyy/m/d", "yyyy/m", "yyyy年m月d日", "yyyy年m月"; blanks around allowed. Anything else, or an
// impossible date (2003-2-30), throws Error ("日期格式不正确：<text>", "日期不存在：<text>", "没有输入日期"):
// a text that is no date is never guessed.
QDate toDate(const QString& text);
bool isDate(const QString& text);
// The three formats give the empty text for an invalid (Null) date, as Format does for Null.
// "yyyy-mm-dd"
QString formatIsoDate(const QDate& date);
// "yyyy-mm"
QString formatYearMonth(const QDate& date);
// "yyyy年mm月" (month zero-padded, as Format(d, "yyyy年mm月") gives)
QString formatYearMonthCn(const QDate& date);
// The long and short dates of the Chinese locale the stored data was made under: "2003年5月9日" and
// "2003-5-9" (no zero padding); the empty text for an invalid date.
QString formatLongDate(const QDate& date);
QString formatShortDate(const QDate& date);
// "<year>_<month>" with the month not zero-padded: May 2003 -> "2003_5".
QString monthSuffix(const QDate& date);

// --- formats by name -----------------------------------------------------------------------------
// A value shown by a format text as a report control or grid column names it: "0.00", "0.00%",
// "\"￥\"#,##0.00", "\"￥\"#,##0", "yyyy-mm-dd", "yyyy年mm月", "Long Date", "Short Date"; the empty
// format shows the value's own text (numbers in their plain form). Null shows as the empty text, as
// Format gives it. An unknown format, a number format on a value that is no number or a date format on a
// value that is no date throws Error.
QString format(const QVariant& value, const QString& formatText);

// --- the Chinese code page --------------------------------------------------------------------------
// Length in bytes of a text in GB18030 (a CJK character counts 2), as the fixed-width records count it.
int gbByteLength(const QString& text);
QByteArray toGb(const QString& text);
// Throws Error when the bytes are no valid GB18030 text (nothing is dropped or replaced silently).
QString fromGb(const QByteArray& bytes);

} // namespace convert
