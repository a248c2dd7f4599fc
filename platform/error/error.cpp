#include "platform/error/error.h"

#include <QtGlobal>
#include <exception>

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

void warnDropped(const char* what) noexcept
{
    try {
        QString why = QStringLiteral("(no exception)");
        if (const std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& e) {
                why = describe(e);
            } catch (...) {
                why = QStringLiteral("(not a std::exception)");
            }
        }
        qWarning("dropped: %s: %s", what, qUtf8Printable(why));
    } catch (...) {
        // The log is a courtesy: a failure to write it changes nothing.
    }
}

} // namespace platform
