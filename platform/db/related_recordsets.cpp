#include "platform/db/related_recordsets.h"

#include "platform/db/connection.h"
#include "platform/db/error.h"

namespace db {

RelatedRecordsets::RelatedRecordsets(Connection& connection, const Relation& relation, LockType lock)
{
    parent_ = connection.openRecordset(relation.parentSql, {}, lock);
    child_ = connection.openRecordset(relation.childSql, {}, lock);
    parentKey_ = parent_->fieldIndex(relation.parentKey);
    childKey_ = child_->fieldIndex(relation.childKey);
    if (parentKey_ < 0 || childKey_ < 0)
        throw Error(QStringLiteral("%1（%2）")
                        .arg(QString::fromUtf8(messages::itemNotFound),
                             parentKey_ < 0 ? relation.parentKey : relation.childKey));
    // Before anything else sees the move, so that a handler of the parent's move finds the child on
    // the new parent's rows.
    connect(parent_.get(), &Recordset::moveComplete, this, &RelatedRecordsets::follow);
    // A row added to the child by any means (the grid's new row included) is written with the key.
    connect(child_.get(), &Recordset::willChangeRecord, this, &RelatedRecordsets::fillKeyOfAddedRow);
    follow();
    if (parent_->recordCount() == 0)
        child_->setFilter(relation.childKey, QVariant());
}

RelatedRecordsets::~RelatedRecordsets() = default;

void RelatedRecordsets::setErrorHandler(ErrorHandler handler)
{
    onError_ = std::move(handler);
}

void RelatedRecordsets::follow()
{
    if (parent_->isBOF() || parent_->isEOF() || parent_->currentIndex() < 0)
        return;
    const QVariant key = parent_->value(parentKey_);
    try {
        // The filter first writes the child's pending edit, under the key it was made under.
        child_->setFilter(child_->fieldName(childKey_), key);
    } catch (const std::exception& e) {
        if (!onError_)
            throw;
        onError_(e);
        return;
    }
    key_ = key;
}

void RelatedRecordsets::fillKeyOfAddedRow()
{
    if (child_->editMode() != EditMode::Add || key_.isNull())
        return;
    if (child_->value(childKey_).isNull())
        child_->setValue(childKey_, key_);
}

void RelatedRecordsets::addChild()
{
    if (key_.isNull())
        throw Error(QString::fromUtf8(messages::noCurrentRecord));
    child_->addNew();
    child_->setValue(childKey_, key_);
}

} // namespace db
