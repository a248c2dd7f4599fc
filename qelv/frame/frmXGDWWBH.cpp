#include "qelv/frame/frmXGDWWBH.h"

#include "platform/db/error.h"
#include "platform/error/error.h"
#include "platform/settings/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/key_preview.h"
#include "qelv/core/navigation.h"
#include "qelv/core/typed_keys.h"
#include "qelv/frame/enterprise_renumbering.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>

namespace {

constexpr int barHeight = 300;
constexpr int clientWidth = 7140;
constexpr int clientHeight = 6345;
constexpr int gridWidth = 5700;

QPushButton* navButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, int left)
{
    return ui::pictureButton(parent, name, picture, left, 0, barHeight);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int top)
{
    return ui::commandButton(parent, name, gridWidth + 165, top, 1155, 375, caption);
}

} // namespace

frmXGDWWBH::frmXGDWWBH(QWidget* owner)
    : Form(owner),
      RecordBar(
          this, [this] { return adoPrimaryRS.get(); }, db::messages::closed)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("修改单位编号"),
                          .clientWidth = clientWidth,
                          .clientHeight = clientHeight,
                          .modal = true});
    grdDataGrid = ui::control<ui::DataGrid>(this, "grdDataGrid", 0, 0, gridWidth, clientHeight - 30 - barHeight);
    // The number changes only through the renumbering, which keeps the other files in step.
    grdDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    model_ = new ui::RecordsetModel(this);
    model_->setColumns({{QStringLiteral("DanWeiBianHao"), QStringLiteral("单位编号"), 1500},
                        {QStringLiteral("DanWeiQuangCheng"), QStringLiteral("单位名称"), 3700}});
    Command1 = button(this, "Command1", QStringLiteral("修  改(&E)"), 120);
    Command3 = button(this, "Command3", QStringLiteral("删  除(&D)"), 600);
    Command2 = button(this, "Command2", QStringLiteral("关  闭(&X)"), 1080);

    picStatBox = new QWidget(this);
    picStatBox->setObjectName(QStringLiteral("picStatBox"));
    ui::placeTwips(picStatBox, 0, clientHeight - barHeight, clientWidth, barHeight);
    cmdFirst = navButton(picStatBox, "cmdFirst", QStyle::SP_MediaSkipBackward, 0);
    cmdPrevious = navButton(picStatBox, "cmdPrevious", QStyle::SP_MediaSeekBackward, 345);
    lblStatus = ui::control<QLabel>(picStatBox, "lblStatus", 690, 0, 3360, barHeight);
    cmdNext = navButton(picStatBox, "cmdNext", QStyle::SP_MediaSeekForward, 4200);
    cmdLast = navButton(picStatBox, "cmdLast", QStyle::SP_MediaSkipForward, 4545);

    connect(Command1, &QPushButton::clicked, this, &frmXGDWWBH::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmXGDWWBH::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmXGDWWBH::Command3_Click);
    connectRecordBar();

    keys_ = new KeyPreview(this,
                           [this](QObject*, int key, Qt::KeyboardModifiers shift) { return Form_KeyDown(key, shift); });
    ui::centreOnScreen(this);
    Form_Load();
}

frmXGDWWBH::~frmXGDWWBH()
{
    delete keys_;
    unloadOnce();
    grdDataGrid->setRecordsetModel(nullptr);
    model_->setRecordset(nullptr);
}

void frmXGDWWBH::Form_Load()
{
    trapped([this] {
        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        adoPrimaryRS =
            conn_->openRecordset(QStringLiteral("select DanWeiBianHao,DanWeiQuangCheng from dw Order by DanWeiBianHao"),
                                 {}, db::LockType::Optimistic);
        connect(adoPrimaryRS.get(), &db::Recordset::moveComplete, this, [this] { adoPrimaryRS_MoveComplete(); });
        model_->setRecordset(adoPrimaryRS.get());
        grdDataGrid->setRecordsetModel(model_);
        adoPrimaryRS_MoveComplete();
    });
}

db::Recordset& frmXGDWWBH::rs() const
{
    if (!adoPrimaryRS)
        throw db::Error(QString::fromUtf8(db::messages::closed));
    return *adoPrimaryRS;
}

void frmXGDWWBH::trapped(const std::function<void()>& step)
{
    ui::showingErrors(this, step);
}

void frmXGDWWBH::adoPrimaryRS_MoveComplete()
{
    if (!adoPrimaryRS)
        return;
    lblStatus->setText(navigation::recordCaption(*adoPrimaryRS));
}

void frmXGDWWBH::showAgain(const QString& number)
{
    db::Recordset& r = rs();
    r.requery();
    if (r.recordCount() > 0 && !r.find(QStringLiteral("DanWeiBianHao"), number))
        r.moveFirst();
}

void frmXGDWWBH::Command1_Click()
{
    trapped([this] {
        billingControl::ensureYearFile(Module1::gWorkMonth.year());
        const QString newNumber =
            ui::inputBox(QStringLiteral("输入单位编号"), QStringLiteral("单位编号"), QString(), this);
        if (newNumber.isEmpty())
            return;
        if (const QString problem = typedKeys::blanksProblem(QStringLiteral("单位编号"), newNumber);
            !problem.isEmpty()) {
            ui::inform(problem, this);
            return;
        }
        const QString oldNumber = rs().value(QStringLiteral("DanWeiBianHao")).toString();
        if (newNumber != oldNumber) {
            enterpriseRenumbering::renumber(*conn_, oldNumber, newNumber, Module1::gWorkMonth.year());
            showAgain(newNumber);
        }
        settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("1"));
    });
}

void frmXGDWWBH::Command3_Click()
{
    trapped([this] {
        billingControl::ensureYearFile(Module1::gWorkMonth.year());
        const QString number = rs().value(QStringLiteral("DanWeiBianHao")).toString();
        if (!ui::askYesNo(QStringLiteral("删除单位编号为 %1 记录").arg(number), QStringLiteral("删除记录"), this))
            return;
        enterpriseRenumbering::removeData(*conn_, number, Module1::gWorkMonth.year());
    });
}

void frmXGDWWBH::Command2_Click()
{
    close();
}

bool frmXGDWWBH::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    // Esc is not one of this window's keys.
    return navigation::runKey(navigation::barMoves(this), keyCode, shift);
}

void frmXGDWWBH::Form_Resize()
{
    try {
        const int strip = picStatBox->height();
        picStatBox->setGeometry(0, height() - strip, width(), strip);
        grdDataGrid->resize(grdDataGrid->width(), qMax(0, height() - ui::px(30) - strip));
        navigation::fitRecordBar(this, 1500, lblStatus, cmdNext, cmdLast);
    } catch (const std::exception&) {
        // A resize that cannot lay the window out leaves it as it was.
        platform::warnDropped("renumbering window: laying out after a resize");
    }
}

void frmXGDWWBH::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    Form_Resize();
}

void frmXGDWWBH::Form_Unload()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (ui::askYesNo(QStringLiteral("是否已经修改了单位编号？"), QString::fromUtf8(ui::appTitle), this))
        ui::inform(QStringLiteral("请调用系统管理中的单位污染物管理菜单，重新创建数据库！"), this);
}
