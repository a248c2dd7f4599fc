#pragma once
// The collection window "委托单": the operating month's enterprises with a collection agreement, an
// account and an invoice; generating their collection documents with the passwords of the bank's PM22
// program (all of them or the ticked ones), browsing the documents over a picture of the bank's form,
// correcting an invoice number, and printing the documents on continuous stationery or single sheets.
//
// While a run waits for PM22 or a print for the printer, the toolbar is refused and the window does not
// close.
#include "qelv/core/Form.h"
#include "qelv/core/navigation.h"

#include <array>
#include <cstdint>
#include <memory>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeWidget;

namespace db {
class Connection;
class Recordset;
} // namespace db

namespace ui {
class FieldBinding;
}

class frmWt : public Form, public navigation::RecordBar {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmWt";
    explicit frmWt(QWidget* owner = nullptr);
    ~frmWt() override;

    // The list's columns.
    enum Column { Enterprise = 0, Name, InvoiceNumber, Amount, Password };

    void Form_Load();
    void Toolbar1_ButtonClick(const QString& key);
    void GenerateCollectionDocuments(bool onlyChecked);
    void ShowCollectionDocuments();
    void EditInvoiceNumber();
    void PrintCollectionDocuments();
    void PrintCollectionNonContinuous();
    void Timer1_Timer();

    // The browser's documents; null before "显示委托".
    db::Recordset* adoPrimaryRS() const { return adoPrimaryRS_.get(); }
    // Whether a run or a print of this window waits.
    bool busy() const;

    // The browser's boxes, in the order of their columns.
    static const std::array<const char*, 24>& browserColumns();

    std::int16_t mListCount = 0;
    bool mTimerWait = false;

    QToolBar* Toolbar1;
    QTreeWidget* ListView1;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    std::array<QLineEdit*, 24> txtFields;
    QWidget* picStatBox;
    QLabel* lblStatus;
    QProgressBar* ProgressBar1;
    QStatusBar* sbStatusBar;
    std::array<QLabel*, 4> panels;
    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildBrowser();
    void loadList();
    void waitForTimerTick();
    void showPosition();

    bool generating_ = false;
    bool printing_ = false;
    std::unique_ptr<db::Connection> browserConn_;
    std::unique_ptr<db::Recordset> adoPrimaryRS_;
    ui::FieldBinding* binding_;
};
