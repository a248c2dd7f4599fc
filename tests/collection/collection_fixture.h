#pragma once
// A program folder with a month to collect (March 2003, invoice date 2003-03-05): the payee's details,
// enterprises with their accounts and agreements, their invoices of the month recorded as invoice
// printing leaves them, the collection print file's template, and the PM22 stand-in as pm22.exe.
#include "tests/collection/pm22_standin.h"
#include "tests/fixtures/program_folder.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <vector>

namespace collectionTests {

// The 24 document columns of the layout's field picker, in its order.
QStringList pickerColumns();
// A print file as the layout designer builds it: the blank database with WTDW (DanWeiBianHao, then the
// columns given, text).
void makeCollectionPrintFile(const QString& path, const QStringList& columns = pickerColumns());

// A row of the collection layout (table wt).
struct LayoutRow {
    int id;
    QString name;
    QString kind; // "字段" or "标签"
    double left, top, width, height;
    double fontSize = 10;
    int align = 0;
};

class CollectionMonth : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // A register row with its bank, account and agreement (Null for a null QVariant), its billing row of
    // the year and an empty ledger.
    void enterprise(const QString& number, const QString& name, const QVariant& account = QStringLiteral("622848001"),
                    const QVariant& agreement = QStringLiteral("XY01"), const QString& bank = QStringLiteral("工行"));
    // The month's invoice as printing records it: number, amount, capitals, date; and its ledger row.
    void invoice(const QString& enterprise, const QVariant& number, const char* amount,
                 const QString& capitals = QStringLiteral("壹仟贰佰叁拾肆元伍角整"), bool ledgerRow = true);

    // The collection layout of the layout file: its paper row (none when paperWidth is invalid) and its
    // rows, replacing what the file held.
    void layoutPaper(const QVariant& paperWidth, const QVariant& paperHeight, const QVariant& pictureWidth,
                     const QVariant& pictureHeight, const QVariant& gap);
    void layoutRows(const QList<LayoutRow>& rows);
    // Paper 176 by 100 mm on a picture of 168 by 96 mm, gap 3 mm, and the 24 document columns as fields.
    void standardLayout();
    // A document of the month's print file as generation leaves it.
    void document(const QString& enterprise, const QString& name, const QString& number, const QString& password);

    QString printFile() const; // the month's collection print file
    QString billingFile() const;
    QString ledgerFile() const;
    // The WTDW rows in the order written, each column -> value ("NULL" for Null).
    std::vector<std::map<QString, QString>> documents() const;
    // A column of an enterprise's billing row ("NULL" for Null).
    QString billing(const QString& enterprise, const QString& column) const;
    // The invoice numbers of an enterprise's ledger rows, in their order.
    QStringList ledgerNumbers(const QString& enterprise) const;

    std::unique_ptr<Pm22StandIn> pm22;
};

} // namespace collectionTests
