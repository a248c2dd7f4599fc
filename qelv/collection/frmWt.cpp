#include "qelv/collection/frmWt.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_binding.h"
#include "platform/ui/twips.h"
#include "qelv/collection/collection_documents.h"
#include "qelv/collection/collection_report.h"
#include "qelv/collection/invoice_number.h"
#include "qelv/collection/pm22_exchange.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/invoice_payment.h"
#include "qelv/core/navigation.h"
#include "qelv/core/print_run.h"
#include "qelv/core/run_toolbar.h"
#include "qelv/core/status_panels.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <limits>

using namespace Module1;

namespace {

const runToolbar::Button toolButtons[] = {
    {"所有委托", "sywt", "生成所有委托", false},
    {"所选委托", "sxwt", "生成所选委托", true},
    {"显示委托", "xswt", "显示委托", true},
    {"修改发票", "xgfp", "修改发票编号", true},
    {"连续套打", "lxtd", "连续委托票套打", false},
    {"单票套打", "flxtd", "非连续委托票套打", true},
    {"退 出", "tc", "退出", false},
};

const std::array<const char*, 24> kBrowserColumns = {"百",
                                                     "百万",
                                                     "分",
                                                     "付款人单位",
                                                     "付款人开户银行",
                                                     "付款人账号",
                                                     "角",
                                                     "款项内容",
                                                     "年",
                                                     "千",
                                                     "千万",
                                                     "日",
                                                     "十",
                                                     "十万",
                                                     "收款人单位",
                                                     "收款人开户银行",
                                                     "收款人账号",
                                                     "万",
                                                     "委托号码",
                                                     "委托金额大写合计",
                                                     "委托密码",
                                                     "协议号",
                                                     "元",
                                                     "月"};

// Where each document column stands on the picture of the form (twips from its top-left corner).
struct Place {
    const char* column;
    double left, top, width;
};

const double digitLeft = 8460;
const double digitStep = 540;

const Place places[] = {
    {"年", 8400, 360, 800},
    {"月", 9420, 360, 500},
    {"日", 10140, 360, 500},
    {"委托号码", 11700, 360, 2300},
    {"付款人单位", 1500, 960, 5300},
    {"付款人账号", 1500, 1500, 5300},
    {"付款人开户银行", 1500, 2040, 5300},
    {"收款人单位", 8460, 960, 5500},
    {"收款人账号", 8460, 1500, 5500},
    {"收款人开户银行", 8460, 2040, 5500},
    {"委托金额大写合计", 1500, 2820, 6600},
    {"千万", digitLeft + 0 * digitStep, 2820, 480},
    {"百万", digitLeft + 1 * digitStep, 2820, 480},
    {"十万", digitLeft + 2 * digitStep, 2820, 480},
    {"万", digitLeft + 3 * digitStep, 2820, 480},
    {"千", digitLeft + 4 * digitStep, 2820, 480},
    {"百", digitLeft + 5 * digitStep, 2820, 480},
    {"十", digitLeft + 6 * digitStep, 2820, 480},
    {"元", digitLeft + 7 * digitStep, 2820, 480},
    {"角", digitLeft + 8 * digitStep, 2820, 480},
    {"分", digitLeft + 9 * digitStep, 2820, 480},
    {"款项内容", 1500, 3600, 3600},
    {"协议号", 6600, 3600, 3000},
    {"委托密码", 6600, 4200, 3000},
};

const double boxHeight = 330;

const char* const noBrowser = "还没有显示委托：请先按“显示委托”。";

// The blank form as the program folder ships it; a plain sheet without it.
QPixmap formPicture()
{
    const QString path = files::resolve(files::appPath() + QStringLiteral("/pic/wt.jpg"));
    QPixmap picture;
    if (files::exists(path))
        picture.load(path);
    return picture;
}

} // namespace

frmWt::frmWt(QWidget* owner)
    : Form(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      RecordBar(
          this, [this] { return adoPrimaryRS_.get(); }, noBrowser)
{
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(QStringLiteral("委托单"));
    setModal(false);
    ui::clientSizeTwips(this, 14400, 10500);

    buildToolbar();
    ListView1 = ui::control<QTreeWidget>(this, "ListView1", 60, 660, 14280, 2700);
    ListView1->setColumnCount(5);
    ListView1->setHeaderLabels({QStringLiteral("单位编号"), QStringLiteral("单位名称"), QStringLiteral("发票编号"),
                                QStringLiteral("金额"), QStringLiteral("密码")});
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    const int widths[] = {1500, 5400, 1800, 1800, 3000};
    for (int i = 0; i < 5; ++i)
        ListView1->header()->resizeSection(i, ui::px(widths[i]));
    buildBrowser();

    ProgressBar1 = ui::control<QProgressBar>(this, "ProgressBar1", 60, 9720, 14280, 255);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setVisible(false);

    sbStatusBar = statusPanels::make(this, 10080, 14400, panels, 2);

    // Runs from the window's opening to its end: a generation run waits for its next tick.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmWt::Timer1_Timer);
    Timer1->start();

    Form_Load();
}

frmWt::~frmWt()
{
    binding_->setRecordset(nullptr);
}

const std::array<const char*, 24>& frmWt::browserColumns()
{
    return kBrowserColumns;
}

void frmWt::buildToolbar()
{
    Toolbar1 = runToolbar::make(this, 14400, toolButtons, [this](const QString& key) { Toolbar1_ButtonClick(key); });
}

void frmWt::buildBrowser()
{
    Image1 = ui::control<QLabel>(this, "Image1", 60, 3420, 14280, 5700);
    Image1->setFrameShape(QFrame::Box);
    Image1->setAutoFillBackground(true);
    QPalette sheet = Image1->palette();
    sheet.setColor(QPalette::Window, Qt::white);
    Image1->setPalette(sheet);
    Image1->setScaledContents(true);
    Image1->setPixmap(formPicture());

    Label1 = ui::control<QLabel>(Image1, "Label1", 5700, 4230, 840, 270, QStringLiteral("密码"));
    Label2 = ui::control<QLabel>(Image1, "Label2", 5700, 3630, 840, 270, QStringLiteral("协议号"));

    QHash<QString, const Place*> byColumn;
    for (const Place& p : places)
        byColumn.insert(QString::fromUtf8(p.column), &p);
    binding_ = new ui::FieldBinding(this);
    for (std::size_t i = 0; i < kBrowserColumns.size(); ++i) {
        const QString column = QString::fromUtf8(kBrowserColumns[i]);
        const Place* p = byColumn.value(column);
        const QByteArray name = QStringLiteral("txtFields%1").arg(i).toLatin1();
        QLineEdit* box = ui::control<QLineEdit>(Image1, name.constData(), p->left, p->top, p->width, boxHeight);
        box->setToolTip(column);
        // The documents are what the run wrote and PM22 answered: the browser shows them, nobody edits them.
        box->setReadOnly(true);
        binding_->bind(box, column);
        txtFields[i] = box;
    }

    picStatBox = ui::control<QWidget>(this, "picStatBox", 60, 9180, 14280, 420);
    auto navButton = [this](const char* name, const QString& caption, double left) {
        return ui::commandButton(picStatBox, name, left, 0, 450, 375, caption);
    };
    cmdFirst = navButton("cmdFirst", QStringLiteral("|<"), 0);
    cmdPrevious = navButton("cmdPrevious", QStringLiteral("<"), 450);
    lblStatus = ui::control<QLabel>(picStatBox, "lblStatus", 1000, 60, 12280, 285);
    lblStatus->setAlignment(Qt::AlignCenter);
    cmdNext = navButton("cmdNext", QStringLiteral(">"), 13380);
    cmdLast = navButton("cmdLast", QStringLiteral(">|"), 13830);
    connectRecordBar();
}

void frmWt::Form_Load()
{
    try {
        const QString printFile = files::dataFile(dataFiles::monthCollections(gWorkMonth));
        if (!files::exists(printFile))
            files::copy(files::dataFile(QString::fromLatin1(dataFiles::collectionTemplate)), printFile);
        if (!files::exists(files::dataFile(dataFiles::billing(gWorkMonth.year())))) {
            ui::inform(QStringLiteral("没有数据!"), this);
            return;
        }
        loadList();
        statusPanels::showSession(panels[1], panels[2], panels[3]);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmWt::loadList()
{
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection billing(db::DataFile{dataFiles::billing(gWorkMonth.year())});
    const int m = gWorkMonth.month();
    const QString number = db::quoteIdentifier(QStringLiteral("M%1P").arg(m));
    const QString amount = db::quoteIdentifier(QStringLiteral("M%1M").arg(m));
    // The first invoice row of each enterprise, as a search from the top finds it.
    QHash<QString, std::pair<QString, QString>> invoices;
    auto kp = billing.openRecordset(QStringLiteral("select DanWeiBianHao, %1, %2 from KPKZK where %1 is not null and "
                                                   "%1 <> '' and %2 is not null and %2 <> 0")
                                        .arg(number, amount),
                                    {}, db::LockType::ReadOnly);
    for (; !kp->isEOF(); kp->moveNext()) {
        const QString key = kp->value(0).toString();
        if (!invoices.contains(key))
            invoices.insert(key, {kp->value(1).toString(), kp->value(2).toString()});
    }
    auto dw = enterprises.openRecordset(
        QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dw where WeiTuoXieYiHao is not null and "
                       "WeiTuoXieYiHao <> '' and ZhangHao is not null and ZhangHao <> '' order by DanWeiBianHao"),
        {}, db::LockType::ReadOnly);
    ListView1->clear();
    mListCount = 0;
    QList<QTreeWidgetItem*> items;
    for (; !dw->isEOF(); dw->moveNext()) {
        const QString key = dw->value(0).toString();
        const auto found = invoices.constFind(key);
        if (found == invoices.constEnd())
            continue;
        if (mListCount == std::numeric_limits<std::int16_t>::max())
            throw convert::Error(QStringLiteral("溢出：列出的单位多于 32767 个"));
        ++mListCount;
        auto* item = new QTreeWidgetItem;
        item->setText(Enterprise, key);
        item->setText(Name, dw->value(1).toString());
        item->setText(InvoiceNumber, found->first);
        item->setText(Amount, found->second);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Enterprise, Qt::Unchecked);
        items << item;
    }
    ListView1->addTopLevelItems(items);
}

bool frmWt::busy() const
{
    return generating_ || printing_;
}

void frmWt::closeEvent(QCloseEvent* event)
{
    if (busy()) {
        event->ignore();
        return;
    }
    Form::closeEvent(event);
}

void frmWt::Timer1_Timer()
{
    mTimerWait = false;
}

void frmWt::Toolbar1_ButtonClick(const QString& key)
{
    Toolbar1->repaint();
    if (busy()) {
        ui::inform(generating_ ? QStringLiteral("正在生成委托，请等生成完成后再试。") : printRun::busyText(), this);
        return;
    }
    if (key == QLatin1String("sywt"))
        GenerateCollectionDocuments(false);
    else if (key == QLatin1String("sxwt"))
        GenerateCollectionDocuments(true);
    else if (key == QLatin1String("xswt"))
        ui::showingErrors(this, [this] { ShowCollectionDocuments(); });
    else if (key == QLatin1String("xgfp"))
        EditInvoiceNumber();
    else if (key == QLatin1String("lxtd"))
        PrintCollectionDocuments();
    else if (key == QLatin1String("flxtd"))
        PrintCollectionNonContinuous();
    else if (key == QLatin1String("tc"))
        close();
}

void frmWt::waitForTimerTick()
{
    mTimerWait = true;
    if (!Timer1->isActive())
        Timer1->start();
    QEventLoop wait;
    // Connected after Timer1_Timer, so the flag is clear when the loop is told to end.
    const auto tick = connect(Timer1, &QTimer::timeout, &wait, &QEventLoop::quit);
    while (mTimerWait)
        wait.exec();
    disconnect(tick);
}

void frmWt::GenerateCollectionDocuments(bool onlyChecked)
{
    if (mListCount <= 0)
        return;
    QList<collection::ListedInvoice> list;
    for (int i = 0; i < mListCount && i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        list << collection::ListedInvoice{item->text(Enterprise), item->text(Name), item->text(InvoiceNumber),
                                          item->text(Amount), item->checkState(Enterprise) == Qt::Checked};
    }

    generating_ = true;
    Toolbar1->setEnabled(false);
    std::unique_ptr<frmMsgBox> progress(new frmMsgBox(this));
    progress->showText(QStringLiteral("正在生成委托..."));
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    ProgressBar1->raise();

    collection::RunCallbacks callbacks;
    callbacks.progress = [this, &progress](int position, int count, int running) {
        const float step = 100.0f / static_cast<float>(count);
        ProgressBar1->setValue(static_cast<int>(static_cast<float>(position) * step));
        ProgressBar1->repaint();
        progress->setText(QStringLiteral("正在生成委托 %1").arg(running));
    };
    callbacks.afterProgram = [this] { waitForTimerTick(); };
    callbacks.password = [this](int row, const QString& password) {
        if (QTreeWidgetItem* item = ListView1->topLevelItem(row))
            item->setText(Password, password);
    };
    collection::DocumentGenerator generator(
        collection::RunState::fromModule1(), callbacks, [this](const QString& description) {
            const bool notFound = description == pm22::Exchange::notFoundText();
            ui::msgBox(description, ui::Buttons::Ok, notFound ? ui::Icon::Information : ui::Icon::None,
                       QString::fromUtf8(ui::appTitle), this);
        });
    const collection::RunResult result = generator.run(list, onlyChecked);

    ProgressBar1->setVisible(false);
    progress->close();
    progress.reset();
    Toolbar1->setEnabled(true);
    generating_ = false;
    if (result.completed)
        ui::inform(collection::closingMessage(result), this);
    raise();
    activateWindow();
}

void frmWt::ShowCollectionDocuments()
{
    binding_->setRecordset(nullptr);
    adoPrimaryRS_.reset();
    browserConn_.reset();
    lblStatus->clear();
    browserConn_ = std::make_unique<db::Connection>(db::DataFile{dataFiles::monthCollections(gWorkMonth)});
    QStringList columns;
    for (const char* c : kBrowserColumns)
        columns << QString::fromUtf8(c);
    adoPrimaryRS_ = browserConn_->openRecordset(
        QStringLiteral("select %1 from WTDW").arg(columns.join(QLatin1Char(','))), {}, db::LockType::ReadOnly);
    connect(adoPrimaryRS_.get(), &db::Recordset::moveComplete, this, &frmWt::showPosition);
    binding_->setRecordset(adoPrimaryRS_.get());
    showPosition();
}

void frmWt::showPosition()
{
    if (adoPrimaryRS_)
        lblStatus->setText(navigation::recordCaption(*adoPrimaryRS_));
}

void frmWt::EditInvoiceNumber()
{
    if (mListCount <= 0)
        return;
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* row = selected.first();
    const QString answer =
        ui::inputBox(QStringLiteral("输入发票编号"), QStringLiteral("发票编号修改"), QString(), this);
    if (answer.isEmpty())
        return;
    try {
        row->setText(InvoiceNumber,
                     collection::changeInvoiceNumber(gWorkMonth.year(), gWorkMonth.month(), row->text(Enterprise),
                                                     row->text(InvoiceNumber), answer));
    } catch (const collection::NumberError& e) {
        ui::inform(e.description(), this);
    } catch (const invoicePayment::Stale& e) {
        // The list is read once, when the window opens.
        ui::inform(e.description() + QStringLiteral("请关闭“委托单”窗口，重新打开后再修改。"), this);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmWt::PrintCollectionDocuments()
{
    printing_ = true;
    collection::PrintCollectionDocuments(this, {Toolbar1});
    printing_ = false;
    raise();
    activateWindow();
}

void frmWt::PrintCollectionNonContinuous()
{
    // The report reads the flag when it is made; it is set back however the run ends.
    const QScopedValueRollback singleSheets(gNonContinuousPrint, true);
    PrintCollectionDocuments();
}
