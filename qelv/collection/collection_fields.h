#pragma once
// The 24 columns of the collection print file (WTDW) that a document fills, in the order of the
// shipped layout's IDs: what the layout designer offers for a "字段" row, and what the generator writes
// after DanWeiBianHao.
#include <QStringList>

namespace collection {

const QStringList& fieldNames();

} // namespace collection
