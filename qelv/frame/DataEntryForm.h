#pragma once
// The data-entry window of the reference tables: a recordset over one table's query, a bar of edit
// buttons, a status bar with the navigation buttons and the status text, the browsing / adding /
// editing states and the navigation keys. The single-record windows show the current row in bound
// text boxes (built from their Design); the grid windows (GridEntryForm) show the table in a grid.
// Each window class builds itself from its design and loads in its own constructor.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/field_binding.h"
#include "qelv/core/Form.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>

class KeyPreview;
class QCloseEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QPushButton;
class QResizeEvent;

class DataEntryForm : public Form {
    Q_OBJECT
public:
    struct Field {
        const char* name; // the bound field
        const char* caption; // the text of its label
        int top; // twips
        int height = 285;
        int width = 3375;
        bool multiLine = false; // a tall box with a vertical scroll bar
    };
    struct Design {
        const char* formName;
        const char* title;
        int clientWidth; // twips
        int clientHeight;
        bool centredOnOwner; // else on the screen
        const char* fileName; // in the data folder
        const char* query;
        QList<Field> fields; // none in the grid windows
        bool sizable = false; // a sizable border with minimise and maximise buttons
    };

    ~DataEntryForm() override;

    // Opens the connection and the recordset and binds the controls. A failure (a missing file,
    // table or field) is shown and leaves the window open with its controls unbound.
    void Form_Load();
    virtual void Form_Resize();
    // Runs the action of a navigation key while browsing; true when the key ran one.
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Form_Unload() override;
    virtual void adoPrimaryRS_MoveComplete();
    void adoPrimaryRS_WillChangeRecord();

    virtual void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    virtual void cmdRefresh_Click();
    void cmdClose_Click();
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void SetEditButtons(bool b);

    // Null when loading failed.
    db::Recordset* recordset() const { return adoPrimaryRS.get(); }

    bool mbAddNewFlag = false;
    bool mbEditFlag = false;
    db::Bookmark mvBookMark = 0; // set by Add, never cleared

    QList<QWidget*> txtFields; // QLineEdit, or QPlainTextEdit for a tall box
    QList<QLabel*> lblLabels;
    QWidget* picButtons;
    QWidget* picStatBox;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdUpdate;
    QPushButton* cmdCancel;
    QPushButton* cmdDelete;
    QPushButton* cmdRefresh;
    QPushButton* cmdClose;
    QPushButton* cmdFirst;
    QPushButton* cmdPrevious;
    QPushButton* cmdNext;
    QPushButton* cmdLast;
    QLabel* lblStatus;

protected:
    DataEntryForm(const Design& design, QWidget* owner);

    // What differs between the single-record and the grid windows.
    virtual void bindControls(); // shows the recordset in the controls
    virtual void unbindControls();
    virtual void commitControls(); // puts what was typed into the current row (may throw)
    virtual void discardControls(); // drops what was typed and not yet in the row
    virtual void loadMore() { } // further loading steps of one window
    // Deletes the recordset's current row for Delete; a window whose rows others depend on refuses
    // (throws) or takes those along.
    virtual void deleteCurrentRow(db::Recordset& r);
    // Whether a key this window acted on is kept from the control that received it.
    virtual bool keepsKeyFrom(QObject* receiver) const;

    // Runs one step of a button, showing its error and stopping there.
    void trapped(const std::function<void()>& step);
    // The recordset; throws the error of an operation on a closed recordset when loading failed.
    db::Recordset& rs() const;

    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    Design design_;
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> adoPrimaryRS;
    ui::FieldBinding binding_;

private:
    void buildBars();
    void dockBars();
    KeyPreview* keys_;
};
