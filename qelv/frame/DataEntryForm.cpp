#include "qelv/frame/DataEntryForm.h"

#include "platform/error/error.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "platform/ui/twips.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/key_preview.h"
#include "qelv/core/navigation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int barHeight = 300;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left)
{
    return ui::commandButton(parent, name, left, 0, 1095, barHeight, caption);
}

QPushButton* navButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture, int left)
{
    return ui::pictureButton(parent, name, picture, left, 0, barHeight);
}

} // namespace

DataEntryForm::DataEntryForm(const Design& design, QWidget* owner)
    : Form(owner),
      design_(design)
{
    if (design.sizable) {
        setObjectName(QString::fromLatin1(design.formName));
        setWindowTitle(QString::fromUtf8(design.title));
        setModal(true);
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                       Qt::WindowCloseButtonHint);
        ui::clientSizeTwips(this, design.clientWidth, design.clientHeight);
    } else {
        ui::setUpFixedDialog(this,
                             {.formName = design.formName,
                              .caption = QString::fromUtf8(design.title),
                              .clientWidth = double(design.clientWidth),
                              .clientHeight = double(design.clientHeight),
                              .modal = true});
    }

    for (int i = 0; i < design.fields.size(); ++i) {
        const Field& f = design.fields[i];
        auto* label = new QLabel(QString::fromUtf8(f.caption), this);
        label->setObjectName(QStringLiteral("lblLabels%1").arg(i));
        ui::placeTwips(label, 120, f.top, 1815, 255);
        lblLabels << label;
        QWidget* box;
        if (f.multiLine) {
            auto* plain = new QPlainTextEdit(this);
            plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            binding_.bind(plain, QString::fromLatin1(f.name));
            box = plain;
        } else {
            auto* line = new QLineEdit(this);
            binding_.bind(line, QString::fromLatin1(f.name));
            box = line;
        }
        box->setObjectName(QStringLiteral("txtFields%1").arg(i));
        ui::placeTwips(box, 2040, f.top, f.width, f.height);
        label->setBuddy(box);
        txtFields << box;
    }
    buildBars();

    // The window sees every key before the control that has the focus.
    keys_ = new KeyPreview(this, [this](QObject* receiver, int key, Qt::KeyboardModifiers shift) {
        return Form_KeyDown(key, shift) && keepsKeyFrom(receiver);
    });

    if (design.centredOnOwner)
        ui::centreOnOwner(this);
    else
        ui::centreOnScreen(this);
}

DataEntryForm::~DataEntryForm()
{
    delete keys_;
    unbindControls();
}

void DataEntryForm::buildBars()
{
    picButtons = new QWidget(this);
    picButtons->setObjectName(QStringLiteral("picButtons"));
    cmdAdd = button(picButtons, "cmdAdd", QStringLiteral("添加(&A)"), 59);
    cmdEdit = button(picButtons, "cmdEdit", QStringLiteral("编辑(&E)"), 1213);
    cmdDelete = button(picButtons, "cmdDelete", QStringLiteral("删除(&D)"), 2367);
    cmdRefresh = button(picButtons, "cmdRefresh", QStringLiteral("刷新(&R)"), 3521);
    cmdClose = button(picButtons, "cmdClose", QStringLiteral("关闭(&C)"), 4675);
    cmdUpdate = button(picButtons, "cmdUpdate", QStringLiteral("更新(&U)"), 59);
    cmdCancel = button(picButtons, "cmdCancel", QStringLiteral("取消(&C)"), 1213);
    cmdUpdate->hide();
    cmdCancel->hide();

    picStatBox = new QWidget(this);
    picStatBox->setObjectName(QStringLiteral("picStatBox"));
    cmdFirst = navButton(picStatBox, "cmdFirst", QStyle::SP_MediaSkipBackward, 0);
    cmdPrevious = navButton(picStatBox, "cmdPrevious", QStyle::SP_MediaSeekBackward, 345);
    lblStatus = ui::control<QLabel>(picStatBox, "lblStatus", 690, 0, 3360, barHeight);
    cmdNext = navButton(picStatBox, "cmdNext", QStyle::SP_MediaSeekForward, 4200);
    cmdLast = navButton(picStatBox, "cmdLast", QStyle::SP_MediaSkipForward, 4545);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdEdit, &QPushButton::clicked, this, &DataEntryForm::cmdEdit_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &DataEntryForm::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &DataEntryForm::cmdCancel_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &DataEntryForm::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { cmdRefresh_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &DataEntryForm::cmdClose_Click);
    connect(cmdFirst, &QPushButton::clicked, this, &DataEntryForm::cmdFirst_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &DataEntryForm::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &DataEntryForm::cmdNext_Click);
    connect(cmdLast, &QPushButton::clicked, this, &DataEntryForm::cmdLast_Click);
    dockBars();
}

void DataEntryForm::dockBars()
{
    const int h = ui::px(barHeight);
    picStatBox->setGeometry(0, height() - h, width(), h);
    picButtons->setGeometry(0, height() - 2 * h, width(), h);
}

void DataEntryForm::Form_Load()
{
    bool bound = false;
    try {
        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(design_.fileName)});
        adoPrimaryRS = conn_->openRecordset(QString::fromLatin1(design_.query), {}, db::LockType::Optimistic);
        connect(adoPrimaryRS.get(), &db::Recordset::moveComplete, this, [this] { adoPrimaryRS_MoveComplete(); });
        connect(adoPrimaryRS.get(), &db::Recordset::willChangeRecord, this,
                &DataEntryForm::adoPrimaryRS_WillChangeRecord);
        bindControls();
        bound = true;
        adoPrimaryRS_MoveComplete();
        loadMore();
    } catch (const std::exception& e) {
        // The window stays open. A recordset the controls could not show is let go of, so that the
        // buttons report it closed instead of changing rows nobody sees; later steps keep what
        // was loaded before them.
        if (!bound) {
            unbindControls();
            adoPrimaryRS.reset();
            conn_.reset();
        }
        ui::showError(e, this);
    }
}

void DataEntryForm::bindControls()
{
    binding_.setRecordset(adoPrimaryRS.get());
}

void DataEntryForm::unbindControls()
{
    binding_.setRecordset(nullptr);
}

void DataEntryForm::commitControls()
{
    binding_.commit();
}

void DataEntryForm::discardControls()
{
    binding_.refresh();
}

void DataEntryForm::deleteCurrentRow(db::Recordset& r)
{
    r.deleteCurrent();
}

bool DataEntryForm::keepsKeyFrom(QObject*) const
{
    return false;
}

db::Recordset& DataEntryForm::rs() const
{
    if (!adoPrimaryRS)
        throw db::Error(QString::fromUtf8(db::messages::closed));
    return *adoPrimaryRS;
}

void DataEntryForm::trapped(const std::function<void()>& step)
{
    ui::showingErrors(this, step);
}

void DataEntryForm::adoPrimaryRS_MoveComplete()
{
    if (!adoPrimaryRS)
        return;
    lblStatus->setText(navigation::recordCaption(*adoPrimaryRS));
}

void DataEntryForm::adoPrimaryRS_WillChangeRecord() { }

void DataEntryForm::Form_Resize()
{
    navigation::fitRecordBar(this, 1500, lblStatus, cmdNext, cmdLast);
}

void DataEntryForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    dockBars();
    Form_Resize();
}

void DataEntryForm::SetEditButtons(bool b)
{
    cmdAdd->setVisible(b);
    cmdEdit->setVisible(b);
    cmdDelete->setVisible(b);
    cmdClose->setVisible(b);
    cmdRefresh->setVisible(b);
    cmdUpdate->setVisible(!b);
    cmdCancel->setVisible(!b);
    cmdNext->setEnabled(b);
    cmdFirst->setEnabled(b);
    cmdLast->setEnabled(b);
    cmdPrevious->setEnabled(b);
}

void DataEntryForm::cmdAdd_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        if (!(r.isBOF() && r.isEOF()))
            mvBookMark = r.bookmark();
        r.addNew();
        lblStatus->setText(QStringLiteral("添加记录"));
        mbAddNewFlag = true;
        SetEditButtons(false);
    });
}

void DataEntryForm::cmdEdit_Click()
{
    lblStatus->setText(QStringLiteral("编辑记录"));
    mbEditFlag = true;
    SetEditButtons(false);
}

void DataEntryForm::cmdUpdate_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        r.updateBatch();
        if (mbAddNewFlag)
            r.moveLast();
        mbAddNewFlag = false;
        mbEditFlag = false;
        SetEditButtons(true);
    });
}

void DataEntryForm::cmdCancel_Click()
{
    // Cancelling always ends the edit: a step that fails (no recordset, a row gone) is passed over.
    auto ignored = [](const char* what, const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception&) {
            platform::warnDropped(what);
        }
    };
    SetEditButtons(true);
    mbAddNewFlag = false;
    mbEditFlag = false;
    ignored("cancel: discarding the controls' edits", [this] { discardControls(); });
    ignored("cancel: cancelling the recordset's update", [this] { rs().cancelUpdate(); });
    ignored("cancel: returning to the row before the edit", [this] {
        if (mvBookMark > 0)
            rs().setBookmark(mvBookMark);
        else
            rs().moveFirst();
    });
}

void DataEntryForm::cmdDelete_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        discardControls();
        deleteCurrentRow(r);
        r.moveNext();
        if (r.isEOF())
            r.moveLast();
    });
}

void DataEntryForm::cmdRefresh_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        r.requery();
    });
}

void DataEntryForm::cmdClose_Click()
{
    close();
}

void DataEntryForm::cmdFirst_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        r.moveFirst();
    });
}

void DataEntryForm::cmdLast_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        r.moveLast();
    });
}

void DataEntryForm::cmdNext_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        navigation::moveNextOrBeep(r);
    });
}

void DataEntryForm::cmdPrevious_Click()
{
    trapped([this] {
        db::Recordset& r = rs();
        commitControls();
        navigation::movePreviousOrBeep(r);
    });
}

bool DataEntryForm::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    if (mbAddNewFlag || mbEditFlag)
        return false;
    navigation::KeyMoves moves = navigation::barMoves(this);
    moves.close = [this] { cmdClose_Click(); };
    return navigation::runKey(moves, keyCode, shift);
}

void DataEntryForm::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the window only while browsing, through Form_KeyDown; Enter presses no button.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DataEntryForm::Form_Unload()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
