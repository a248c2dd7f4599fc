#include "qelv/core/window_registry.h"

#include <QHash>

namespace windows {

namespace {
QHash<QString, Factory>& registry()
{
    static QHash<QString, Factory> r;
    return r;
}
} // namespace

void registerWindow(const QString& formName, Factory f)
{
    if (registry().contains(formName))
        throw std::logic_error("window registered twice: " + formName.toStdString());
    registry().insert(formName, std::move(f));
}

Factory factory(const QString& formName)
{
    return registry().value(formName);
}
bool isRegistered(const QString& formName)
{
    return registry().contains(formName);
}

} // namespace windows
