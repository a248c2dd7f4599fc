#include "tests/collection/collection_fixture.h"

#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "qelv/collection/collection_fields.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>

namespace collectionTests {

QStringList pickerColumns()
{
    return collection::fieldNames();
}

void makeCollectionPrintFile(const QString& path, const QStringList& columns)
{
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(fixtures::shippedDir() + QStringLiteral("/Data/") + dataFiles::blankDatabase, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    db::Connection print;
    print.openPath(path);
    QList<db::ColumnDef> defs;
    db::ColumnDef key;
    key.name = QStringLiteral("DanWeiBianHao");
    key.size = 50;
    defs << key;
    for (const QString& c : columns) {
        db::ColumnDef def;
        def.name = c;
        def.size = 100;
        defs << def;
    }
    print.createTable(QStringLiteral("WTDW"), defs);
}

void CollectionMonth::SetUp()
{
    fixtures::ProgramFolderTest::SetUp();
    Module1::gWorkMonth = QDate(2003, 3, 1);
    Module1::gInvoiceDate = QDate(2003, 3, 5);
    Module1::gUserName = QStringLiteral("张三");
    Module1::gPayeeName = QStringLiteral("县环保局");
    Module1::gPayeeAccount = QStringLiteral("03-123456789");
    Module1::gPayeeBank = QStringLiteral("农行");
    Module1::gCollectionId = QStringLiteral("4321");
    Module1::gLateFeeOn = false;
    Module1::gNonContinuousPrint = false;
    billingControl::ensureYearFile(2003);
    ASSERT_TRUE(QFile::exists(folder->data(QString::fromLatin1(dataFiles::collectionTemplate))));
    pm22 = std::make_unique<Pm22StandIn>(folder->path());
    pm22->install();
}

void CollectionMonth::TearDown()
{
    pm22.reset();
    fixtures::ProgramFolderTest::TearDown();
}

void CollectionMonth::enterprise(const QString& number, const QString& name, const QVariant& account,
                                 const QVariant& agreement, const QString& bank)
{
    {
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        dw.execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng, KaiHuYingHang, ZhangHao, "
                                  "WeiTuoXieYiHao) values (?, ?, ?, ?, ?)"),
                   {number, name, bank, account, agreement});
    }
    {
        db::Connection billing(db::DataFile{dataFiles::billing(2003)});
        billingControl::ensureRow(billing, number);
    }
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    lateFeeLedger::ensure(ledgers, number);
}

void CollectionMonth::invoice(const QString& enterprise, const QVariant& number, const char* amount,
                              const QString& capitals, bool ledgerRow)
{
    const QDate date = Module1::gInvoiceDate;
    {
        db::Connection billing(db::DataFile{dataFiles::billing(2003)});
        billing.execute(QStringLiteral("update KPKZK set M3 = 1, M3P = ?, M3M = ?, M3CM = ?, M3DATE = ?, M3MD = 0 "
                                       "where DanWeiBianHao = ?"),
                        {number, QVariant::fromValue(convert::Currency::fromText(QString::fromLatin1(amount))),
                         capitals, date, enterprise});
    }
    if (!ledgerRow)
        return;
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    ledgers.execute(QStringLiteral("insert into %1 (KaiPiaoRiQi, FaPiaoBianHao, FaPiaoJinE, ShouFeiJinE, "
                                   "DaoZhangQingKuang, DaoZhangRiQi, PiaoJuLeiXing, ZNJYiShou) "
                                   "values (?, ?, ?, ?, 0, NULL, 0, 0)")
                        .arg(db::quoteIdentifier(lateFeeLedger::tableName(enterprise))),
                    {date, number, QVariant::fromValue(convert::Currency::fromText(QString::fromLatin1(amount))),
                     QVariant::fromValue(convert::Currency::fromText(QString::fromLatin1(amount)))});
}

void CollectionMonth::layoutPaper(const QVariant& paperWidth, const QVariant& paperHeight, const QVariant& pictureWidth,
                                  const QVariant& pictureHeight, const QVariant& gap)
{
    db::Connection layout(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    layout.execute(QStringLiteral("delete from wtPaperSize"));
    if (paperWidth.isValid())
        layout.execute(QStringLiteral("insert into wtPaperSize (PaperWidth, Paperheigth, PictureWidth, PictureHeigth, "
                                      "JianXi) values (?, ?, ?, ?, ?)"),
                       {paperWidth, paperHeight, pictureWidth, pictureHeight, gap});
}

void CollectionMonth::layoutRows(const QList<LayoutRow>& rows)
{
    db::Connection layout(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
    layout.execute(QStringLiteral("delete from wt"));
    for (const LayoutRow& r : rows)
        layout.execute(QStringLiteral("insert into wt (ID, Name, ZiDuanBiaoQian, \"Left\", Top, Width, Height, "
                                      "FontSize, Align) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {r.id, r.name, r.kind, r.left, r.top, r.width, r.height, r.fontSize, r.align});
}

void CollectionMonth::standardLayout()
{
    layoutPaper(17600, 10000, 16800, 9600, 300);
    QList<LayoutRow> rows;
    const QStringList columns = pickerColumns();
    for (int i = 0; i < columns.size(); ++i)
        rows << LayoutRow{i, columns[i], QStringLiteral("字段"), 1000.0 + 600 * i, 1000.0 + 300 * i, 2000, 500};
    layoutRows(rows);
}

void CollectionMonth::document(const QString& enterprise, const QString& name, const QString& number,
                               const QString& password)
{
    if (!QFile::exists(printFile())) {
        ASSERT_TRUE(QFile::copy(folder->data(QString::fromLatin1(dataFiles::collectionTemplate)), printFile()));
    }
    QStringList columns{QStringLiteral("DanWeiBianHao")};
    columns << pickerColumns();
    QVariantList values;
    for (const QString& c : columns) {
        if (c == QLatin1String("DanWeiBianHao"))
            values << enterprise;
        else if (c == QStringLiteral("委托号码"))
            values << number;
        else if (c == QStringLiteral("付款人单位"))
            values << name;
        else if (c == QStringLiteral("委托密码"))
            values << password;
        else
            values << c + QStringLiteral("值");
    }
    QStringList quoted, marks;
    for (const QString& c : columns) {
        quoted << db::quoteIdentifier(c);
        marks << QStringLiteral("?");
    }
    db::Connection print;
    print.openPath(printFile());
    print.execute(QStringLiteral("insert into WTDW (%1) values (%2)").arg(quoted.join(','), marks.join(',')), values);
}

QString CollectionMonth::printFile() const
{
    return folder->data(dataFiles::monthCollections(Module1::gWorkMonth));
}

QString CollectionMonth::billingFile() const
{
    return folder->data(dataFiles::billing(2003));
}

QString CollectionMonth::ledgerFile() const
{
    return folder->data(QString::fromLatin1(dataFiles::lateFeeLedgers));
}

namespace {
QString text(const QVariant& v)
{
    return v.isNull() ? QStringLiteral("NULL") : v.toString();
}
} // namespace

std::vector<std::map<QString, QString>> CollectionMonth::documents() const
{
    std::vector<std::map<QString, QString>> out;
    db::Connection print;
    print.openPath(printFile());
    auto rs = print.openRecordset(QStringLiteral("select * from WTDW order by rowid"), {}, db::LockType::ReadOnly);
    for (; !rs->isEOF(); rs->moveNext()) {
        std::map<QString, QString> row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row[rs->fieldName(i)] = text(rs->value(i));
        out.push_back(row);
    }
    return out;
}

QString CollectionMonth::billing(const QString& enterprise, const QString& column) const
{
    return text(fixtures::probe(
        billingFile(), QStringLiteral("select %1 from KPKZK where DanWeiBianHao = '%2'").arg(column, enterprise)));
}

QStringList CollectionMonth::ledgerNumbers(const QString& enterprise) const
{
    db::Connection ledgers;
    ledgers.openPath(ledgerFile());
    QStringList out;
    auto rs = ledgers.openRecordset(QStringLiteral("select FaPiaoBianHao from %1 order by rowid")
                                        .arg(db::quoteIdentifier(lateFeeLedger::tableName(enterprise))),
                                    {}, db::LockType::ReadOnly);
    for (; !rs->isEOF(); rs->moveNext())
        out << text(rs->value(0));
    return out;
}

} // namespace collectionTests
