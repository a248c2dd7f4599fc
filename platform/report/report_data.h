// Where a report's rows come from: a flat row source, or parent rows each with a source of its own child
// rows. The engine reads each source once from its start; fields are found by name without regard to
// letter case, as Jet finds them.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace db {
class Connection;
class Recordset;
class RelatedRecordsets;
} // namespace db

namespace report {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual bool atEnd() const = 0;
    virtual void next() = 0;
    // The current row's value of a field; an unknown field throws report::Error.
    virtual QVariant value(const QString& field) const = 0;
};

// Parent rows whose current row has child rows of its own.
class ParentSource : public RowSource {
public:
    // The child rows of the current parent row, read from their start.
    virtual std::unique_ptr<RowSource> children() = 0;
};

// Rows held in memory.
class TableRows : public RowSource {
public:
    TableRows(QStringList fields, std::vector<QVariantList> rows);
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;

private:
    QStringList fields_;
    std::vector<QVariantList> rows_;
    std::size_t at_ = 0;
};

// Parent rows held in memory, each with its child rows.
class TableParents : public ParentSource {
public:
    struct Parent {
        QVariantList values;
        std::vector<QVariantList> children;
    };
    TableParents(QStringList fields, QStringList childFields, std::vector<Parent> parents);
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;
    std::unique_ptr<RowSource> children() override;

private:
    QStringList fields_, childFields_;
    std::vector<Parent> parents_;
    std::size_t at_ = 0;
};

// The rows of a recordset, from its first row; the recordset is not owned.
class RecordsetRows : public RowSource {
public:
    explicit RecordsetRows(db::Recordset& rows);
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;

private:
    db::Recordset& rows_;
};

// The rows of a recordset that the source owns, from its first row.
class OwnedRecordsetRows : public RowSource {
public:
    explicit OwnedRecordsetRows(std::unique_ptr<db::Recordset> rows);
    ~OwnedRecordsetRows() override;
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;

private:
    std::unique_ptr<db::Recordset> rows_;
    RecordsetRows view_;
};

// Parent rows of one query, each with the rows of a second query over the same connection whose one
// `?` takes the parent's relating field ("SELECT * FROM ShuJu WHERE DanWeiBianHao = ?"). Both come in
// the order their queries give, the child rows of each parent in the order of its table.
class RelatedQueries : public ParentSource {
public:
    RelatedQueries(db::Connection& connection, const QString& parentSql, const QString& childSql,
                   const QString& relateField);
    ~RelatedQueries() override;
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;
    std::unique_ptr<RowSource> children() override;

private:
    db::Connection& connection_;
    std::unique_ptr<db::Recordset> parents_;
    QString childSql_, relateField_;
};

// The parent rows of a related pair, each with the child rows the pair shows for it, both in the order
// of their queries. The pair is owned and is best opened read-only: the engine only reads it.
class RelatedRows : public ParentSource {
public:
    explicit RelatedRows(std::unique_ptr<db::RelatedRecordsets> pair);
    ~RelatedRows() override;
    bool atEnd() const override;
    void next() override;
    QVariant value(const QString& field) const override;
    std::unique_ptr<RowSource> children() override;

private:
    std::unique_ptr<db::RelatedRecordsets> pair_;
    RecordsetRows parents_;
};

} // namespace report
