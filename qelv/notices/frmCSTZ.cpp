#include "qelv/notices/frmCSTZ.h"

#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_binding.h"
#include "platform/ui/recordset_model.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/enterprise_list.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/generation_run.h"
#include "qelv/core/print_run.h"
#include "qelv/core/run_toolbar.h"
#include "qelv/core/status_panels.h"
#include "qelv/notices/notice_reports.h"

#include <QCloseEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

using namespace Module1;

namespace {

const runToolbar::Button toolButtons[] = {
    {"所有通知", "sytz", "生成所有通知", false},    {"所选通知", "sxtz", "生成所选通知", true},
    {"显示通知", "xstz", "显示通知", true},         {"打印通知", "dy", "打印", false},
    {"打印明细", "dymx", "打印单位排污明细", true}, {"退 出", "tc", "退出", false},
};

const char* const noBrowser = "还没有显示通知：请先按“显示通知”。";

ui::DataGrid* grid(QWidget* owner, const char* name, const char* caption, ui::RecordsetModel* model, double left,
                   double top, double width, double height)
{
    auto* title = ui::control<QLabel>(owner, "", left, top, width, 255, QString::fromUtf8(caption));
    title->setObjectName(QString::fromLatin1(name) + QStringLiteral("Caption"));
    auto* g = new ui::DataGrid(owner);
    g->setObjectName(QString::fromLatin1(name));
    g->setRecordsetModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::placeTwips(g, left, top + 270, width, height - 270);
    return g;
}

} // namespace

frmCSTZ::frmCSTZ(QWidget* owner)
    : Form(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      RecordBar(
          this, [this] { return adoPrimaryRS(); }, noBrowser)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("测算与收费通知"));
    setModal(false);
    ui::clientSizeTwips(this, 11400, 7800);

    buildToolbar();
    ListView1 = ui::control<QTreeWidget>(this, "ListView1", 60, 660, 3900, 6060);
    enterpriseList::setUp(ListView1, {QStringLiteral("单位编号"), QStringLiteral("单位全称")}, {1200});
    buildBrowser();

    ProgressBar1 = ui::control<QProgressBar>(this, "ProgressBar1", 60, 6780, 11280, 255);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(false);

    sbStatusBar = statusPanels::make(this, 7380, 11400, panels, 2);
    clock_ = new QTimer(this);
    const auto tick = [this] { panels[4]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); };
    connect(clock_, &QTimer::timeout, this, tick);
    tick();
    clock_->start(1000);

    Form_Load();
}

frmCSTZ::~frmCSTZ()
{
    unbindBrowser();
}

void frmCSTZ::buildToolbar()
{
    Toolbar1 = runToolbar::make(this, 11400, toolButtons, [this](const QString& key) { Toolbar1_ButtonClick(key); });
}

void frmCSTZ::buildBrowser()
{
    ui::control<QLabel>(this, "Label10", 4080, 700, 1500, 255, QStringLiteral("交款单位名称："));
    lblStatus = ui::control<QLabel>(this, "lblStatus", 5580, 700, 5760, 255);
    ui::control<QLabel>(this, "Label5", 4080, 1030, 2500, 255, QStringLiteral("交款月份及合计金额(大写)："));
    Text5 = ui::control<QLineEdit>(this, "Text5", 6580, 1000, 4760, 300);
    ui::control<QLabel>(this, "Label9", 4080, 1360, 900, 255, QStringLiteral("经手人："));
    Text9 = ui::control<QLineEdit>(this, "Text9", 4980, 1330, 1800, 300);
    // The notices are what the run wrote: the browser shows them and takes no edit.
    Text5->setReadOnly(true);
    Text9->setReadOnly(true);
    binding_ = new ui::FieldBinding(this);
    binding_->bind(Text5, QStringLiteral("YingJiaoKuang"));
    binding_->bind(Text9, QStringLiteral("JingBanRen"));

    linesModel_ = new ui::RecordsetModel(this);
    linesModel_->setColumns({{QStringLiteral("ID"), QStringLiteral("ID"), 450},
                             {QStringLiteral("DanWeiBianHao"), QStringLiteral("DanWeiBianHao"), 1000},
                             {QStringLiteral("序号"), QStringLiteral("序号"), 500},
                             {QStringLiteral("项目"), QStringLiteral("项目"), 2900},
                             {QStringLiteral("金额"), QStringLiteral("金额"), 1100}});
    linesModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    DataGrid1 = grid(this, "DataGrid1", "应缴纳排污费明细", linesModel_, 4080, 1700, 7260, 2300);

    pollutantModel_ = new ui::RecordsetModel(this);
    pollutantModel_->setColumns({{QStringLiteral("DanWeiBianHao"), QStringLiteral("DanWeiBianHao"), 1000},
                                 {QStringLiteral("PaiWuKou"), QStringLiteral("排污口"), 600},
                                 {QStringLiteral("WuRanWuMingCheng"), QStringLiteral("污染物名称 "), 1400},
                                 {QStringLiteral("WuRanWuShuJu"), QStringLiteral("污染物数据"), 3900}});
    pollutantModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    DataGrid2 = grid(this, "DataGrid2", "污染物情况明细", pollutantModel_, 4080, 4060, 7260, 2160);

    picStatBox = ui::control<QWidget>(this, "picStatBox", 4080, 6300, 7260, 420);
    auto navButton = [this](const char* name, const QString& caption, double left) {
        return ui::control<QPushButton>(picStatBox, name, left, 0, 450, 375, caption);
    };
    cmdFirst = navButton("cmdFirst", QStringLiteral("|<"), 0);
    cmdPrevious = navButton("cmdPrevious", QStringLiteral("<"), 450);
    cmdNext = navButton("cmdNext", QStringLiteral(">"), 6360);
    cmdLast = navButton("cmdLast", QStringLiteral(">|"), 6810);
    connectRecordBar();
}

void frmCSTZ::Form_Load()
{
    try {
        const QString printFile = files::dataFile(dataFiles::monthNotices(gWorkMonth));
        if (!files::exists(printFile))
            files::copy(files::dataFile(QString::fromLatin1(dataFiles::noticeTemplate)), printFile);
        if (!files::exists(files::dataFile(dataFiles::billing(gWorkMonth.year())))) {
            ui::inform(QStringLiteral("没有数据!"), this);
            return;
        }
        loadList();
        statusPanels::showSession(panels[1], panels[2], panels[3]);
        db::Connection setUp(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        if (!notices::NoticeTexts::read(setUp, &BaseTexts))
            ui::inform(QStringLiteral("通知的基本内容为空！请设置。"), this);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmCSTZ::loadList()
{
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection billing(db::DataFile{dataFiles::billing(gWorkMonth.year())});
    QHash<QString, QString> names; // the first row of each number, as a search from the top finds it
    auto dw = enterprises.openRecordset(QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng From dw "), {},
                                        db::LockType::ReadOnly);
    for (; !dw->isEOF(); dw->moveNext()) {
        const QString number = dw->value(0).toString();
        if (!names.contains(number))
            names.insert(number, dw->value(1).toString());
    }
    auto billed = billing.openRecordset(QStringLiteral("Select DanWeiBianHao From KPKZK where %1=1")
                                            .arg(db::quoteIdentifier(QStringLiteral("M%1").arg(gWorkMonth.month()))),
                                        {}, db::LockType::ReadOnly);
    QList<enterpriseList::Row> rows;
    for (; !billed->isEOF(); billed->moveNext()) {
        const QString number = billed->value(0).toString();
        const auto found = names.constFind(number);
        if (found != names.constEnd())
            rows << enterpriseList::Row{number, found.value()};
    }
    ListedCount = enterpriseList::fill(ListView1, rows);
}

QString frmCSTZ::rowKey(int row) const
{
    return enterpriseList::rowKey(ListView1, row);
}

bool frmCSTZ::busy() const
{
    return generating_ || printRun::running();
}

void frmCSTZ::closeEvent(QCloseEvent* event)
{
    if (busy()) {
        event->ignore();
        return;
    }
    Form::closeEvent(event);
}

void frmCSTZ::Toolbar1_ButtonClick(const QString& key)
{
    Toolbar1->repaint();
    if (busy() && key != QLatin1String("xstz")) {
        ui::inform(generating_ ? QStringLiteral("正在生成通知，请等生成完成后再试。") : printRun::busyText(), this);
        return;
    }
    if (key == QLatin1String("sytz"))
        GenerateNotices(false);
    else if (key == QLatin1String("sxtz"))
        GenerateNotices(true);
    else if (key == QLatin1String("xstz")) {
        try {
            ShowNotices();
        } catch (const std::exception& e) {
            ui::showError(e, this);
        }
    } else if (key == QLatin1String("dy"))
        PrintNotices();
    else if (key == QLatin1String("dymx"))
        PrintPollutantDetails();
    else if (key == QLatin1String("tc"))
        close();
}

void frmCSTZ::GenerateNotices(bool selectedOnly)
{
    if (ListedCount <= 0)
        return;
    QList<notices::ListedEnterprise> list;
    for (const enterpriseList::Listed& row : enterpriseList::listed(ListView1, ListedCount))
        list << notices::ListedEnterprise{row.number, row.name, row.ticked};

    generating_ = true;
    Toolbar1->setEnabled(false);
    auto* progress = new frmMsgBox(this);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->showText(QStringLiteral("正在生成通知..."));
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    ProgressBar1->raise();
    const auto finish = [this, progress] {
        ProgressBar1->setVisible(false);
        progress->close();
        Toolbar1->setEnabled(true);
        generating_ = false;
    };
    try {
        auto runFiles = notices::RunFiles::open(gWorkMonth);
        notices::NoticeGenerator generator(
            *runFiles, notices::RunState::fromModule1(), BaseTexts,
            [this, progress](int position, int count, int processed) {
                ProgressBar1->setValue(generationRun::percent(position, count));
                ProgressBar1->repaint();
                progress->setText(QStringLiteral("正在生成通知 %1").arg(processed));
            },
            messageBoxSink(this));
        generator.setDetailStep([this](std::int16_t& index) { BuildPollutantDetail(index); });
        generator_ = &generator;
        const notices::RunResult result = generator.run(list, selectedOnly);
        generator_ = nullptr;
        finish();
        ui::inform(notices::closingMessage(result), this);
    } catch (const std::exception& e) {
        generator_ = nullptr;
        finish();
        ui::showError(e, this);
    }
    raise();
    activateWindow();
}

void frmCSTZ::BuildPollutantDetail(std::int16_t& index)
{
    const QTreeWidgetItem* item = ListView1->topLevelItem(index - 1);
    if (generator_)
        generator_->buildDetail(item ? item->text(0) : QString());
}

void frmCSTZ::unbindBrowser()
{
    binding_->setRecordset(nullptr);
    // The grids let go of the old rows before they go.
    linesModel_->setRecordset(nullptr);
    pollutantModel_->setRecordset(nullptr);
}

void frmCSTZ::ShowNotices()
{
    unbindBrowser();
    pollutantRows_.reset();
    browser_.reset();
    browserConn_.reset();
    browserConn_ = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthNotices(gWorkMonth)});
    browser_ = std::make_unique<db::RelatedRecordsets>(
        *browserConn_,
        db::Relation{QStringLiteral("select * from tzdw Order by DanWeiBianHao"),
                     QStringLiteral("select * from MX Order by ID ASC"), QStringLiteral("DanWeiBianHao"),
                     QStringLiteral("DanWeiBianHao")},
        db::LockType::ReadOnly);
    // The second child follows the same parent by the same key.
    pollutantRows_ = browserConn_->openRecordset(QStringLiteral("select * from WuRanWuMingXi Order By PaiWuKou ASC"),
                                                 {}, db::LockType::ReadOnly);
    db::Recordset& notices = browser_->parent();
    connect(&notices, &db::Recordset::moveComplete, this, &frmCSTZ::showCurrent);
    binding_->setRecordset(&notices);
    if (notices.recordCount() > 0) {
        linesModel_->setRecordset(&browser_->child());
        pollutantModel_->setRecordset(pollutantRows_.get());
    }
    showCurrent();
}

void frmCSTZ::showCurrent()
{
    db::Recordset* rs = adoPrimaryRS();
    if (!rs || rs->isBOF() || rs->isEOF() || rs->currentIndex() < 0)
        return;
    lblStatus->setText(rs->value(QStringLiteral("DanWeiQuangCheng")).toString());
    if (pollutantRows_)
        pollutantRows_->setFilter(QStringLiteral("DanWeiBianHao"), rs->value(QStringLiteral("DanWeiBianHao")));
}

void frmCSTZ::PrintNotices()
{
    notices::PrintNotices(this, {Toolbar1});
    panels[0]->setText(QStringLiteral("状态"));
    raise();
}

void frmCSTZ::PrintPollutantDetails()
{
    notices::PrintPollutantDetails(this, {Toolbar1});
    panels[0]->setText(QStringLiteral("状态"));
    raise();
}
