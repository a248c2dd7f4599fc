#pragma once
// An amount split into the digit columns of a printed form, from 千万 down to 分.
#include "platform/convert/currency.h"

#include <QString>
#include <array>

namespace amountDigits {

// The column names, highest first: 千万, 百万, 十万, 万, 千, 百, 十, 元, 角, 分.
const std::array<QString, 10>& columnNames();

// One decimal digit per column, highest first, the columns above the leading digit a single blank:
// 1234.56 gives " ", " ", " ", " ", "1", "2", "3", "4", "5", "6"; 0.05 fills only 分. The count of fen is
// rounded to the nearest whole number, halves to even. An amount not above zero leaves every column
// blank. Throws convert::Error ("溢出") from 21,474,836.48 yuan up, where the fen no longer fit 32 bits.
std::array<QString, 10> digits(convert::Currency amount);

} // namespace amountDigits
