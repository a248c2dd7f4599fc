#include "qelv/assessment/frmDWWRW.h"

#include "platform/db/error.h"
#include "platform/error/error.h"
#include "platform/settings/settings.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/core/data_files.h"
#include "qelv/core/key_preview.h"
#include "qelv/core/navigation.h"
#include "qelv/core/typed_keys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTreeWidget>

namespace {

constexpr int barHeight = 300;
constexpr int clientWidth = 9600;
constexpr int clientHeight = 7200;

QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, int left, int top)
{
    return ui::pictureButton(parent, name, picture, left, top, barHeight);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top, int width = 1095)
{
    return ui::commandButton(parent, name, left, top, width, 375, caption);
}

} // namespace

frmDWWRW::frmDWWRW(QWidget* owner)
    : Form(owner)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("排污单位排放污染物"),
                          .clientWidth = clientWidth,
                          .clientHeight = clientHeight,
                          .modal = true});

    DataGrid1Caption = ui::control<QLabel>(this, "DataGrid1Caption", 120, 60, 4500, 255, QStringLiteral("排污单位"));
    DataGrid1 = ui::control<ui::DataGrid>(this, "DataGrid1", 120, 315, 4500, 2640);
    DataGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    enterpriseModel_ = new ui::RecordsetModel(this);
    enterpriseModel_->setColumns({{QStringLiteral("DanWeiBianHao"), QStringLiteral("单位编号"), 1200},
                                  {QStringLiteral("DanWeiQuangCheng"), QStringLiteral("单位全称 "), 2800}});

    Command4 = pictureButton(this, "Command4", QStyle::SP_MediaSkipBackward, 120, 3015);
    Command5 = pictureButton(this, "Command5", QStyle::SP_MediaSeekBackward, 465, 3015);
    Label1 = ui::control<QLabel>(this, "Label1", 870, 3015, 3000, barHeight);
    Command6 = pictureButton(this, "Command6", QStyle::SP_MediaSeekForward, 3930, 3015);
    Command7 = pictureButton(this, "Command7", QStyle::SP_MediaSkipForward, 4275, 3015);

    grdDataGridCaption =
        ui::control<QLabel>(this, "grdDataGridCaption", 120, 3390, 7500, 255, QStringLiteral("单位污染物"));
    grdDataGrid = ui::control<ui::DataGrid>(this, "grdDataGrid", 120, 3645, 7500, 2640);
    assignmentModel_ = new ui::RecordsetModel(this);
    assignmentModel_->setColumns({{QStringLiteral("WuRanWuBianHao"), QStringLiteral("污染物编号"), 1300},
                                  {QStringLiteral("WuRanWuMingCheng"), QStringLiteral("污染物名称 "), 2200},
                                  {QStringLiteral("LeiXing"), QStringLiteral("污染物类型"), 1100},
                                  {QStringLiteral("PaiWuKou"), QStringLiteral("排污口"), 900},
                                  {QStringLiteral("FenLei"), QStringLiteral("分类"), 900}});
    assignmentModel_->setNewRowOffered(true);
    assignmentModel_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
    typedKeys::guardKeyColumns(*assignmentModel_);
    grdDataGrid->setButtonColumns({0});

    Command1 = button(this, "Command1", QStringLiteral("删除"), 7800, 3645);
    Command2 = button(this, "Command2", QStringLiteral("关闭"), 7800, 4125);
    Command3 = button(this, "Command3", QStringLiteral("创建数据库"), 7800, 4605, 1455);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ui::placeTwips(ListView1, 4740, 315, 4740, 3000);
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("污染物编号"), QStringLiteral("污染物全称"),
                                QStringLiteral("污染物类型"), QStringLiteral("分类")});
    ListView1->hide();

    cmdClose = button(this, "cmdClose", QStringLiteral("关闭(&C)"), 4675, clientHeight - 2 * barHeight - 75);
    picStatBox = new QWidget(this);
    picStatBox->setObjectName(QStringLiteral("picStatBox"));
    ui::placeTwips(picStatBox, 0, clientHeight - barHeight, clientWidth, barHeight);
    cmdFirst = pictureButton(picStatBox, "cmdFirst", QStyle::SP_MediaSkipBackward, 0, 0);
    cmdPrevious = pictureButton(picStatBox, "cmdPrevious", QStyle::SP_MediaSeekBackward, 345, 0);
    lblStatus = ui::control<QLabel>(picStatBox, "lblStatus", 690, 0, 3360, barHeight);
    cmdNext = pictureButton(picStatBox, "cmdNext", QStyle::SP_MediaSeekForward, 4200, 0);
    cmdLast = pictureButton(picStatBox, "cmdLast", QStyle::SP_MediaSkipForward, 4545, 0);

    connect(Command1, &QPushButton::clicked, this, &frmDWWRW::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmDWWRW::Command2_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmDWWRW::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmDWWRW::Command3_Click);
    for (auto [b, slot] :
         {std::pair{Command4, &frmDWWRW::Command4_Click}, std::pair{cmdFirst, &frmDWWRW::Command4_Click},
          std::pair{Command5, &frmDWWRW::Command5_Click}, std::pair{cmdPrevious, &frmDWWRW::Command5_Click},
          std::pair{Command6, &frmDWWRW::Command6_Click}, std::pair{cmdNext, &frmDWWRW::Command6_Click},
          std::pair{Command7, &frmDWWRW::Command7_Click}, std::pair{cmdLast, &frmDWWRW::Command7_Click}})
        connect(b, &QPushButton::clicked, this, slot);
    connect(grdDataGrid, &ui::DataGrid::buttonClick, this, [this](int) { ShowPollutantPicker(); });
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { PickPollutantForRow(); });

    keys_ = new KeyPreview(this, [this](QObject* receiver, int key, Qt::KeyboardModifiers shift) {
        // The keys of the pollutant list choose in the list.
        auto* w = qobject_cast<QWidget*>(receiver);
        if (w && (w == ListView1 || ListView1->isAncestorOf(w)))
            return false;
        return Form_KeyDown(key, shift);
    });
    ui::centreOnScreen(this);
    Form_Load();
}

frmDWWRW::~frmDWWRW()
{
    delete keys_;
    unloadOnce();
    grdDataGrid->setRecordsetModel(nullptr);
    DataGrid1->setRecordsetModel(nullptr);
    assignmentModel_->setRecordset(nullptr);
    enterpriseModel_->setRecordset(nullptr);
}

void frmDWWRW::Form_Load()
{
    try {
        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        pair_ = std::make_unique<db::RelatedRecordsets>(*conn_,
                                                        db::Relation{.parentSql = QStringLiteral("select * from dw"),
                                                                     .childSql = QStringLiteral("select * from dwwrw "),
                                                                     .parentKey = QStringLiteral("DanWeiBianHao"),
                                                                     .childKey = QStringLiteral("DanWeiBianHao")});
        pair_->setErrorHandler([this](const std::exception& e) { ui::showError(e, this); });
        connect(&pair_->parent(), &db::Recordset::moveComplete, this, [this] { adoPrimaryRS_MoveComplete(); });
        enterpriseModel_->setRecordset(&pair_->parent());
        DataGrid1->setRecordsetModel(enterpriseModel_);
        if (pair_->parent().recordCount() > 0) {
            assignmentModel_->setRowAdder([this] { pair_->addChild(); });
            assignmentModel_->setRecordset(&pair_->child());
            grdDataGrid->setRecordsetModel(assignmentModel_);
            adoPrimaryRS_MoveComplete();
        } else {
            ui::msgBox(QStringLiteral("请先输入单位!"), ui::Buttons::Ok, ui::Icon::None,
                       QString::fromUtf8(ui::appTitle), this);
        }

        wrwConn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        auto list = wrwConn_->openRecordset(QStringLiteral("Select * from wrw order by WuRanWuBianHao "), {},
                                            db::LockType::ReadOnly);
        if (list->recordCount() == 0) {
            ui::msgBox(QStringLiteral("请先输入污染物!"), ui::Buttons::Ok, ui::Icon::None,
                       QString::fromUtf8(ui::appTitle), this);
            return;
        }
        for (; !list->isEOF(); list->moveNext()) {
            auto* item = new QTreeWidgetItem(ListView1);
            item->setText(0, ui::fieldText(list->value(QStringLiteral("WuRanWuBianHao"))));
            item->setText(1, ui::fieldText(list->value(QStringLiteral("MingCheng"))));
            item->setText(2, ui::fieldText(list->value(QStringLiteral("LeiXing"))));
            item->setText(3, ui::fieldText(list->value(QStringLiteral("FenLei"))));
        }
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

QString frmDWWRW::assignmentCaption() const
{
    return grdDataGridCaption->text();
}

void frmDWWRW::adoPrimaryRS_MoveComplete()
{
    try {
        db::Recordset& rs = pair_->parent();
        if (rs.absolutePosition() <= 0)
            return;
        const QVariant name = rs.value(QStringLiteral("DanWeiQuangCheng"));
        if (name.isNull())
            throw platform::Error(QStringLiteral("无效使用 Null"));
        Label1->setText(name.toString());
        grdDataGridCaption->setText(name.toString() + QStringLiteral("污染物种类"));
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmDWWRW::writePendingAssignment()
{
    grdDataGrid->commitEdit();
    if (!pair_)
        return;
    db::Recordset& rs = pair_->child();
    if (rs.editMode() != db::EditMode::None)
        rs.update();
}

void frmDWWRW::ShowPollutantPicker()
{
    ListView1->show();
    ListView1->raise();
    ListView1->setFocus();
}

void frmDWWRW::PickPollutantForRow()
{
    QTreeWidgetItem* item = ListView1->currentItem();
    const QString s = item ? item->text(0) : QString();
    if (!s.isEmpty()) {
        db::Recordset* rs = nullptr;
        try {
            grdDataGrid->commitEdit();
            if (!pair_ || !grdDataGrid->recordsetModel())
                throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
            rs = &pair_->child();
            if (rs->isEOF())
                pair_->addChild();
            auto numberOrNull = [](const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); };
            const QVariant current = rs->value(QStringLiteral("WuRanWuBianHao"));
            if (current.isNull() || current.toString() != s) {
                rs->setValue(QStringLiteral("WuRanWuBianHao"), s);
                rs->setValue(QStringLiteral("WuRanWuMingCheng"), numberOrNull(item->text(1)));
                rs->setValue(QStringLiteral("LeiXing"), numberOrNull(item->text(2)));
                rs->setValue(QStringLiteral("PaiWuKou"), 1);
                rs->setValue(QStringLiteral("FenLei"), numberOrNull(item->text(3)));
                rs->update();
            } else {
                bool changed = false;
                const std::pair<const char*, int> copies[] = {{"WuRanWuMingCheng", 1}, {"LeiXing", 2}, {"FenLei", 3}};
                for (const auto& [name, column] : copies) {
                    const QString field = QString::fromLatin1(name);
                    const QString picked = item->text(column);
                    if (ui::fieldText(rs->value(field)) != picked) {
                        rs->setValue(field, numberOrNull(picked));
                        changed = true;
                    }
                }
                const QVariant outlet = rs->value(QStringLiteral("PaiWuKou"));
                if (outlet.isNull() || outlet.toLongLong() != 1) {
                    rs->setValue(QStringLiteral("PaiWuKou"), 1);
                    changed = true;
                }
                if (changed)
                    rs->update();
            }
        } catch (const std::exception& e) {
            // The grid shows what the file holds, not a pick that was refused.
            if (rs) {
                try {
                    rs->cancelUpdate();
                } catch (const std::exception&) {
                    // The pick's own failure is the one to show.
                    platform::warnDropped("enterprise pollutants: cancelling a refused pick");
                }
            }
            ui::showError(e, this);
        }
    }
    ListView1->hide();
}

void frmDWWRW::Command1_Click()
{
    if (!pair_ || !grdDataGrid->recordsetModel())
        return;
    db::Recordset& rs = pair_->child();
    // An empty grid, or the empty new row, has nothing to delete.
    if (rs.recordCount() == 0 || rs.currentIndex() < 0)
        return;
    try {
        grdDataGrid->discardEdit();
        if (rs.editMode() == db::EditMode::Add)
            rs.cancelUpdate();
        else
            rs.deleteCurrent();
        if (rs.recordCount() == 0)
            return;
        if (!rs.isEOF())
            rs.moveNext();
        if (rs.isEOF())
            rs.moveLast();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmDWWRW::Command2_Click()
{
    close();
}

void frmDWWRW::Command3_Click()
{
    try {
        writePendingAssignment();
        if (!conn_ || !wrwConn_)
            throw db::Error(QString::fromUtf8(db::messages::closed));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        discharge::buildTemplate(*conn_, *wrwConn_);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmDWWRW::navigate(void (*move)(db::Recordset&))
{
    if (!pair_)
        return;
    try {
        grdDataGrid->commitEdit();
        move(pair_->parent());
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}

void frmDWWRW::Command4_Click()
{
    navigate([](db::Recordset& rs) { rs.moveFirst(); });
}

void frmDWWRW::Command5_Click()
{
    navigate(navigation::movePreviousOrBeep);
}

void frmDWWRW::Command6_Click()
{
    navigate(navigation::moveNextOrBeep);
}

void frmDWWRW::Command7_Click()
{
    navigate([](db::Recordset& rs) { rs.moveLast(); });
}

bool frmDWWRW::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    if (grdDataGrid->isEditing())
        return false;
    return navigation::runKey({.close = [this] { Command2_Click(); },
                               .first = [this] { Command4_Click(); },
                               .previous = [this] { Command5_Click(); },
                               .next = [this] { Command6_Click(); },
                               .last = [this] { Command7_Click(); }},
                              keyCode, shift);
}

void frmDWWRW::Form_Resize()
{
    navigation::fitRecordBar(this, 1500, lblStatus, cmdNext, cmdLast);
}

void frmDWWRW::resizeEvent(QResizeEvent* event)
{
    Form::resizeEvent(event);
    Form_Resize();
}

void frmDWWRW::Form_Unload()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    try {
        writePendingAssignment();
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
    if (ui::askYesNo(QStringLiteral("有没有改变数据?改变单击是,没有单击否!"), QString::fromUtf8(ui::appTitle), this)) {
        try {
            settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("1"));
        } catch (const std::exception& e) {
            ui::showError(e, this);
        }
    }
}
