#include "platform/error/error.h"

namespace platform {

Error::Error(const QString& description)
    : std::runtime_error(description.toStdString())
{
}

QString Error::description() const
{
    return QString::fromUtf8(what());
}

QString describe(const std::exception& e)
{
    if (const auto* p = dynamic_cast<const Error*>(&e))
        return p->description();
    return QString::fromUtf8(e.what());
}

} // namespace platform
