#include "qelv/collection/collection_documents.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "qelv/collection/collection_fields.h"
#include "qelv/collection/pm22_exchange.h"
#include "qelv/core/Module1.h"
#include "qelv/core/amount_digits.h"
#include "qelv/core/data_files.h"
#include "qelv/core/lookup_indexes.h"

#include <QSet>
#include <QVariantList>
#include <algorithm>

namespace collection {

namespace {

// A request ready for PM22 and the document it becomes once PM22 gives the password.
struct Prepared {
    int row = 0; // in the list, from 0
    int running = 0;
    QString enterprise, name;
    QByteArray record;
    QVariantList document; // documentColumns() but the last (委托密码)
};

QString text(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

// A value the request needs and the register no longer holds.
QString present(const QVariant& value, const QString& field)
{
    const QString t = text(value);
    if (t.isEmpty())
        throw pm22::FieldError(field, QStringLiteral("%1为空").arg(field));
    return t;
}

class Stop : public platform::Error {
public:
    using platform::Error::Error;
};

} // namespace

RunState RunState::fromModule1()
{
    using namespace Module1;
    return RunState{gWorkMonth, gInvoiceDate, gPayeeName, gPayeeAccount, gPayeeBank, gCollectionId};
}

const QStringList& documentColumns()
{
    static const QStringList columns = QStringList{QStringLiteral("DanWeiBianHao")} + fieldNames();
    return columns;
}

QString closingMessage(const RunResult& result)
{
    QString text = QStringLiteral("共生成 %1 张委托单！").arg(result.documents);
    if (!result.missed.isEmpty()) {
        text += QStringLiteral("\n\n以下单位没有生成委托单：");
        for (const Missed& m : result.missed)
            text += QStringLiteral("\n%1 %2：%3").arg(m.enterprise, m.name, m.reason);
    }
    return text;
}

DocumentGenerator::DocumentGenerator(RunState state, RunCallbacks callbacks, ErrorSink errors)
    : state_(std::move(state)),
      callbacks_(std::move(callbacks)),
      errors_(std::move(errors))
{
}

RunResult DocumentGenerator::run(const QList<ListedInvoice>& list, bool onlyTicked)
{
    RunResult result;
    if (list.isEmpty())
        return result;
    const auto tell = [this](const QString& description) {
        if (errors_)
            errors_(description);
    };
    if (pm22::Exchange::busy()) {
        tell(pm22::Exchange::busyText());
        return result;
    }

    QList<Prepared> requests;
    const QString printFile = dataFiles::monthCollections(state_.workMonth);
    const QString passwordColumn = QStringLiteral("委托密码"); // the last of documentColumns()
    int passwordLimit = 0; // characters the document's password takes; 0: no limit
    std::unique_ptr<db::Connection> print;
    try {
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        print = std::make_unique<db::Connection>(db::DataFile{printFile});
        db::Connection billing(db::DataFile{dataFiles::billing(state_.workMonth.year())});
        lookupIndexes::ensure(billing);

        const QString table = QStringLiteral("WTDW");
        if (!print->tableExists(table))
            throw Stop(QStringLiteral("委托单打印文件 %1 中没有 WTDW 表：请先在“托收打印格式”中生成委托单结构。")
                           .arg(printFile));
        QSet<QString> have;
        for (const db::ColumnDef& c : print->columns(table)) {
            have.insert(c.name.toLower());
            if (c.name.compare(passwordColumn, Qt::CaseInsensitive) == 0 && c.type == db::ColumnType::Text)
                passwordLimit = c.size > 0 ? c.size : 255;
        }
        QStringList lacking;
        for (const QString& c : documentColumns())
            if (!have.contains(c.toLower()))
                lacking << c;
        if (!lacking.isEmpty())
            throw Stop(
                QStringLiteral("委托单打印文件 %1 的 WTDW 表缺少列：%2。请在“托收打印格式”中重新生成委托单结构。")
                    .arg(printFile, lacking.join(QStringLiteral("、"))));

        const int m = state_.workMonth.month();
        const QString invoiceColumns = QStringLiteral("select %1 from KPKZK where DanWeiBianHao = ?")
                                           .arg(db::quoteIdentifier(QStringLiteral("M%1CM").arg(m)));
        for (int i = 0; i < list.size(); ++i) {
            const ListedInvoice& row = list[i];
            if (onlyTicked && !row.ticked)
                continue;
            ++result.handled;
            auto enterprise = dw.openRecordset(
                QStringLiteral("select ZhangHao, WeiTuoXieYiHao, KaiHuYingHang from dw where DanWeiBianHao = ?"),
                {row.enterprise}, db::LockType::ReadOnly);
            if (enterprise->isEOF()) {
                result.missed << Missed{i, row.enterprise, row.name, QStringLiteral("单位目录中已没有这个单位")};
                continue;
            }
            auto invoice = billing.openRecordset(invoiceColumns, {row.enterprise}, db::LockType::ReadOnly);
            if (invoice->isEOF()) {
                result.missed << Missed{i, row.enterprise, row.name, QStringLiteral("本年的开票记录中已没有这个单位")};
                continue;
            }
            Prepared p;
            p.row = i;
            p.running = result.handled;
            p.enterprise = row.enterprise;
            p.name = row.name;
            try {
                pm22::Request request;
                request.invoiceNumber = row.invoiceNumber;
                request.invoiceDate = state_.invoiceDate;
                request.payeeAccount = present(state_.payeeAccount, QStringLiteral("收款人账号"));
                request.payerAccount = present(enterprise->value(0), QStringLiteral("付款人账号"));
                request.amountFen = pm22::amountInFen(row.amount);
                request.agreementNumber = present(enterprise->value(1), QStringLiteral("协议号"));
                request.collectionId = state_.collectionId;
                p.record = pm22::requestRecord(request);

                const auto digits =
                    amountDigits::digits(convert::Currency::fromUnits(std::int64_t(request.amountFen) * 100));
                p.document << row.enterprise << row.invoiceNumber << QString::number(state_.invoiceDate.year())
                           << QString::number(state_.invoiceDate.month()) << QString::number(state_.invoiceDate.day())
                           << row.name << request.payerAccount << enterprise->value(2) << state_.payeeName
                           << state_.payeeAccount << state_.payeeBank << invoice->value(0);
                for (const QString& d : digits)
                    p.document << d;
                p.document << QStringLiteral("排污费") << request.agreementNumber;
            } catch (const std::exception& e) {
                throw Stop(QStringLiteral("单位 %1 %2 的委托请求不能写出：%3。\n没有生成委托单，本月原有的委托单未动。")
                               .arg(row.enterprise, row.name, platform::describe(e)));
            }
            requests << p;
        }
    } catch (const std::exception& e) {
        tell(platform::describe(e));
        return result;
    }

    pm22::Exchange exchange;
    if (!requests.isEmpty() && exchange.program().isEmpty()) {
        tell(pm22::Exchange::notFoundText());
        return result;
    }

    try {
        print->execute(QStringLiteral("Delete from WTDW"));
        QStringList quoted, marks;
        for (const QString& c : documentColumns()) {
            quoted << db::quoteIdentifier(c);
            marks << QStringLiteral("?");
        }
        const QString insert = QStringLiteral("insert into WTDW (%1) values (%2)")
                                   .arg(quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        for (const Prepared& p : requests) {
            if (callbacks_.progress)
                callbacks_.progress(p.row + 1, int(list.size()), p.running);
            const pm22::Answer answer = exchange.ask(p.record, callbacks_.afterProgram);
            if (answer.outcome != pm22::Answer::Outcome::Password) {
                result.missed << Missed{p.row, p.enterprise, p.name, answer.reason};
                continue;
            }
            // Counted as the column counts, in code points.
            if (const qsizetype length = answer.password.toUcs4().size(); passwordLimit > 0 && length > passwordLimit) {
                result.missed << Missed{p.row, p.enterprise, p.name,
                                        QStringLiteral("PM22 给出的密码有 %1 个字符，委托单的%2只能有 %3 个")
                                            .arg(length)
                                            .arg(passwordColumn)
                                            .arg(passwordLimit)};
                continue;
            }
            print->execute(insert, p.document + QVariantList{answer.password});
            ++result.documents;
            if (callbacks_.password)
                callbacks_.password(p.row, answer.password);
        }
    } catch (const std::exception& e) {
        tell(platform::describe(e));
        return result;
    }
    // The rows skipped at the start are named in list order with the others.
    std::stable_sort(result.missed.begin(), result.missed.end(),
                     [](const Missed& a, const Missed& b) { return a.row < b.row; });
    result.completed = true;
    return result;
}

} // namespace collection
