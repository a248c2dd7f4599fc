#include "qelv/invoicing/frmPJSCDY.h"

#include "platform/convert/convert.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_binding.h"
#include "platform/ui/recordset_model.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/amount_digits.h"
#include "qelv/core/data_env.h"
#include "qelv/core/data_files.h"
#include "qelv/core/enterprise_list.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/generation_run.h"
#include "qelv/core/navigation.h"
#include "qelv/core/print_run.h"
#include "qelv/core/run_toolbar.h"
#include "qelv/core/status_panels.h"
#include "qelv/invoicing/FPForm.h"
#include "qelv/invoicing/due_enterprises.h"
#include "qelv/invoicing/frmFaPiaoGuoLv.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/invoicing/invoice_print_db.h"
#include "qelv/invoicing/invoice_print_run.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <cmath>
#include <optional>

using namespace Module1;

namespace {

// In their order on the toolbar.
const runToolbar::Button toolButtons[] = {
    {"所有发票", "syfp", "生成所有发票"}, {"所选发票", "sxfp", "生成所选发票"},    {"设置过滤", "设置过滤", "设置过滤"},
    {"连续套打", "lxtd", "连续发票套打"}, {"单票套打", "flxtd", "非连续发票套打"}, {"退 出", "tc", "退出"},
};

// The preview's boxes: the KPDW column each shows, its label, and where box and label stand, the
// left counted from the preview's left edge.
struct PreviewBox {
    const char* column;
    const char* label;
    bool labelRight;
    double left, top, width;
};

const PreviewBox previewBoxes[] = {
    {"缴款单位", "缴费单位：", false, 1080, 900, 3000},
    {"年", "年", true, 4200, 900, 600},
    {"月", "月", true, 5040, 900, 420},
    {"日", "日", true, 5700, 900, 420},
    {"大写合计", "合计金额(大写)：", false, 1920, 5280, 3600},
    {"小写合计", "￥", false, 5880, 5280, 1500},
    {"收款单位", "收费单位：", false, 1080, 5700, 1800},
    {"审核", "审核：", false, 3660, 5700, 1000},
    {"经办人", "经手人：", false, 5670, 5700, 1000},
};

// The list beside the preview, and the preview's left edge.
const double listWidth = 4560;
const double previewLeft = 4740;
// The window is at least this wide; wider when the invoice lines need it.
const double designedWidth = 13200;

const char* const noPreview = "还没有显示发票：请先按“显示发票”。";

QString sameMonthText(const QDate& d)
{
    return convert::formatYearMonth(d);
}

} // namespace

frmPJSCDY::frmPJSCDY(QWidget* owner)
    : Form(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      RecordBar(
          this, [this] { return adoPrimaryRS(); }, noPreview)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("票据生成"));
    setModal(false);

    ListView1 = ui::control<QTreeWidget>(this, "ListView1", 60, 660, listWidth, 5520);
    enterpriseList::setUp(
        ListView1, {QStringLiteral("单位编号"), QStringLiteral("单位全称"), QStringLiteral("发票编号")}, {1000, 2300});

    Command1 = ui::control<QPushButton>(this, "Command1", 60, 6240, 1500, 375, QStringLiteral("显示发票"));
    connect(Command1, &QPushButton::clicked, this, &frmPJSCDY::Command1_Click);
    const double width = buildPreview();
    ui::clientSizeTwips(this, width, 7500);
    buildToolbar(width);

    ProgressBar1 = ui::control<QProgressBar>(this, "ProgressBar1", 60, 6720, width - 120, 255);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(false);

    sbStatusBar = statusPanels::make(this, 7080, width, panels, 1);

    Form_Load();
}

frmPJSCDY::~frmPJSCDY()
{
    binding_->setRecordset(nullptr);
    linesModel_->setRecordset(nullptr);
}

void frmPJSCDY::buildToolbar(double width)
{
    Toolbar1 = runToolbar::make(this, width, toolButtons, [this](const QString& key) { Toolbar1_ButtonClick(key); });
}

double frmPJSCDY::buildPreview()
{
    binding_ = new ui::FieldBinding(this);
    for (int i = 0; i < 9; ++i) {
        const PreviewBox& b = previewBoxes[i];
        Text[i] = ui::control<QLineEdit>(this, "", previewLeft + b.left, b.top, b.width, 300);
        Text[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        // What the print run records is what was generated: the preview shows it and takes no edit.
        Text[i]->setReadOnly(true);
        binding_->bind(Text[i], QString::fromUtf8(b.column));
        const QString caption = QString::fromUtf8(b.label);
        const double labelWidth = caption.size() * 210.0;
        const double labelLeft = previewLeft + (b.labelRight ? b.left + b.width + 15 : b.left - labelWidth - 15);
        auto* label = ui::control<QLabel>(this, "", labelLeft, b.top + 30, labelWidth, 255, caption);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }

    linesModel_ = new ui::RecordsetModel(this);
    QList<ui::GridColumn> columns{{QStringLiteral("ID"), QStringLiteral("ID"), 450},
                                  {QStringLiteral("DanWeiBianHao"), QStringLiteral("DanWeiBianHao"), 900},
                                  {QStringLiteral("序号"), QStringLiteral("序号"), 450},
                                  {QStringLiteral("项目"), QStringLiteral("项目"), 2000}};
    for (const QString& c : amountDigits::columnNames())
        columns << ui::GridColumn{c, c, 330};
    linesModel_->setColumns(columns);
    linesModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    DataGrid1 = new ui::DataGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setRecordsetModel(linesModel_);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every column of an invoice line, digit by digit, shows at once with its whole heading: each is
    // widened to its heading, and the grid to its columns.
    ui::placeTwips(DataGrid1, previewLeft, 1320, designedWidth - previewLeft - 60, 3840);
    double columnsWidth = 0;
    for (int i = 0; i < columns.size(); ++i) {
        columns[i].widthTwips =
            std::max(columns[i].widthTwips, static_cast<int>(std::ceil(DataGrid1->headingWidthTwips(i))));
        columnsWidth += ui::twips(ui::px(columns[i].widthTwips));
    }
    linesModel_->setColumns(columns);
    const double gridWidth = columnsWidth + ui::twips(DataGrid1->width()) - DataGrid1->cellsWidthTwips();
    const double width = std::max(designedWidth, previewLeft + gridWidth + 60);
    ui::placeTwips(DataGrid1, previewLeft, 1320, width - previewLeft - 60, 3840);

    auto navButton = [this](const char* name, const QString& caption, double left) {
        return ui::control<QPushButton>(this, name, left, 6240, 450, 375, caption);
    };
    cmdFirst = navButton("cmdFirst", QStringLiteral("|<"), previewLeft);
    cmdPrevious = navButton("cmdPrevious", QStringLiteral("<"), previewLeft + 450);
    lblStatus = ui::control<QLabel>(this, "lblStatus", previewLeft + 960, 6300, 3180, 255);
    cmdNext = navButton("cmdNext", QStringLiteral(">"), width - 960);
    cmdLast = navButton("cmdLast", QStringLiteral(">|"), width - 510);
    connectRecordBar();
    return width;
}

void frmPJSCDY::Form_Load()
{
    loadedMonth_ = gWorkMonth;
    if (!invoicing::EnsureMonthFile(gWorkMonth, messageBoxSink(this)))
        return;
    if (!files::exists(files::dataFile(dataFiles::billing(gWorkMonth.year())))) {
        ui::inform(QStringLiteral("没有数据!"), this);
        return;
    }
    try {
        LoadDueEnterprises({});
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    statusPanels::showSession(panels[1], panels[2], panels[3]);
}

void frmPJSCDY::LoadDueEnterprises(const invoicing::ListCondition& filter)
{
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection billing(db::DataFile{dataFiles::billing(gWorkMonth.year())});
    QList<enterpriseList::Row> rows;
    for (const invoicing::DueEnterprise& d :
         invoicing::dueEnterprises(enterprises, billing, gWorkMonth.month(), filter))
        rows << enterpriseList::Row{d.number, d.name, {d.invoiceNumber.toString()}};
    ListedCount = enterpriseList::fill(ListView1, rows);
}

QString frmPJSCDY::rowKey(int row) const
{
    return enterpriseList::rowKey(ListView1, row);
}

void frmPJSCDY::ApplyListFilter()
{
    frmFaPiaoGuoLv dialog(this);
    dialog.exec();
    if (!dialog.FilterAccepted)
        return;
    try {
        LoadDueEnterprises(dialog.Filter);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmPJSCDY::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("syfp"))
        GenerateInvoices(false);
    else if (key == QLatin1String("sxfp"))
        GenerateInvoices(true);
    else if (key == QStringLiteral("设置过滤"))
        ApplyListFilter();
    else if (key == QLatin1String("lxtd"))
        PrintInvoicesContinuous();
    else if (key == QLatin1String("flxtd"))
        PrintInvoicesNonContinuous();
    else if (key == QLatin1String("tc"))
        close();
}

bool frmPJSCDY::listIsCurrent()
{
    if (gWorkMonth.year() == loadedMonth_.year() && gWorkMonth.month() == loadedMonth_.month())
        return true;
    ui::msgBox(QStringLiteral("本窗口的单位列表是 %1 的，现在的操作月份是 %2。请关闭本窗口，再重新打开。")
                   .arg(sameMonthText(loadedMonth_), sameMonthText(gWorkMonth)),
               ui::Buttons::Ok, ui::Icon::Warning, QString::fromUtf8(ui::appTitle), this);
    return false;
}

void frmPJSCDY::GenerateInvoices(bool selectedOnly)
{
    // The print waiting for the printer has read these invoices and is about to record them.
    if (printRun::running()) {
        ui::inform(printRun::busyText(), this);
        return;
    }
    if (ListedCount <= 0)
        return;
    if (!listIsCurrent())
        return;
    QList<invoicing::ListedEnterprise> list;
    for (const enterpriseList::Listed& row : enterpriseList::listed(ListView1, ListedCount))
        list << invoicing::ListedEnterprise{row.number, row.ticked};

    auto* progress = new frmMsgBox(this);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->showText(QStringLiteral("正在生成发票..."));
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    ProgressBar1->raise();
    const auto finish = [this, progress] {
        ProgressBar1->setVisible(false);
        progress->close();
    };
    try {
        auto runFiles = invoicing::RunFiles::open(gWorkMonth);
        invoicing::InvoiceGenerator generator(*runFiles, invoicing::RunState::fromModule1(),
                                              [this, progress](int position, int count, int taken) {
                                                  ProgressBar1->setValue(generationRun::percent(position, count));
                                                  progress->setText(QStringLiteral("正在生成发票 %1").arg(taken));
                                              });
        const invoicing::RunResult result = generator.run(list, selectedOnly);
        finish();
        ui::inform(invoicing::closingMessage(result), this);
    } catch (const std::exception& e) {
        finish();
        ui::showError(e, this);
    }
    raise();
    activateWindow();
}

void frmPJSCDY::PrintInvoicesNonContinuous()
{
    // The report reads the flag when it is laid out; it is False again however the run ends.
    struct SingleSheets {
        SingleSheets() { gNonContinuousPrint = true; }
        ~SingleSheets() { gNonContinuousPrint = false; }
    } singleSheets;
    PrintInvoicesContinuous();
}

void frmPJSCDY::PrintInvoicesContinuous()
{
    if (printRun::running()) {
        ui::inform(printRun::busyText(), this);
        return;
    }
    panels[0]->setText(QStringLiteral("请等一会儿..."));
    std::unique_ptr<frmMsgBox> progress;
    // However the run ends: the progress window closed, this window in front, the status at rest.
    struct AtEnd {
        frmPJSCDY* window;
        std::unique_ptr<frmMsgBox>& progress;
        ~AtEnd()
        {
            if (progress)
                progress->close();
            window->raise();
            window->activateWindow();
            window->panels[0]->setText(QStringLiteral("状态"));
        }
    } atEnd{this, progress};

    if (!listIsCurrent())
        return;
    // Without a layout to print with nothing is asked.
    std::optional<invoicing::PrintLayout> layout;
    try {
        layout = invoicing::checkPrintLayout(gNonContinuousPrint);
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }
    const QString title = QStringLiteral("输入发票编号");
    const QString firstText = ui::inputBox(QStringLiteral("请输入连续发票的第一张发票编号！"), title, QString(), this);
    if (firstText.isEmpty())
        return;
    const QString lastText = ui::inputBox(QStringLiteral("请输入连续发票的最后一张发票编号！"), title, QString(), this);
    if (lastText.isEmpty())
        return;
    progress = std::make_unique<frmMsgBox>(this);
    progress->showText(QStringLiteral("开始打印发票..."));

    const auto first = invoicing::invoiceNumber(firstText);
    const auto last = invoicing::invoiceNumber(lastText);
    if (!first || !last) {
        ui::inform(invoicing::invoiceNumberRefusal(first ? lastText : firstText), this);
        return;
    }
    if (*last < *first) {
        ui::inform(QStringLiteral("最后一张发票编号 %1 小于第一张 %2，没有打印。").arg(*last).arg(*first), this);
        return;
    }

    const invoicing::RunState state = invoicing::RunState::fromModule1();
    std::optional<invoicing::InvoicePrint> plan;
    std::unique_ptr<invoicing::InvoiceRecords> records;
    try {
        plan = invoicing::planInvoicePrint(state, *layout, *first, *last);
        if (!plan->reprints().isEmpty() && !ui::askYesNo(invoicing::reprintQuestion(*plan), title, this))
            return;
        records = std::make_unique<invoicing::InvoiceRecords>(*plan);
    } catch (const std::exception& e) {
        ui::showError(e, this);
        return;
    }

    const QStringList enterprises = plan->enterprises();
    printRun::Request request;
    request.paper = plan->paper;
    request.render = [&enterprises] {
        DataEnv::Loaded env;
        invoicing::FPForm report;
        report.DataReport_Initialize();
        return report.renderInvoices(env->connection(QStringLiteral("Conn")), enterprises);
    };
    request.record = [&records] { records->write(); };
    request.commit = [&records] {
        try {
            records->commit();
        } catch (const std::exception& e) {
            throw db::Error(
                QStringLiteral("发票已经打印，但发票编号没有记录：%1\n请重新打印这些发票。").arg(ui::describe(e)));
        }
    };
    request.progress = [&progress](int pending) { progress->setText(QStringLiteral("正在打印 %1").arg(pending)); };
    request.window = this;
    request.commands = {Toolbar1, Command1, cmdFirst, cmdPrevious, cmdNext, cmdLast};
    request.errors = messageBoxSink(this);
    if (printRun::run(request) != printRun::Outcome::Printed)
        return;
    records.reset();

    // The new numbers in the list; an enterprise no longer listed is only left out of it.
    for (const invoicing::NumberedInvoice& inv : plan->invoices)
        for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = ListView1->topLevelItem(i);
            if (item->text(0).compare(inv.enterprise, Qt::CaseInsensitive) == 0)
                item->setText(2, inv.number);
        }
    if (plan->unnumbered > 0)
        ui::inform(invoicing::unnumberedMessage(*plan), this);
}

void frmPJSCDY::Command1_Click()
{
    try {
        ShowGeneratedInvoices();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmPJSCDY::ShowGeneratedInvoices()
{
    binding_->setRecordset(nullptr);
    // The grid lets go of the old lines before they go; without invoices it then stays empty.
    linesModel_->setRecordset(nullptr);
    preview_.reset();
    previewConn_.reset();
    previewConn_ = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthInvoices(gWorkMonth)});
    preview_ = std::make_unique<db::RelatedRecordsets>(
        *previewConn_,
        db::Relation{QStringLiteral("select * from KPDW Order by DanWeiBianHao"),
                     QStringLiteral("select * from MX Order by ID ASC"), QStringLiteral("DanWeiBianHao"),
                     QStringLiteral("DanWeiBianHao")},
        db::LockType::ReadOnly);
    db::Recordset& invoices = preview_->parent();
    connect(&invoices, &db::Recordset::moveComplete, this, &frmPJSCDY::adoPrimaryRS_MoveComplete);
    binding_->setRecordset(&invoices);
    if (invoices.recordCount() > 0)
        linesModel_->setRecordset(&preview_->child());
    adoPrimaryRS_MoveComplete();
}

void frmPJSCDY::adoPrimaryRS_MoveComplete()
{
    db::Recordset* rs = adoPrimaryRS();
    if (!rs)
        return;
    const int position = rs->absolutePosition();
    lblStatus->setText(QStringLiteral("记录: ") + (position > 0 ? QString::number(position) : QString()));
}
