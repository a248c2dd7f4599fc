#pragma once
// The enterprise register, in a grid. The industry-type and squad cells have a drop-down button that
// opens a list of the values of their tables.
#include "qelv/frame/GridEntryForm.h"

class QListWidget;

class frmDW : public GridEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDW";
    explicit frmDW(QWidget* owner = nullptr);
    ~frmDW() override;
    static const Design& design();
    static const QList<ui::GridColumn>& columns();

    // The status text is left alone in this window: only Edit writes it.
    void adoPrimaryRS_MoveComplete() override;
    void grdDataGrid_ButtonClick(int colIndex);
    void List1_Click();
    void List1_LostFocus();
    void List2_Click();
    void List2_LostFocus();

    QListWidget* List1; // industry types
    QListWidget* List2; // squads and brigades

protected:
    void loadMore() override;
    // Refused (throws) for an enterprise that has pollutants: the renumbering window deletes an
    // enterprise's data, after asking.
    void deleteCurrentRow(db::Recordset& r) override;

private:
    void choose(QListWidget* list, int column);
    // Before the number of the current row changes: refused (throws) for an enterprise that has
    // pollutants, which only the renumbering window carries over to a new number.
    void checkNumberChange(db::Recordset& r);
    // The number of the current row as the file holds it, not as typed and not yet written.
    QString storedNumber(db::Recordset& r) const;
    bool hasPollutants(const QString& number) const;
    // The file's number of the current row while a change of it is pending there.
    struct {
        db::Bookmark row = 0;
        QString number;
    } numberBeforeEdit_;
};
