#include "qelv/core/version.h"

#include <QStringList>

namespace version {

QString text()
{
    const QStringList parts = QStringLiteral(QELV_VERSION).split(QLatin1Char('.'));
    QStringList numbers;
    for (int i = 0; i < 3; ++i)
        numbers << QString::number(i < parts.size() ? parts[i].toInt() : 0);
    return numbers.join(QLatin1Char('.'));
}

} // namespace version
