#include "qelv/invoicing/due_enterprises.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"

#include <QHash>

namespace invoicing {

QList<DueEnterprise> dueEnterprises(db::Connection& enterprises, db::Connection& billing, int month,
                                    const ListCondition& filter)
{
    // The register once, by number: numbers compare without regard to case, the first row of a
    // number standing for it.
    QHash<QString, QString> names;
    {
        auto dw = enterprises.openRecordset(QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng From dw "), {},
                                            db::LockType::ReadOnly);
        for (; !dw->isEOF(); dw->moveNext()) {
            const QString key = dw->value(0).toString().toCaseFolded();
            if (!names.contains(key))
                names.insert(key, dw->value(1).toString());
        }
    }
    QList<DueEnterprise> out;
    if (names.isEmpty())
        return out;
    const QString own = QStringLiteral("M%1=1").arg(month);
    auto due = billing.openRecordset(
        QStringLiteral("Select DanWeiBianHao,M%1P,M%1M From KPKZK where %2").arg(month).arg(filter.narrowing(own)),
        filter.values, db::LockType::ReadOnly);
    for (; !due->isEOF(); due->moveNext()) {
        const QString number = due->value(0).toString();
        const auto it = names.constFind(number.toCaseFolded());
        if (it == names.constEnd())
            continue;
        out << DueEnterprise{number, *it, due->value(1)};
    }
    return out;
}

} // namespace invoicing
