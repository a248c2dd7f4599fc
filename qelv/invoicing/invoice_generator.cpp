#include "qelv/invoicing/invoice_generator.h"

#include "platform/convert/convert.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"
#include "qelv/core/amount_digits.h"
#include "qelv/core/capitals.h"
#include "qelv/core/data_files.h"
#include "qelv/core/fee_items.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/core/late_fee_marks.h"
#include "qelv/invoicing/invoice_layout.h"

#include <optional>

namespace invoicing {

namespace {

std::optional<BandLimits> readLimits(db::Connection& layout)
{
    auto lines = layout.openRecordset(QStringLiteral("Select * from fpLine Order By ID"), {}, db::LockType::ReadOnly);
    if (lines->isEOF())
        return std::nullopt;
    return BandLimits{convert::toDouble(lines->value(QStringLiteral("HeadHeigth"))),
                      convert::toDouble(lines->value(QStringLiteral("DetailHeigth"))),
                      convert::toDouble(lines->value(QStringLiteral("FooterHeigth")))};
}

QString lineInsert()
{
    QStringList columns{QStringLiteral("ID"), QStringLiteral("DanWeiBianHao"), QStringLiteral("序号"),
                        QStringLiteral("项目")};
    for (const QString& c : amountDigits::columnNames())
        columns << c;
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("Insert Into MX (%1) Values (%2)")
        .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

const QString headerInsert =
    QStringLiteral("Insert Into KPDW (DanWeiBianHao,缴款单位,年,月,日,大写合计,小写合计,收款单位,审核,经办人,znj) "
                   "Values (?,?,?,?,?,?,?,?,?,?,?)");

} // namespace

std::unique_ptr<RunFiles> RunFiles::open(const QDate& workMonth)
{
    auto f = std::make_unique<RunFiles>();
    f->layout.open(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    f->openMonth(workMonth, dataFiles::monthInvoices(workMonth));
    return f;
}

struct InvoiceGenerator::Line {
    QString item;
    convert::Currency amount;
};

struct InvoiceGenerator::Invoice {
    QString name; // DanWeiQuangCheng
    QList<Line> lines;
    convert::Currency total;
    convert::Currency lateFee;
};

InvoiceGenerator::InvoiceGenerator(RunFiles& files, RunState state, Progress progress)
    : files_(files),
      state_(std::move(state)),
      progress_(std::move(progress))
{
}

RunResult InvoiceGenerator::run(const QList<ListedEnterprise>& list, bool selectedOnly)
{
    RunResult result;
    if (list.isEmpty())
        return result;
    const std::int16_t n = linesPerInvoice(readLimits(files_.layout));
    result.linesPerInvoice = n;
    const int m = state_.workMonth.month();

    generationRun::ListWalk walk(list.size(), progress_);
    try {
        // Declared first, so that it goes last: it takes back whatever the run wrote when it stops.
        lateFeeLedger::Attached ledgers(files_.print, files_.ledgersPath);
        feeItems::Reader fees(files_.enterprises, files_.discharge);
        db::PreparedStatement register_(
            files_.enterprises, QStringLiteral("select LowLever, DanWeiQuangCheng from dw where DanWeiBianHao = ?"));
        // The period and months covered, then the month's invoice as the row records it.
        db::PreparedStatement billing(
            files_.billing,
            QStringLiteral("select M%1B, M%1N, M%1P, M%1DATE, M%1M, M%1MBZJ from KPKZK where DanWeiBianHao = ?")
                .arg(m));
        auto recorded = [&billing] {
            return lateFeeMarks::RecordedInvoice::fromValues(billing.value(2), billing.value(3), billing.value(4),
                                                             billing.value(5));
        };
        db::PreparedStatement insertLine(files_.print, lineInsert());
        db::PreparedStatement insertHeader(files_.print, headerInsert);

        // The earlier run goes first, whole and on its own, so that whatever stops this one, none of
        // its invoices is left to print: with them the late payments it charged on invoices never
        // printed are set back, to be charged again; those of printed invoices stay charged.
        lateFeeMarks::RunMarks marks(files_.print, ledgers);
        marks.takeOutEarlier({QStringLiteral("MX"), QStringLiteral("KPDW")}, [&](const lateFeeMarks::Marked& earlier) {
            const lateFeeMarks::RecordedInvoice now =
                billing.first({earlier.enterprise}) ? recorded() : lateFeeMarks::RecordedInvoice{};
            return earlier.invoice && lateFeeMarks::printed(*earlier.invoice, now);
        });

        files_.print.beginTransaction();
        generationRun::LineIds ids(QStringLiteral("溢出：一次生成的发票行多于 32767 行"));
        const QString blank = QStringLiteral(" ");
        const QString fillerItem = QString(9, QLatin1Char(' '));

        for (const ListedEnterprise& row : list) {
            if (!walk.next(row.number, !selectedOnly || row.ticked))
                continue;
            const QString code = row.number;

            // Each enterprise in a savepoint of its own: one whose lines do not fit a form takes back
            // the late payments its late fee marked as charged, for they reach no invoice.
            files_.print.beginTransaction();
            Invoice inv;
            inv.name.clear();
            lateFeeMarks::Marked marked{code, {}, lateFeeMarks::InvoiceRun{}};
            {
                const feeItems::EnterpriseFees f = fees.read(code);
                inv.total = f.total;
                QVariant lowLever, period, months;
                if (register_.first({code})) {
                    lowLever = register_.value(0);
                    inv.name = register_.value(1).toString();
                }
                if (billing.first({code})) {
                    period = billing.value(0);
                    months = billing.value(1);
                    marked.invoice->before = recorded();
                }
                const QString periodText = generationRun::periodText(period, state_.workMonth);
                for (const feeItems::Item& item : f.items)
                    inv.lines << Line{item.name + periodText, item.amount};
                if (f.doubled.units() > 0)
                    inv.lines << Line{QStringLiteral("加倍收费") + periodText, f.doubled};
                if (f.raised.units() > 0)
                    inv.lines << Line{QStringLiteral("提高收费") + periodText, f.raised};
                const convert::Currency topUp = feeItems::minimumTopUp(inv.total, lowLever, months);
                if (topUp.units() > 0) {
                    inv.total += topUp;
                    inv.lines << Line{QStringLiteral("追加最少收费额") + periodText, topUp};
                }
                inv.lateFee = generationRun::lateFee(files_.print, state_, code, &marked.rows);
                if (inv.lateFee.units() > 0)
                    inv.lines << Line{QStringLiteral("滞纳金"), inv.lateFee};
                inv.total += inv.lateFee;
            }

            if (inv.lines.size() > n) {
                files_.print.rollback();
                result.tooLong << QStringLiteral("%1 %2（%3 行）").arg(code, inv.name).arg(inv.lines.size());
                continue;
            }
            std::int16_t number = 0;
            for (const Line& line : inv.lines) {
                const auto digits = amountDigits::digits(line.amount);
                QVariantList values{ids.next(), code, QString::number(++number), line.item};
                for (const QString& s : digits)
                    values << s;
                insertLine.run(values);
            }
            for (int position = number + 1; position <= n; ++position) {
                QVariantList values{ids.next(), code, QStringLiteral("*"), fillerItem};
                for (int c = 0; c < 10; ++c)
                    values << blank;
                insertLine.run(values);
            }
            if (inv.total.units() > 0) {
                insertHeader.run(
                    {code, inv.name.isEmpty() ? blank : inv.name, QString::number(state_.invoiceDate.year()),
                     QString::number(state_.invoiceDate.month()), QString::number(state_.invoiceDate.day()),
                     AmountToChineseCapitals(inv.total) + QStringLiteral("整"), inv.total.toString(), blank, blank,
                     state_.userName, inv.lateFee.toPlainString()});
                ++result.invoices;
                // As the header row states them, which is what a print records.
                marked.invoice->amount = convert::Currency::fromText(inv.total.toString());
                marked.invoice->lateFee = inv.lateFee;
            }
            marks.add(marked);
            files_.print.commit();
        }
        walk.finish();
        files_.print.commit();
    } catch (const std::exception& e) {
        throw walk.stopped(e, QStringLiteral("本次没有生成发票，也没有计收任何滞纳金。"));
    }
    result.taken = walk.taken();
    return result;
}

QString closingMessage(const RunResult& result)
{
    QString text = QStringLiteral("共生成 %1 张发票！").arg(result.taken);
    if (!result.tooLong.isEmpty())
        text += QStringLiteral("\n以下单位的收费项目多于一张发票的 %1 行，没有生成发票：\n%2")
                    .arg(result.linesPerInvoice)
                    .arg(result.tooLong.join(QLatin1Char('\n')));
    return text;
}

} // namespace invoicing
