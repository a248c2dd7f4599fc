#pragma once
// The window "修改单位编号": lists the enterprises of the register; renumbers the selected one
// throughout the files of the operating year, or deletes its billing, pollutant and late-fee data.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/recordset_model.h"
#include "qelv/core/Form.h"
#include "qelv/core/navigation.h"

#include <functional>
#include <memory>

class KeyPreview;
class QLabel;
class QPushButton;
class QResizeEvent;

class frmXGDWWBH : public Form, public navigation::RecordBar {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmXGDWWBH";
    explicit frmXGDWWBH(QWidget* owner = nullptr);
    ~frmXGDWWBH() override;

    void Form_Load();
    void Form_Resize();
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Form_Unload() override;
    void adoPrimaryRS_MoveComplete();
    void Command1_Click(); // renumber
    void Command2_Click(); // close
    void Command3_Click(); // delete

    // Null when loading failed.
    db::Recordset* recordset() const { return adoPrimaryRS.get(); }

    ui::DataGrid* grdDataGrid;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QWidget* picStatBox;
    QLabel* lblStatus;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void trapped(const std::function<void()>& step);
    db::Recordset& rs() const;
    // Reads the register again and stands on the enterprise of that number.
    void showAgain(const QString& number);

    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> adoPrimaryRS;
    ui::RecordsetModel* model_;
    KeyPreview* keys_;
};
