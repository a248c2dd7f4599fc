// The control keeps its texts as the system's ANSI code page has them (GB18030 here, a Chinese character
// taking two bytes), because its limits are counted in those bytes.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorbel {

QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace quorbel
