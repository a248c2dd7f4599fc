#pragma once
// A parent recordset and a child recordset related by a key: the child shows the rows whose key
// equals the current parent row's, follows every move of the parent, and a row added to it takes that
// key. It stands for the hierarchical recordsets of the data-shape provider, on two plain queries.
//
// While the parent has no current row (BOF, EOF, an empty parent) the child keeps the rows of the
// parent row it showed last. The child's pending edit is written before it shows another parent's
// rows; when that write is refused the child stays on its rows, the error goes to the error handler
// and the parent has moved all the same.
#include "platform/db/recordset.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <exception>
#include <functional>
#include <memory>

namespace db {

class Connection;

struct Relation {
    QString parentSql;
    QString childSql;
    QString parentKey; // field of the parent
    QString childKey; // field of the child that refers to it
};

class RelatedRecordsets : public QObject {
    Q_OBJECT
public:
    using ErrorHandler = std::function<void(const std::exception&)>;

    // Opens both queries on the connection (which must outlive the pair) and shows the children of
    // the parent's first row. Throws db::Error as openRecordset does, and when a key field is missing.
    RelatedRecordsets(Connection& connection, const Relation& relation, LockType lock = LockType::Optimistic);
    ~RelatedRecordsets() override;

    Recordset& parent() const { return *parent_; }
    Recordset& child() const { return *child_; }
    // The key whose rows the child shows; null before any parent row was current.
    QVariant childKeyValue() const { return key_; }

    // Appends a row to the child that carries the key, and makes it current. Throws without a key.
    void addChild();

    // Where a refused write of the child's pending edit during a parent move is reported; by default
    // it is rethrown to the code that moved the parent.
    void setErrorHandler(ErrorHandler handler);

private:
    void follow();
    void fillKeyOfAddedRow();

    std::unique_ptr<Recordset> parent_;
    std::unique_ptr<Recordset> child_;
    int parentKey_ = -1;
    int childKey_ = -1;
    QVariant key_;
    ErrorHandler onError_;
};

} // namespace db
