#pragma once
// The enterprises due for an invoice in the operating month: the billing-control rows marked billed in
// the month (M<m> = 1), narrowed by the list filter, each with its full name from the register.
#include "qelv/invoicing/list_filter.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace db {
class Connection;
}

namespace invoicing {

struct DueEnterprise {
    QString number; // DanWeiBianHao as the billing row holds it
    QString name; // DanWeiQuangCheng of the register
    QVariant invoiceNumber; // M<m>P, Null when there is none
};

// In the order the billing file gives its rows; a row whose enterprise is not in the register is left
// out. The filter's values are bound, and the filter stays inside the month's own condition. Throws
// db::Error (a malformed filter among others).
QList<DueEnterprise> dueEnterprises(db::Connection& enterprises, db::Connection& billing, int month,
                                    const ListCondition& filter = {});

} // namespace invoicing
