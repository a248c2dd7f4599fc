#include "qelv/collection/collection_fields.h"

#include "qelv/core/amount_digits.h"

namespace collection {

const QStringList& fieldNames()
{
    static const QStringList names = [] {
        QStringList n{QStringLiteral("委托号码"),
                      QStringLiteral("年"),
                      QStringLiteral("月"),
                      QStringLiteral("日"),
                      QStringLiteral("付款人单位"),
                      QStringLiteral("付款人账号"),
                      QStringLiteral("付款人开户银行"),
                      QStringLiteral("收款人单位"),
                      QStringLiteral("收款人账号"),
                      QStringLiteral("收款人开户银行"),
                      QStringLiteral("委托金额大写合计")};
        for (const QString& d : amountDigits::columnNames())
            n << d;
        n << QStringLiteral("款项内容") << QStringLiteral("协议号") << QStringLiteral("委托密码");
        return n;
    }();
    return names;
}

} // namespace collection
