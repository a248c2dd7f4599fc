#pragma once
// The discharge figures of an assignment's month record as one text, as the fee list and the notices'
// pollutant detail sheet print them. Both print the same figures of the same record, so which columns
// are figures and how a value reads is decided here once; each adds its own period after them.
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace dischargeFigures {

// "name:value," for every figure of a row given by its column names and values, in their order (the
// shorter list bounds both); the empty text when there is none. Every column is a figure but an
// unnamed one, the four fee columns (收费金额, 加倍收费, 提高收费, 是否单独列为收费项目) and those whose
// name holds 修正, 当量 or 标准 (correction factors, equivalents, standards), names compared without
// regard to case. A value reads in its plain decimal form ("12.5", "3"), a Null as the empty text.
QString text(const QStringList& names, const QVariantList& values);

} // namespace dischargeFigures
