#include "qelv/invoicing/invoice_print_run.h"

#include "platform/convert/convert.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/lookup_indexes.h"
#include "qelv/invoicing/FPForm.h"

#include <QSet>
#include <algorithm>

namespace invoicing {

namespace {

constexpr int kMostDigits = 15;

QString existingDataFile(const QString& name, const QString& why)
{
    const QString path = files::dataFile(name);
    if (!files::exists(path))
        throw PrintRefused(why.arg(name));
    return path;
}

// An amount of the print file: the text the generator wrote ("1200.00", "200"); an empty late fee is none.
std::optional<convert::Currency> amountOf(const QVariant& value, bool emptyIsZero)
{
    const QString text = value.isNull() ? QString() : value.toString().trimmed();
    if (text.isEmpty())
        return emptyIsZero ? std::optional<convert::Currency>(convert::Currency()) : std::nullopt;
    try {
        return convert::Currency::fromText(text);
    } catch (const convert::Error&) {
        return std::nullopt;
    }
}

QString monthColumn(int month, const char* suffix)
{
    return QStringLiteral("M%1%2").arg(month).arg(QString::fromLatin1(suffix));
}

} // namespace

std::optional<std::int64_t> invoiceNumber(const QString& typed)
{
    const QString digits = typed.trimmed();
    if (digits.isEmpty() || digits.size() > kMostDigits)
        return std::nullopt;
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return digits.toLongLong();
}

QString invoiceNumberRefusal(const QString& typed)
{
    return QStringLiteral("发票编号“%1”无效：只能输入数字，最多 %2 位。").arg(typed.trimmed()).arg(kMostDigits);
}

QStringList InvoicePrint::enterprises() const
{
    QStringList out;
    for (const NumberedInvoice& i : invoices)
        out << i.enterprise;
    return out;
}

QStringList InvoicePrint::reprints() const
{
    QStringList out;
    for (const NumberedInvoice& i : invoices)
        if (!i.oldNumber.isEmpty())
            out << QStringLiteral("%1 %2").arg(i.enterprise, i.oldNumber);
    return out;
}

PrintLayout checkPrintLayout(bool nonContinuous)
{
    PrintLayout checked;
    {
        db::Connection layoutFile(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        checked.layout = InvoiceLayout::read(layoutFile);
    }
    QStringList problems = layoutProblems(checked.layout, LayoutUse::Printing);
    if (problems.isEmpty()) {
        const PaperRow& paper = *checked.layout.paper;
        if (paper.paperWidth <= 0 || paper.paperHeight <= 0)
            problems << QStringLiteral("发票格式的纸张尺寸（%1 × %2）无效。")
                            .arg(convert::plainNumber(paper.paperWidth), convert::plainNumber(paper.paperHeight));
        try {
            checked.paper = invoicePaper(paper);
            // Whatever else the report cannot lay out (a gap beyond 16 bits on single sheets, an
            // alignment it does not know) is found here, before anything is written.
            FPForm trial;
            trial.applyLayout(checked.layout, nonContinuous);
        } catch (const std::exception& e) {
            problems << QStringLiteral("发票格式无法排版：%1").arg(platform::describe(e));
        }
    }
    if (!problems.isEmpty())
        throw PrintRefused(QStringLiteral("不能打印发票：\n") + problems.join(QLatin1Char('\n')));
    return checked;
}

InvoicePrint planInvoicePrint(const RunState& state, const PrintLayout& layout, std::int64_t first, std::int64_t last)
{
    InvoicePrint plan;
    plan.state = state;
    plan.layout = layout.layout;
    plan.paper = layout.paper;
    const int m = state.workMonth.month();
    QStringList problems;
    const std::int16_t linesPerForm = linesPerInvoice(plan.layout.limits);

    existingDataFile(dataFiles::monthInvoices(state.workMonth),
                     QStringLiteral("没有本月的发票打印文件 %1，请先生成发票。"));
    db::Connection printFile(db::DataFile{dataFiles::monthInvoices(state.workMonth)});
    lookupIndexes::ensure(printFile);
    auto generated = printFile.openRecordset(QStringLiteral("Select * from KPDW order by DanWeiBianHao asc"), {},
                                             db::LockType::ReadOnly);
    const int total = generated->recordCount();
    if (total == 0)
        throw PrintRefused(QStringLiteral("没有已生成的发票，请先生成发票。"));
    const std::int64_t range = last - first + 1;
    const int count = range < total ? static_cast<int>(range) : total;
    plan.unnumbered = total - count;

    existingDataFile(dataFiles::billing(state.workMonth.year()), QStringLiteral("没有开票控制文件 %1。"));
    db::Connection billing(db::DataFile{dataFiles::billing(state.workMonth.year())});
    lookupIndexes::ensure(billing);
    db::PreparedStatement billingRow(billing,
                                     QStringLiteral("select %1, %2, %3 from KPKZK where DanWeiBianHao = ?")
                                         .arg(monthColumn(m, "P"), monthColumn(m, "DATE"), monthColumn(m, "MD")));
    existingDataFile(QString::fromLatin1(dataFiles::lateFeeLedgers), QStringLiteral("没有滞纳金文件 %1。"));
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    const lateFeeLedger::Names ledgerNames(ledgers);
    db::PreparedStatement lines(printFile, QStringLiteral("select count(*) from MX where DanWeiBianHao = ?"));

    QSet<QString> seen;
    generated->moveFirst();
    for (int i = 0; i < count; ++i, generated->moveNext()) {
        NumberedInvoice inv;
        inv.enterprise = generated->value(QStringLiteral("DanWeiBianHao")).toString();
        inv.number = QString::number(first + i);
        inv.capitals = generated->value(QStringLiteral("大写合计")).toString();
        const QVariant totalText = generated->value(QStringLiteral("小写合计"));
        const QVariant lateFeeText = generated->value(QStringLiteral("znj"));
        const QString who = QStringLiteral("单位 %1 的发票").arg(inv.enterprise);
        // The invoice as it was numbered before, for the refusals of a re-print.
        auto earlierOne = [&inv, &who] {
            return inv.oldNumber.isEmpty() ? who : who + QLatin1Char(' ') + inv.oldNumber;
        };

        const QString key = inv.enterprise.toLower(); // as the column compares
        if (seen.contains(key))
            problems << who + QStringLiteral("在打印文件中不止一张，请重新生成发票。");
        seen.insert(key);
        const auto amount = amountOf(totalText, false);
        const auto lateFee = amountOf(lateFeeText, true);
        if (!amount)
            problems << who + QStringLiteral("金额“%1”不是数字。").arg(totalText.toString());
        if (!lateFee)
            problems << who + QStringLiteral("滞纳金“%1”不是数字。").arg(lateFeeText.toString());
        inv.total = amount.value_or(convert::Currency());
        inv.lateFee = lateFee.value_or(convert::Currency());
        lines.first({inv.enterprise});
        const int lineCount = lines.value(0).toInt();
        if (lineCount > linesPerForm)
            problems << who +
                    QStringLiteral("有 %1 行，多于发票格式的 %2 行：发票格式改过了，请重新生成发票。")
                        .arg(lineCount)
                        .arg(linesPerForm);

        if (!billingRow.first({inv.enterprise})) {
            problems << QStringLiteral("单位 %1 在 %2 年的开票控制表中没有记录。")
                            .arg(inv.enterprise)
                            .arg(state.workMonth.year());
        } else {
            const QVariant oldNumber = billingRow.value(0);
            if (!oldNumber.isNull() && !oldNumber.toString().trimmed().isEmpty()) {
                inv.oldNumber = oldNumber.toString();
                inv.oldDate = billingRow.value(1).toDate();
            }
            const QVariant paid = billingRow.value(2);
            if (!paid.isNull() && convert::toDouble(paid) != 0)
                problems << earlierOne() + QStringLiteral(" 已经到账，不能重新编号：请先作废这张发票。");
        }

        const QString ledger = ledgerNames.find(inv.enterprise);
        inv.ledger = ledger;
        if (state.lateFeeOn && ledger.isEmpty())
            problems << QStringLiteral("单位 %1 没有滞纳金表 %2。")
                            .arg(inv.enterprise, lateFeeLedger::tableName(inv.enterprise));
        if (!ledger.isEmpty() && !inv.oldNumber.isEmpty()) {
            auto earlier = ledgers.openRecordset(
                QStringLiteral("select DaoZhangQingKuang, PiaoJuLeiXing from %1 where %2")
                    .arg(db::quoteIdentifier(ledger), lateFeeLedger::invoiceRowCondition()),
                lateFeeLedger::invoiceRowParams(inv.oldNumber, inv.oldDate), db::LockType::ReadOnly);
            for (; !earlier->isEOF(); earlier->moveNext()) {
                auto set = [&](const char* column) {
                    const QVariant v = earlier->value(QString::fromLatin1(column));
                    return !v.isNull() && convert::toDouble(v) != 0;
                };
                if (set("DaoZhangQingKuang"))
                    problems << earlierOne() + QStringLiteral(" 已经到账，不能重新编号：请先作废这张发票。");
                else if (set("PiaoJuLeiXing"))
                    problems << earlierOne() +
                            QStringLiteral(" 已经打印了委托收款单据，不能重新编号：请先作废这张发票。");
            }
        }
        plan.invoices << inv;
    }
    if (!problems.isEmpty()) {
        problems.removeDuplicates();
        throw PrintRefused(QStringLiteral("不能打印发票：\n") + problems.join(QLatin1Char('\n')));
    }
    return plan;
}

QString reprintQuestion(const InvoicePrint& print)
{
    QStringList listed = print.reprints();
    const qsizetype all = listed.size();
    constexpr qsizetype shown = 10;
    if (all > shown) {
        listed = listed.mid(0, shown);
        listed << QStringLiteral("……");
    }
    return QStringLiteral("本月已有 %1 张发票打印过（单位 原编号）：\n%2\n重新打印将给它们新的编号，原来的编号作废。"
                          "要重新打印吗？")
        .arg(all)
        .arg(listed.join(QLatin1Char('\n')));
}

QString unnumberedMessage(const InvoicePrint& print)
{
    return QStringLiteral("输入的编号只够 %1 张发票：另有 %2 张发票没有编号，也没有打印。")
        .arg(print.invoices.size())
        .arg(print.unnumbered);
}

InvoiceRecords::InvoiceRecords(const InvoicePrint& print)
    : print_(print),
      billing_(db::DataFile{dataFiles::billing(print.state.workMonth.year())})
{
    lookupIndexes::ensure(billing_);
}

InvoiceRecords::~InvoiceRecords() = default;

void InvoiceRecords::write()
{
    // Attached before the transaction begins: a file cannot be attached inside one.
    ledgers_ = std::make_unique<lateFeeLedger::Attached>(
        billing_, files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
    const int m = print_.state.workMonth.month();
    billing_.beginTransaction();
    db::PreparedStatement update(billing_,
                                 QStringLiteral("Update KPKZK set %1 = ?, %2 = ?, %3 = ?, %4 = ?, %5 = ? "
                                                "Where DanWeiBianHao = ?")
                                     .arg(monthColumn(m, "P"), monthColumn(m, "M"), monthColumn(m, "CM"),
                                          monthColumn(m, "DATE"), monthColumn(m, "MBZJ")));
    for (const NumberedInvoice& inv : print_.invoices) {
        const int changed = update.run({inv.number, QVariant::fromValue(inv.total), inv.capitals,
                                        print_.state.invoiceDate, QVariant::fromValue(inv.lateFee), inv.enterprise});
        if (changed != 1)
            throw db::Error(QStringLiteral("单位 %1 在开票控制表中没有记录。").arg(inv.enterprise));
        if (inv.ledger.isEmpty()) {
            if (print_.state.lateFeeOn)
                throw db::Error(QStringLiteral("单位 %1 没有滞纳金表 %2。")
                                    .arg(inv.enterprise, lateFeeLedger::tableName(inv.enterprise)));
            continue;
        }
        const QString table = db::quoteIdentifier(inv.ledger);
        // A re-print replaces the earlier number's row; a row of that number from another year stays.
        if (!inv.oldNumber.isEmpty())
            billing_.execute(QStringLiteral("Delete from %1 where %2").arg(table, lateFeeLedger::invoiceRowCondition()),
                             lateFeeLedger::invoiceRowParams(inv.oldNumber, inv.oldDate));
        if (print_.state.lateFeeOn)
            billing_.execute(QStringLiteral("Insert into %1 (KaiPiaoRiQi,FaPiaoBianHao,FaPiaoJinE,ShouFeiJinE,"
                                            "DaoZhangQingKuang,DaoZhangRiQi,PiaoJuLeiXing,ZNJYiShou) "
                                            "values (?, ?, ?, ?, 0, NULL, 0, 0)")
                                 .arg(table),
                             {print_.state.invoiceDate, inv.number, QVariant::fromValue(inv.total),
                              QVariant::fromValue(inv.total - inv.lateFee)});
    }
}

void InvoiceRecords::commit()
{
    billing_.commit();
}

} // namespace invoicing
