#include "quorbel/ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace quorbel {

QByteArray toAnsi(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString fromAnsi(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

} // namespace quorbel
