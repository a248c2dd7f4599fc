#pragma once
// An amount of money in Chinese capital numerals, as invoices and notices print it beside the total.
#include "platform/convert/currency.h"

#include <QString>

// The amount spelled digit by digit with its place units, without the closing "整" that every use
// appends: 1005.50 gives 壹仟零伍元伍角. Only whole fen count; a part below one fen is dropped, so an
// amount below one fen (or not above zero) gives the empty text. Throws convert::Error ("溢出") from
// 21,474,836.48 yuan upwards, where the count of fen no longer fits 32 bits.
QString AmountToChineseCapitals(convert::Currency amount);
