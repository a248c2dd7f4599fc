#include "qelv/collection/collection_report.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/db/transaction.h"
#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_env.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/late_fee_ledger.h"

#include <QSet>
#include <memory>
#include <optional>

namespace collection {

namespace {

using report::Control;
using report::ControlKind;
using report::SectionKind;

const char* const detailName = "Command3_Detail";
// Twips to a millimetre, as the report scales positions and heights; its width takes 56.66.
constexpr double twipsPerMm = 56.693;
constexpr double widthTwipsPerMm = 56.66;

Control designed(const QString& name, ControlKind kind)
{
    Control c;
    c.name = name;
    c.kind = kind;
    c.visible = false;
    c.width = 1000;
    c.height = 300;
    // The voucher's boxes are printed where they are: a text too long for its box is printed smaller.
    c.shrinkToFit = true;
    return c;
}

QString textBoxName(int n)
{
    return QStringLiteral("Text%1").arg(n);
}

QString labelName(int k)
{
    return QStringLiteral("Label%1").arg(k + 2);
}

struct Scale {
    float x = 0, y = 0;
    double gap = 0; // twips
};

void place(Control& c, const LayoutItem& item, const Scale& s)
{
    c.left = convert::toInt32(item.left * double(s.x));
    c.top = convert::toInt32(item.top * double(s.y) - s.gap);
    c.width = convert::toInt32(item.width * double(s.x));
    c.height = convert::toInt32(item.height * double(s.y));
    c.fontSize = item.fontSize > 0 ? item.fontSize : 0;
    c.alignment = static_cast<report::Alignment>(item.align);
}

struct Document {
    QString enterprise;
    QString number;
};

void markInvoices(const QList<Document>& documents)
{
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    db::inTransaction(ledgers, [&] {
        for (const Document& d : documents)
            ledgers.execute(QStringLiteral("Update %1 Set PiaoJuLeiXing=1 Where FaPiaoBianHao=?")
                                .arg(db::quoteIdentifier(lateFeeLedger::tableName(d.enterprise))),
                            {d.number});
    });
}

} // namespace

WTForm::WTForm(std::nullptr_t)
{
    title = QStringLiteral("委托单");
    font = report::Font{report::printFontFamily(), 9, false};
    addSection(QStringLiteral("ReportHeader"), SectionKind::ReportHeader, 0);
    addSection(QStringLiteral("PageHeader"), SectionKind::PageHeader, 0);
    report::Section& detail = addSection(QString::fromLatin1(detailName), SectionKind::Detail, 5669.3);
    for (int n = 1; n <= maxFields; ++n)
        detail.controls.push_back(designed(textBoxName(n), ControlKind::TextBox));
    for (int k = 1; k <= maxLabels; ++k)
        detail.controls.push_back(designed(labelName(k), ControlKind::Label));
    Control stop = designed(QStringLiteral("Label2"), ControlKind::Label);
    stop.caption = QStringLiteral(".");
    stop.visible = true;
    stop.width = 200;
    stop.height = 50;
    stop.fontSize = 1;
    addSection(QStringLiteral("PageFooter"), SectionKind::PageFooter, 50).controls = {stop};
    addSection(QStringLiteral("ReportFooter"), SectionKind::ReportFooter, 0);
}

WTForm::WTForm()
    : WTForm(nullptr)
{
    db::Connection layoutFile(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    DataReport_Initialize(CollectionLayout::read(layoutFile), Module1::gNonContinuousPrint);
}

void WTForm::DataReport_Initialize(const CollectionLayout& layout, bool singleSheets)
{
    if (!layout.paper)
        return;
    const LayoutPaper& p = *layout.paper;
    if (p.paperWidth <= 0 || p.paperHeight <= 0 || p.pictureWidth <= 0 || p.pictureHeight <= 0)
        throw report::Error(QStringLiteral("委托单的纸张和图片尺寸都要大于零。"));
    if (layout.fields.size() > maxFields)
        throw report::Error(QStringLiteral("委托单上没有第 %1 个字段的位置。").arg(maxFields + 1));
    if (layout.labels.size() > maxLabels)
        throw report::Error(QStringLiteral("委托单上没有第 %1 个标签的位置。").arg(maxLabels + 1));
    Scale s;
    try {
        s.gap = singleSheets ? gapOf(p) / 100.0 * twipsPerMm : 0.0;
    } catch (const convert::Error& e) {
        throw report::Error(QStringLiteral("非连续纸张偏移值不能用：%1").arg(e.description()));
    }
    s.x = static_cast<float>(p.paperWidth / p.pictureWidth / 100 * twipsPerMm);
    s.y = static_cast<float>(p.paperHeight / p.pictureHeight / 100 * twipsPerMm);

    width = convert::toInt32(p.paperWidth / 100 * widthTwipsPerMm);
    paper = QSizeF(p.paperWidth / 100 * twipsPerMm, p.paperHeight / 100 * twipsPerMm);
    orientation = report::Orientation::Portrait;
    leftMargin = rightMargin = topMargin = bottomMargin = 0;
    for (report::Section& section : sections()) {
        const bool detail = section.name == QLatin1String(detailName);
        section.height = detail ? p.paperHeight / 100 * twipsPerMm : 0;
        section.visible = detail;
    }
    section(QStringLiteral("PageHeader")).visible = true;
    report::Section& footer = section(QStringLiteral("PageFooter"));
    footer.visible = true;
    footer.height = 50;

    report::Section& detail = section(QString::fromLatin1(detailName));
    if (!layout.fields.isEmpty()) {
        for (int n = 1; n <= maxFields; ++n) {
            const bool placed = n <= layout.fields.size();
            const LayoutItem& item = placed ? layout.fields[n - 1] : layout.fields.back();
            Control& c = detail.control(textBoxName(n));
            place(c, item, s);
            c.dataField = item.name.toString();
            c.visible = placed;
        }
    }
    if (!layout.labels.isEmpty()) {
        for (int k = 1; k <= maxLabels; ++k) {
            const bool placed = k <= layout.labels.size();
            const LayoutItem& item = placed ? layout.labels[k - 1] : layout.labels.back();
            Control& c = detail.control(labelName(k));
            place(c, item, s);
            c.caption = item.name.toString();
            c.visible = placed;
        }
    }
}

printRun::PaperRequest paperRequest(const CollectionLayout& layout)
{
    printRun::PaperRequest request{1, QStringLiteral("UserDefine"), 0, 0, 256};
    if (!layout.paper)
        return request;
    try {
        request.paperLength = convert::toInt16(layout.paper->paperHeight / 10);
        request.paperWidth = convert::toInt16(layout.paper->paperWidth / 10);
    } catch (const convert::Error&) {
        // The run's check says so before the control is touched.
        request.paperLength = request.paperWidth = 0;
    }
    return request;
}

printRun::Outcome PrintCollectionDocuments(QWidget* window, const QList<QWidget*>& commands)
{
    const bool singleSheets = Module1::gNonContinuousPrint;
    const bool lateFeeOn = Module1::gLateFeeOn;
    const ErrorSink errors = messageBoxSink(window);
    // Closed however the run ends.
    std::unique_ptr<frmMsgBox> progress(new frmMsgBox(window));
    progress->showText(QStringLiteral("正在打印委托..."));

    CollectionLayout layout;
    try {
        db::Connection layoutFile(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        layout = CollectionLayout::read(layoutFile);
    } catch (const std::exception& e) {
        errors(platform::describe(e));
        return printRun::Outcome::Failed;
    }

    // Loaded by the run's first step that reads it, so a run refused before its check leaves the
    // environment alone; unloaded however the run ends.
    std::optional<DataEnv::Loaded> loaded;
    const auto env = [&loaded]() -> DataEnv& {
        if (!loaded)
            loaded.emplace();
        return **loaded;
    };
    QList<Document> documents;
    printRun::Request request;
    request.paper = paperRequest(layout);
    request.check = [&] {
        db::Connection& print = env().connection(QStringLiteral("Conn2"));
        const QString table = QStringLiteral("WTDW");
        if (!print.tableExists(table))
            throw report::Error(
                QStringLiteral("委托单不能打印：委托单打印文件中没有 WTDW 表，请先在“托收打印格式”中生成委托单结构。"));
        QStringList columns;
        for (const db::ColumnDef& c : print.columns(table))
            columns << c.name;
        QStringList problems = layoutProblems(layout, columns, singleSheets);
        auto rows =
            print.openRecordset(QStringLiteral("Select DanWeiBianHao,委托号码 from WTDW "), {}, db::LockType::ReadOnly);
        for (; !rows->isEOF(); rows->moveNext())
            documents << Document{rows->value(0).toString(), rows->value(1).toString()};
        if (documents.isEmpty())
            problems << QStringLiteral("本月还没有委托单：请先生成委托。");
        if (lateFeeOn && !documents.isEmpty()) {
            db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
            const lateFeeLedger::Names names(ledgers);
            QSet<QString> seen;
            for (const Document& d : documents)
                if (!seen.contains(d.enterprise.toLower())) {
                    seen.insert(d.enterprise.toLower());
                    if (names.find(d.enterprise).isEmpty())
                        problems << QStringLiteral("单位 %1 没有滞纳金表（%2），它的发票无法标记为已开委托。")
                                        .arg(d.enterprise, lateFeeLedger::tableName(d.enterprise));
                }
        }
        if (!problems.isEmpty())
            throw report::Error(QStringLiteral("委托单不能打印：\n") + problems.join(QLatin1Char('\n')));
    };
    request.render = [&] {
        WTForm form(nullptr);
        form.DataReport_Initialize(layout, singleSheets);
        std::unique_ptr<report::RowSource> rows = env().command(QStringLiteral("Command3"));
        return form.render(*rows);
    };
    request.showPrintDialog = false;
    request.progress = [&progress](int pending) { progress->setText(QStringLiteral("正在打印委托 %1").arg(pending)); };
    request.window = window;
    request.commands = commands;
    request.errors = errors;
    const printRun::Outcome outcome = printRun::run(request);
    loaded.reset();
    progress.reset();

    if (outcome == printRun::Outcome::Printed && lateFeeOn) {
        try {
            markInvoices(documents);
        } catch (const std::exception& e) {
            errors(QStringLiteral("委托单已经打印，但它们的发票没有在滞纳金表中标记为已开委托：%1")
                       .arg(platform::describe(e)));
        }
    }
    return outcome;
}

} // namespace collection
