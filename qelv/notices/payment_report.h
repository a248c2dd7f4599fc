#pragma once
// The monthly payment report over the statistics work table tjktmp: the month typed checked, and the
// query of the enterprises billed in that month whose invoice is paid, or is not, ordered by squad.
// No widget: the payment report window gives the typed text and the option chosen.
#include <QString>

namespace paymentReport {

// The month of a typed text: 1 to 12, or 0 with the message that refuses the text.
struct Month {
    int month = 0;
    QString refusal;
};

// In this order: an empty text, a text that is no number, a number outside 1 to 12, a number with a
// fraction (its month columns do not exist) are refused. "03" and "3" both give 3.
Month checkMonth(const QString& text);

// The enterprises billed in the month (M<m> = 1) whose paid flag M<m>MD is 1 (`paid`) or 0, with
// number, name, invoice number, amount and date, payment date and squad under their captions, by squad,
// then number.
QString querySql(int month, bool paid);

} // namespace paymentReport
