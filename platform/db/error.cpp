#include "platform/db/error.h"

namespace db {

Error::Error(const QString& description)
    : std::runtime_error(description.toStdString())
{
}

QString Error::description() const
{
    return QString::fromUtf8(what());
}

} // namespace db
