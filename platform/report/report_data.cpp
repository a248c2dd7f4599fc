#include "platform/report/report_data.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/db/related_recordsets.h"
#include "platform/report/report.h"

namespace report {

namespace {

qsizetype fieldIndex(const QStringList& fields, const QString& field)
{
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    throw Error(QStringLiteral("报表数据中没有字段：%1").arg(field));
}

QVariant rowValue(const QStringList& fields, const QVariantList& row, const QString& field)
{
    const qsizetype i = fieldIndex(fields, field);
    return i < row.size() ? row[i] : QVariant();
}

} // namespace

TableRows::TableRows(QStringList fields, std::vector<QVariantList> rows)
    : fields_(std::move(fields)),
      rows_(std::move(rows))
{
}

bool TableRows::atEnd() const
{
    return at_ >= rows_.size();
}

void TableRows::next()
{
    ++at_;
}

QVariant TableRows::value(const QString& field) const
{
    return rowValue(fields_, rows_.at(at_), field);
}

TableParents::TableParents(QStringList fields, QStringList childFields, std::vector<Parent> parents)
    : fields_(std::move(fields)),
      childFields_(std::move(childFields)),
      parents_(std::move(parents))
{
}

bool TableParents::atEnd() const
{
    return at_ >= parents_.size();
}

void TableParents::next()
{
    ++at_;
}

QVariant TableParents::value(const QString& field) const
{
    return rowValue(fields_, parents_.at(at_).values, field);
}

std::unique_ptr<RowSource> TableParents::children()
{
    return std::make_unique<TableRows>(childFields_, parents_.at(at_).children);
}

OwnedRecordsetRows::OwnedRecordsetRows(std::unique_ptr<db::Recordset> rows)
    : rows_(std::move(rows)),
      view_(*rows_)
{
}

OwnedRecordsetRows::~OwnedRecordsetRows() = default;

bool OwnedRecordsetRows::atEnd() const
{
    return view_.atEnd();
}

void OwnedRecordsetRows::next()
{
    view_.next();
}

QVariant OwnedRecordsetRows::value(const QString& field) const
{
    return view_.value(field);
}

RecordsetRows::RecordsetRows(db::Recordset& rows)
    : rows_(rows)
{
    if (rows_.recordCount() > 0)
        rows_.moveFirst();
}

bool RecordsetRows::atEnd() const
{
    return rows_.recordCount() == 0 || rows_.isEOF();
}

void RecordsetRows::next()
{
    rows_.moveNext();
}

QVariant RecordsetRows::value(const QString& field) const
{
    if (rows_.fieldIndex(field) < 0)
        throw Error(QStringLiteral("报表数据中没有字段：%1").arg(field));
    return rows_.value(field);
}

RelatedQueries::RelatedQueries(db::Connection& connection, const QString& parentSql, const QString& childSql,
                               const QString& relateField)
    : connection_(connection),
      parents_(connection.openRecordset(parentSql, {}, db::LockType::ReadOnly)),
      childSql_(childSql),
      relateField_(relateField)
{
    if (parents_->fieldIndex(relateField_) < 0)
        throw Error(QStringLiteral("报表数据中没有字段：%1").arg(relateField_));
    if (parents_->recordCount() > 0)
        parents_->moveFirst();
}

RelatedQueries::~RelatedQueries() = default;

bool RelatedQueries::atEnd() const
{
    return parents_->recordCount() == 0 || parents_->isEOF();
}

void RelatedQueries::next()
{
    parents_->moveNext();
}

QVariant RelatedQueries::value(const QString& field) const
{
    if (parents_->fieldIndex(field) < 0)
        throw Error(QStringLiteral("报表数据中没有字段：%1").arg(field));
    return parents_->value(field);
}

std::unique_ptr<RowSource> RelatedQueries::children()
{
    return std::make_unique<OwnedRecordsetRows>(
        connection_.openRecordset(childSql_, {parents_->value(relateField_)}, db::LockType::ReadOnly));
}

RelatedRows::RelatedRows(std::unique_ptr<db::RelatedRecordsets> pair)
    : pair_(std::move(pair)),
      parents_(pair_->parent())
{
}

RelatedRows::~RelatedRows() = default;

bool RelatedRows::atEnd() const
{
    return parents_.atEnd();
}

void RelatedRows::next()
{
    parents_.next();
}

QVariant RelatedRows::value(const QString& field) const
{
    return parents_.value(field);
}

std::unique_ptr<RowSource> RelatedRows::children()
{
    // The pair has already put the child on the current parent's rows.
    return std::make_unique<RecordsetRows>(pair_->child());
}

} // namespace report
