#include "qelv/assessment/frmKaiPiao.h"

#include "qelv/assessment/fee_list.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/error.h"
#include "platform/files/files.h"
#include "platform/settings/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/twips.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/formula.h"
#include "qelv/assessment/formula_tokens.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmCJSJK.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/core/lookup_indexes.h"
#include "qelv/core/navigation.h"
#include "qelv/core/status_panels.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>
#include <exception>
#include <future>

namespace {

constexpr int clientWidth = 10440;
constexpr int clientHeight = 7005;
constexpr int barHeight = 300;
constexpr int statusTop = 6705;
const int panelWidths[] = {1200, 2400, 2800, 2600, 1440};

const char* const feeCaption = "收费金额";
const char* const yesNoCaption = "是否单独列为收费项目";
const char* const equivalentMark = "当量";

QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, int left, int top)
{
    return ui::pictureButton(parent, name, picture, left, top, barHeight);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    return ui::commandButton(parent, name, left, top, 2640, 375, caption);
}

QString titled(const char* text)
{
    return QString::fromUtf8(text);
}

bool onRow(const db::Recordset& rs)
{
    return !rs.isBOF() && !rs.isEOF() && rs.currentIndex() >= 0;
}

QString monthFilePath()
{
    return files::dataFile(dataFiles::monthData(Module1::gWorkMonth));
}

} // namespace

frmKaiPiao::frmKaiPiao(QWidget* owner)
    : Form(owner)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("排污数据录入"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setSizeGripEnabled(true);
    ui::clientSizeTwips(this, clientWidth, clientHeight);

    Frame2 = ui::control<QGroupBox>(this, "Frame2", 60, 0, 10320, 3000, QStringLiteral("排污单位及排放污染物"));
    ui::control<QLabel>(Frame2, "DataGrid1Caption", 120, 240, 3600, 255, QStringLiteral("排污单位"));
    DataGrid1 = ui::control<ui::DataGrid>(Frame2, "DataGrid1", 120, 495, 3600, 2040);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    enterpriseModel_ = new ui::RecordsetModel(this);
    enterpriseModel_->setColumns({{QStringLiteral("DanWeiBianHao"), QStringLiteral("单位编号"), 1000},
                                  {QStringLiteral("DanWeiQuangCheng"), QStringLiteral("单位全称 "), 2200}});
    Command4 = pictureButton(Frame2, "Command4", QStyle::SP_MediaSkipBackward, 120, 2595);
    Command3 = pictureButton(Frame2, "Command3", QStyle::SP_MediaSeekBackward, 465, 2595);
    Label1 = ui::control<QLabel>(Frame2, "Label1", 870, 2595, 2100, barHeight);
    Command2 = pictureButton(Frame2, "Command2", QStyle::SP_MediaSeekForward, 3030, 2595);
    Command1 = pictureButton(Frame2, "Command1", QStyle::SP_MediaSkipForward, 3375, 2595);

    ui::control<QLabel>(Frame2, "grdDataGridCaption", 3840, 240, 3600, 255, QStringLiteral("单位污染物"));
    grdDataGrid = ui::control<ui::DataGrid>(Frame2, "grdDataGrid", 3840, 495, 3600, 2400);
    grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    assignmentModel_ = new ui::RecordsetModel(this);
    assignmentModel_->setColumns({{QStringLiteral("WuRanWuBianHao"), QStringLiteral("污染物编号"), 1000},
                                  {QStringLiteral("WuRanWuMingCheng"), QStringLiteral("污染物名称 "), 1600},
                                  {QStringLiteral("PaiWuKou"), QStringLiteral("排污口"), 700}});

    ui::control<QLabel>(Frame2, "DataGrid3Caption", 7560, 240, 2640, 255, QStringLiteral("开票控制"));
    DataGrid3 = ui::control<ui::DataGrid>(Frame2, "DataGrid3", 7560, 495, 2640, 900);
    billingModel_ = new ui::RecordsetModel(this);
    billingModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });

    Command5 = button(Frame2, "Command5", QStringLiteral("复制指定月份数据"), 7560, 1500);
    Command6 = button(Frame2, "Command6", QStringLiteral("复制最新数据"), 7560, 1965);
    Command7 = button(Frame2, "Command7", QStringLiteral("打印开票单位数据"), 7560, 2430);

    Frame1 = ui::control<QGroupBox>(this, "Frame1", 60, 3060, 10320, 3300, QStringLiteral("排污数据"));
    picStatBox = new QWidget(Frame1);
    picStatBox->setObjectName(QStringLiteral("picStatBox"));
    ui::placeTwips(picStatBox, 120, 240, 10080, barHeight);
    cmdFirst = pictureButton(picStatBox, "cmdFirst", QStyle::SP_MediaSkipBackward, 0, 0);
    cmdPrevious = pictureButton(picStatBox, "cmdPrevious", QStyle::SP_MediaSeekBackward, 345, 0);
    lblStatus = ui::control<QLabel>(picStatBox, "lblStatus", 690, 0, 8400, barHeight);
    cmdNext = pictureButton(picStatBox, "cmdNext", QStyle::SP_MediaSeekForward, 9100, 0);
    cmdLast = pictureButton(picStatBox, "cmdLast", QStyle::SP_MediaSkipForward, 9440, 0);
    DataGrid2 = ui::control<ui::DataGrid>(Frame1, "DataGrid2", 120, 600, 10080, 1000);
    monthModel_ = new ui::RecordsetModel(this);
    monthModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    DataGrid2->installEventFilter(this);

    ListView1 = new QTreeWidget(Frame1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ui::placeTwips(ListView1, 120, 1680, 10080, 1500);
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("当量编号"), QStringLiteral("当量名称"), QStringLiteral("当量级别"),
                                QStringLiteral("当量值"), QStringLiteral("当量类型")});
    ListView1->hide();

    Command8 = pictureButton(this, "Command8", QStyle::SP_DialogCloseButton, 10035, 6390);

    sbStatusBar = new QStatusBar(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(false);
    ui::placeTwips(sbStatusBar, 0, statusTop, clientWidth, barHeight);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(sbStatusBar);
        panel->setObjectName(QStringLiteral("sbStatusBarPanel%1").arg(i + 1));
        panel->setMinimumWidth(ui::px(panelWidths[i]));
        sbStatusBar->addPermanentWidget(panel, i == 4 ? 0 : 1);
        panels_ << panel;
    }
    panels_[0]->setText(QStringLiteral("状态"));
    clock_ = new QTimer(this);
    connect(clock_, &QTimer::timeout, this,
            [this] { panels_[4]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm"))); });
    clock_->start(1000);
    panels_[4]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm")));

    for (auto [b, slot] :
         {std::pair{Command1, &frmKaiPiao::Command1_Click}, std::pair{Command2, &frmKaiPiao::Command2_Click},
          std::pair{Command3, &frmKaiPiao::Command3_Click}, std::pair{Command4, &frmKaiPiao::Command4_Click},
          std::pair{cmdFirst, &frmKaiPiao::cmdFirst_Click}, std::pair{cmdPrevious, &frmKaiPiao::cmdPrevious_Click},
          std::pair{cmdNext, &frmKaiPiao::cmdNext_Click}, std::pair{cmdLast, &frmKaiPiao::cmdLast_Click},
          std::pair{Command5, &frmKaiPiao::Command5_Click}, std::pair{Command6, &frmKaiPiao::Command6_Click},
          std::pair{Command7, &frmKaiPiao::Command7_Click}, std::pair{Command8, &frmKaiPiao::Command8_Click}})
        connect(b, &QPushButton::clicked, this, slot);
    connect(DataGrid2, &ui::DataGrid::buttonClick, this, &frmKaiPiao::ComputeFeeOrToggle);
    connect(DataGrid2, &ui::DataGrid::afterColUpdate, this, &frmKaiPiao::RecalcAfterEdit);
    connect(DataGrid3, &ui::DataGrid::buttonClick, this, &frmKaiPiao::ToggleMonthFlag);
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { PickEquivalent(); });

    ui::centreOnOwner(this);
    Form_Load();
}

frmKaiPiao::~frmKaiPiao()
{
    unloadOnce();
    for (ui::DataGrid* g : {DataGrid1, grdDataGrid, DataGrid2, DataGrid3})
        g->setRecordsetModel(nullptr);
    for (ui::RecordsetModel* m : {enterpriseModel_, assignmentModel_, billingModel_, monthModel_})
        m->setRecordset(nullptr);
}

QString frmKaiPiao::panelText(int panel) const
{
    return panels_.value(panel - 1) ? panels_[panel - 1]->text() : QString();
}

void frmKaiPiao::Form_Load()
{
    try {
        {
            db::Connection dl(db::DataFile{QString::fromLatin1(dataFiles::specialEquivalents)});
            auto rs = dl.openRecordset(QStringLiteral("select * from dl"), {}, db::LockType::ReadOnly);
            for (; !rs->isEOF(); rs->moveNext()) {
                QStringList texts;
                for (int f = 0; f < 5; ++f) {
                    const QVariant v = rs->value(f);
                    // A list item's text cannot be Null: such a row ends the load here.
                    if (v.isNull())
                        throw platform::Error(QStringLiteral("无效使用 Null"));
                    texts << ui::fieldText(v);
                }
                new QTreeWidgetItem(ListView1, texts);
            }
        }

        const QString gs = settings::get(QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
        if (gs == QLatin1String("1"))
            ui::inform(QStringLiteral("添加了新的污染物，请重新创建数据库！然后复制最新数据！"), this);
        else if (gs == QLatin1String("2"))
            ui::inform(QStringLiteral("修改了污染物公司，必须重新创建数据库！然后复制最新数据！"), this);

        if (settings::get(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0")) == QLatin1String("1")) {
            if (ui::askYesNo(QStringLiteral("单位污染物已修改过，是否自动复制最新数据！"),
                             QString::fromUtf8(ui::appTitle), this))
                files::copy(files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate)), monthFilePath());
            settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
        }

        billingControl::ensureYearFile(Module1::gWorkMonth.year());

        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        lookupIndexes::ensure(*conn_);
        pair_ = std::make_unique<db::RelatedRecordsets>(
            *conn_,
            db::Relation{.parentSql = QStringLiteral("select * from dw Order By DanWeiBianHao"),
                         .childSql = QStringLiteral("select * from dwwrw Order By WuRanWuBianHao"),
                         .parentKey = QStringLiteral("DanWeiBianHao"),
                         .childKey = QStringLiteral("DanWeiBianHao")});
        pair_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
        connect(&pair_->parent(), &db::Recordset::moveComplete, this, [this] { adoPrimaryRS_MoveComplete(); });
        connect(&pair_->child(), &db::Recordset::moveComplete, this, [this] { ad_MoveComplete(); });
        enterpriseModel_->setRecordset(&pair_->parent());
        DataGrid1->setRecordsetModel(enterpriseModel_);

        if (pair_->parent().recordCount() == 0) {
            ui::inform(QStringLiteral("请初始化软件!"), this);
        } else {
            RefreshMonthRow();
            pair_->parent().moveFirst();
        }

        statusPanels::showSession(panels_[1], panels_[2], panels_[3]);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

// --- binding -------------------------------------------------------------------------------------

void frmKaiPiao::RefreshMonthRow()
{
    try {
        if (!pair_ || pair_->parent().recordCount() == 0)
            return;
        assignmentModel_->setRecordset(&pair_->child());
        grdDataGrid->setRecordsetModel(assignmentModel_);
        gridsBound_ = true;
        if (pair_->child().recordCount() > 0)
            pair_->child().moveFirst();

        billingModel_->setRecordset(nullptr);
        billingRs_.reset();
        billingConn_ = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(Module1::gWorkMonth.year())});
        lookupIndexes::ensure(*billingConn_);
        const db::Recordset& enterprises = pair_->parent();
        openBillingRow(onRow(enterprises) ? ui::fieldText(enterprises.value(QStringLiteral("DanWeiBianHao")))
                                          : QString());
        bindBillingGrid(1600);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::openBillingRow(const QString& number)
{
    billingModel_->setRecordset(nullptr);
    billingRs_.reset();
    const QString m = QString::number(Module1::gWorkMonth.month());
    // Only the month's number, which the program makes, is spliced; the enterprise's is bound.
    const QString sql = QStringLiteral("Select DanWeiBianHao as 单位编号, M%1 AS [%1月],M%1N AS [几个月], M%1B AS "
                                       "[%1月注释] FROM KPKZK where DanWeiBianHao=?")
                            .arg(m);
    billingRs_ = billingConn_->openRecordset(sql, {number}, db::LockType::Optimistic);
    if (billingRs_->recordCount() == 0 && billingControl::ensureRow(*billingConn_, number))
        billingRs_->requery();
}

void frmKaiPiao::bindBillingGrid(int remarkWidth)
{
    QList<ui::GridColumn> columns;
    const QList<int> widths = {0, 500, 600, remarkWidth};
    for (int i = 0; i < billingRs_->fieldCount() && i < widths.size(); ++i)
        columns << ui::GridColumn{billingRs_->fieldName(i), billingRs_->fieldName(i), widths[i]};
    billingModel_->setColumns(columns);
    billingModel_->setRecordset(billingRs_.get());
    DataGrid3->setRecordsetModel(billingModel_);
    DataGrid3->setColumnHidden(0, true);
    DataGrid3->setButtonColumns({1});
    // The grid is narrower than the three columns as designed: the month flag and the months covered
    // keep their widths, widened to their headings, and the remark takes what is left, so that all
    // three show without scrolling.
    if (columns.size() == widths.size()) {
        auto heading = [this](int column) { return static_cast<int>(std::ceil(DataGrid3->headingWidthTwips(column))); };
        int used = 0;
        for (int i = 1; i < 3; ++i) {
            columns[i].widthTwips = std::max(columns[i].widthTwips, heading(i));
            used += ui::px(columns[i].widthTwips);
        }
        const int rest = static_cast<int>(std::floor(DataGrid3->cellsWidthTwips() - ui::twips(used)));
        columns[3].widthTwips = std::max(rest, heading(3));
        billingModel_->setColumns(columns);
    }
}

void frmKaiPiao::adoPrimaryRS_MoveComplete()
{
    if (!gridsBound_ || !pair_)
        return;
    const db::Recordset& enterprises = pair_->parent();
    if (!onRow(enterprises))
        return;
    try {
        writePendingBillingRow();
        const QString number = ui::fieldText(enterprises.value(QStringLiteral("DanWeiBianHao")));
        if (!billingConn_)
            throw db::Error(QString::fromUtf8(db::messages::closed));
        // An enterprise shown for the first time in the year gets its billing row and its ledger, one
        // commit on each of two files. Each commit waits on the disk several times, so the ledger is
        // made on a thread of its own while the billing row is written here; the move ends only when
        // both are on disk. Nothing else uses the ledger connection meanwhile.
        std::future<bool> ledger;
        if (enterprises.absolutePosition() > 0) {
            Label1->setText(ui::fieldText(enterprises.value(QStringLiteral("DanWeiQuangCheng"))));
            if (!ledgerConn_)
                ledgerConn_ =
                    std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
            if (!lateFeeLedger::exists(*ledgerConn_, number))
                ledger = std::async(std::launch::async, [ledgers = ledgerConn_.get(), number] {
                    return lateFeeLedger::ensure(*ledgers, number);
                });
        }
        std::exception_ptr billingFailure;
        try {
            openBillingRow(number);
        } catch (...) {
            billingFailure = std::current_exception();
        }
        if (ledger.valid()) {
            try {
                ledger.get();
            } catch (const std::exception& e) {
                ui::showError(e, this);
            }
        }
        if (billingFailure)
            std::rethrow_exception(billingFailure);
        bindBillingGrid(2600);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::ad_MoveComplete()
{
    if (!gridsBound_ || !pair_)
        return;
    try {
        writePendingMonthRow();
        const db::Recordset& enterprises = pair_->parent();
        const db::Recordset& ad = pair_->child();
        if (enterprises.isBOF() || enterprises.isEOF())
            return;
        if (!files::exists(monthFilePath()))
            return;
        if (!monthConn_)
            monthConn_ = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthData(Module1::gWorkMonth)});
        if (enterprises.absolutePosition() > 0 && ad.absolutePosition() > 0)
            lblStatus->setText(QStringLiteral("  污染物: ") +
                               ui::fieldText(enterprises.value(QStringLiteral("DanWeiQuangCheng"))) +
                               QStringLiteral("->") + ui::fieldText(ad.value(QStringLiteral("WuRanWuMingCheng"))));
        clearMonthGrid();
        if (!onRow(ad)) {
            unbindMonthGrid();
            return;
        }
        const discharge::Assignment assignment{ui::fieldText(ad.value(QStringLiteral("DanWeiBianHao"))),
                                               ui::fieldText(ad.value(QStringLiteral("WuRanWuBianHao"))),
                                               ui::fieldText(ad.value(QStringLiteral("PaiWuKou")))};
        if (!wrwConn_)
            wrwConn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        // An assignment made after the month's file was copied gets its table now, once; a table that
        // cannot be made or opened is said, and the grid shows nothing rather than another row.
        if (discharge::ensureTable(*monthConn_, *wrwConn_, assignment)) {
            frmCJSJK notice(this);
            notice.exec();
        }
        monthRs_ = monthConn_->openRecordset(
            QStringLiteral("select * from %1").arg(db::quoteIdentifier(discharge::tableName(assignment))), {},
            db::LockType::Optimistic);
        bindMonthGrid();
    } catch (const std::exception& e) {
        // A pending row that could not be written stays shown; a table that could not be made or
        // opened shows nothing.
        if (!monthRs_)
            unbindMonthGrid();
        ui::showError(e, this);
    }
}

void frmKaiPiao::bindMonthGrid()
{
    QList<ui::GridColumn> columns;
    QList<int> buttons;
    const QString yesNo = titled(yesNoCaption);
    for (int i = 0; i < monthRs_->fieldCount(); ++i) {
        const QString name = monthRs_->fieldName(i);
        ui::GridColumn c{name, name, 1300};
        // Money shows its fen: a fee of 84 reads "84.00", a figure not yet entered "0.00".
        if (monthRs_->fieldType(i) == db::ColumnType::Currency)
            c.format = QStringLiteral("0.00");
        if (name == yesNo) {
            c.widthTwips = 1900;
            c.trueText = QStringLiteral("是");
            c.falseText = QStringLiteral("否");
        }
        if (name.contains(titled(equivalentMark), Qt::CaseInsensitive) || name == titled(feeCaption) || name == yesNo)
            buttons << i;
        columns << c;
    }
    monthModel_->setColumns(columns);
    monthModel_->setRecordset(monthRs_.get());
    if (DataGrid2->recordsetModel() != monthModel_)
        DataGrid2->setRecordsetModel(monthModel_);
    DataGrid2->setButtonColumns(buttons);
    DataGrid2->viewport()->update();
}

// From one assignment to the next the grid stays on its model and only the model's recordset
// changes: taking a view off its model and back costs more than the rest of a move.
void frmKaiPiao::clearMonthGrid()
{
    DataGrid2->discardEdit();
    monthModel_->setRecordset(nullptr);
    monthRs_.reset();
}

void frmKaiPiao::unbindMonthGrid()
{
    clearMonthGrid();
    if (DataGrid2->recordsetModel())
        DataGrid2->setRecordsetModel(nullptr);
}

void frmKaiPiao::writePendingMonthRow()
{
    DataGrid2->commitEdit();
    if (monthRs_ && monthRs_->editMode() != db::EditMode::None)
        monthRs_->update();
}

void frmKaiPiao::writePendingBillingRow()
{
    DataGrid3->commitEdit();
    if (billingRs_ && billingRs_->editMode() != db::EditMode::None)
        billingRs_->update();
}

// --- navigation ----------------------------------------------------------------------------------

void frmKaiPiao::navigate(db::Recordset* rs, void (*move)(db::Recordset&))
{
    if (!rs)
        return;
    try {
        move(*rs);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
    DataGrid2->setFocus();
}

void frmKaiPiao::Command1_Click()
{
    navigate(enterprises(), [](db::Recordset& rs) { rs.moveLast(); });
}

void frmKaiPiao::Command2_Click()
{
    navigate(enterprises(), navigation::moveNextOrBeep);
}

void frmKaiPiao::Command3_Click()
{
    navigate(enterprises(), navigation::movePreviousOrBeep);
}

void frmKaiPiao::Command4_Click()
{
    navigate(enterprises(), [](db::Recordset& rs) { rs.moveFirst(); });
}

void frmKaiPiao::cmdFirst_Click()
{
    navigate(assignments(), [](db::Recordset& rs) { rs.moveFirst(); });
}

void frmKaiPiao::cmdPrevious_Click()
{
    navigate(assignments(), navigation::movePreviousOrBeep);
}

void frmKaiPiao::cmdNext_Click()
{
    navigate(assignments(), navigation::moveNextOrBeep);
}

void frmKaiPiao::cmdLast_Click()
{
    navigate(assignments(), [](db::Recordset& rs) { rs.moveLast(); });
}

bool frmKaiPiao::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    // Esc is not one of this window's keys.
    return navigation::runKey(navigation::barMoves(this), keyCode, shift);
}

void frmKaiPiao::keyPressEvent(QKeyEvent* event)
{
    // Only the window's own keys: a key that a control passed up is not the window's.
    if (QApplication::focusWidget() == this && Form_KeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    Form::keyPressEvent(event);
}

void frmKaiPiao::DataGrid2_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    // The arrows move through the assignments, the page keys through the enterprises.
    if (keyCode == Qt::Key_Up || keyCode == Qt::Key_Down)
        navigation::runKey(navigation::barMoves(this), keyCode, shift);
    else if (keyCode == Qt::Key_PageUp || keyCode == Qt::Key_PageDown)
        navigation::runKey({.first = [this] { Command4_Click(); },
                            .previous = [this] { Command3_Click(); },
                            .next = [this] { Command2_Click(); },
                            .last = [this] { Command1_Click(); }},
                           keyCode, shift);
}

bool frmKaiPiao::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DataGrid2 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        DataGrid2_KeyDown(key->key(), key->modifiers());
    }
    return Form::eventFilter(watched, event);
}

// --- fee entry -----------------------------------------------------------------------------------

QString frmKaiPiao::monthCaption(int column) const
{
    return monthModel_->headerData(column, Qt::Horizontal).toString();
}

int frmKaiPiao::feeColumn() const
{
    for (int i = 0; i < monthModel_->columnCount(); ++i)
        if (monthCaption(i) == titled(feeCaption))
            return i;
    return -1;
}

void frmKaiPiao::ComputeFeeOrToggle(int column)
{
    try {
        const QString caption = monthCaption(column);
        if (caption.contains(titled(equivalentMark))) {
            ListView1->show();
            ListView1->raise();
            ListView1->setFocus();
            pickColumn_ = column;
        } else if (caption == titled(feeCaption)) {
            computeFee(column);
        } else {
            const int field = monthModel_->fieldOf(column);
            if (!monthRs_ || field < 0)
                throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
            const bool wasNo = DataGrid2->text(column) == QStringLiteral("否");
            DataGrid2->commitEdit();
            monthRs_->setValue(field, wasNo);
        }
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::computeFee(int column)
{
    if (!pair_ || !onRow(pair_->child()))
        throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
    const QString pollutant = ui::fieldText(pair_->child().value(QStringLiteral("WuRanWuBianHao")));
    if (!wrwConn_)
        wrwConn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    const std::optional<double> fee = formulaFee(
        readFormulaTokens(*wrwConn_, pollutant),
        [this](const QString& variable) -> std::optional<double> {
            for (int i = 0; i < monthModel_->columnCount(); ++i)
                if (monthCaption(i) == variable)
                    // The figure as stored, not as the cell shows it to two decimals.
                    return convert::toDouble(DataGrid2->valueText(i));
            return std::nullopt;
        },
        messageBoxSink(this));
    if (!fee)
        return;
    DataGrid2->setText(column, convert::format0_00(*fee));
}

void frmKaiPiao::RecalcAfterEdit(int column)
{
    try {
        const int fee = feeColumn();
        if (fee < 0)
            throw db::Error(QStringLiteral("找不到列“%1”。").arg(titled(feeCaption)));
        if (column >= fee)
            return;
        ComputeFeeOrToggle(fee);
        DataGrid3->setText(1, QStringLiteral("1"));
        DataGrid3->setText(2, QStringLiteral("1"));
        DataGrid3->viewport()->update();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::ToggleMonthFlag(int column)
{
    try {
        const QString text = DataGrid3->text(column);
        const bool zero = convert::isNumeric(text) && convert::toDouble(text) == 0;
        DataGrid3->setText(column, zero ? QStringLiteral("1") : QStringLiteral("0"));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::PickEquivalent()
{
    try {
        const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
        if (selected.isEmpty())
            throw platform::Error(QStringLiteral("对象变量或 With 块变量未设置"));
        ListView1->hide();
        DataGrid2->setText(pickColumn_, selected.first()->text(3));
        RecalcAfterEdit(pickColumn_);
        DataGrid2->setFocus();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

// --- month files ---------------------------------------------------------------------------------

void frmKaiPiao::replaceMonthFile(const QString& from)
{
    // The figures about to be replaced are not written; the copy goes beside the month's file and
    // over it in one step, so a copy that fails leaves the month's file as it was.
    DataGrid2->discardEdit();
    if (monthRs_ && monthRs_->editMode() != db::EditMode::None)
        monthRs_->cancelUpdate();
    db::copyDatabase(from, monthFilePath());
    unbindMonthGrid();
    RefreshMonthRow();
    settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
}

void frmKaiPiao::Command5_Click()
{
    try {
        const QString answer =
            ui::inputBox(QStringLiteral("输入年月，格式为YYYY-MM！"), QStringLiteral("输入年月"), QString(), this);
        if (answer.isEmpty())
            return;
        const QDate month = convert::toDate(answer);
        if (month.year() == Module1::gWorkMonth.year() && month.month() == Module1::gWorkMonth.month()) {
            ui::inform(QStringLiteral("输入的年月就是操作月份，不能复制到它自己！"), this);
            return;
        }
        const QString source = files::dataFile(dataFiles::monthData(month));
        replaceMonthFile(files::exists(source) ? source
                                               : files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate)));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::Command7_Click()
{
    panels_[0]->setText(QStringLiteral("请稍等..."));
    try {
        writePendingMonthRow();
        writePendingBillingRow();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
    // The run refuses a second print and the window's closing while it waits for the job.
    feeList::printFeeList(this, {Command5, Command6, Command7, Command8});
    panels_[0]->setText(QStringLiteral("状态"));
}

void frmKaiPiao::Command6_Click()
{
    try {
        replaceMonthFile(files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate)));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmKaiPiao::Command8_Click()
{
    close();
}

// --- geometry and closing ------------------------------------------------------------------------

void frmKaiPiao::Form_Resize()
{
    // The bar stands in a frame of its own, which grows with it.
    if (const auto statusWidth = navigation::fitRecordBar(this, 2000, lblStatus, cmdNext, cmdLast))
        picStatBox->resize(ui::px(*statusWidth + 700 + 340 + 345), picStatBox->height());
}

void frmKaiPiao::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    Form_Resize();
}

void frmKaiPiao::Form_Unload()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    try {
        if (DataGrid2->visibleRow() >= 0)
            writePendingMonthRow();
        if (DataGrid3->visibleRow() >= 0)
            writePendingBillingRow();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}
