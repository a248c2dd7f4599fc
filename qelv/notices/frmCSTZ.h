#pragma once
// The notice window "测算与收费通知": the enterprises billed in the operating month, generating the
// notices of all of them or of the ticked ones, the generated notices one at a time with their fee
// lines and discharge-data rows, and printing the notices and the detail sheets.
#include "platform/db/connection.h"
#include "platform/db/related_recordsets.h"
#include "qelv/core/Form.h"
#include "qelv/core/navigation.h"
#include "qelv/notices/notice_generator.h"

#include <QString>
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

namespace ui {
class DataGrid;
class FieldBinding;
class RecordsetModel;
} // namespace ui

class frmCSTZ : public Form, public navigation::RecordBar {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmCSTZ";
    explicit frmCSTZ(QWidget* owner = nullptr);
    ~frmCSTZ() override;

    void Form_Load();
    void Toolbar1_ButtonClick(const QString& key);
    void GenerateNotices(bool selectedOnly);
    void ShowNotices();
    void PrintNotices();
    void PrintPollutantDetails();
    // The detail sheet of the list row at `index` (1-based): the rows of its enterprise's discharge
    // figures for the notice, built by the notice run under way.
    void BuildPollutantDetail(std::int16_t& index);

    // The key of a list row ("No1" for the first), empty past the end.
    QString rowKey(int row) const;
    // The browser's notices; null before "显示通知".
    db::Recordset* adoPrimaryRS() const { return browser_ ? &browser_->parent() : nullptr; }
    // Whether a run or a print is under way.
    bool busy() const;

    std::int16_t ListedCount = 0;
    notices::NoticeTexts BaseTexts;

    QToolBar* Toolbar1;
    QTreeWidget* ListView1;
    QLabel* lblStatus;
    QLineEdit* Text5;
    QLineEdit* Text9;
    QWidget* picStatBox;
    ui::DataGrid* DataGrid1;
    ui::DataGrid* DataGrid2;
    QProgressBar* ProgressBar1;
    QStatusBar* sbStatusBar;
    std::array<QLabel*, 5> panels;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildBrowser();
    void loadList();
    void showCurrent();
    void unbindBrowser();

    bool generating_ = false;
    notices::NoticeGenerator* generator_ = nullptr; // while a run goes on
    QTimer* clock_;
    std::unique_ptr<db::Connection> browserConn_;
    std::unique_ptr<db::RelatedRecordsets> browser_;
    std::unique_ptr<db::Recordset> pollutantRows_;
    ui::FieldBinding* binding_;
    ui::RecordsetModel* linesModel_;
    ui::RecordsetModel* pollutantModel_;
};
