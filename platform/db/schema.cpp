#include "platform/db/schema.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"

#include <QHash>
#include <QRegularExpression>
#include <cstring>

namespace db {

QString columnSql(const ColumnDef& c)
{
    // The declared type alone says what the column takes; the write guard refuses the rest.
    QString s = quoteIdentifier(c.name) + QLatin1Char(' ');
    switch (c.type) {
    case ColumnType::Text:
        s += QStringLiteral("TEXT(%1) COLLATE NOCASE").arg(c.size > 0 ? c.size : 255);
        break;
    case ColumnType::Memo:
        s += QStringLiteral("LONGTEXT COLLATE NOCASE");
        break;
    case ColumnType::Byte:
        s += QStringLiteral("BYTE");
        break;
    case ColumnType::Short:
        s += QStringLiteral("SMALLINT");
        break;
    case ColumnType::Long:
        s += QStringLiteral("INTEGER");
        break;
    case ColumnType::Counter:
        s += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        break;
    case ColumnType::Single:
        s += QStringLiteral("SINGLE");
        break;
    case ColumnType::Double:
        s += QStringLiteral("DOUBLE");
        break;
    case ColumnType::Currency:
        s += QStringLiteral("CURRENCY");
        break;
    case ColumnType::YesNo:
        s += QStringLiteral("YESNO");
        break;
    case ColumnType::DateTime:
        s += QStringLiteral("DATETIME");
        break;
    }
    if (c.required && c.type != ColumnType::Counter)
        s += QStringLiteral(" NOT NULL");
    if (c.unique && c.type != ColumnType::Counter)
        s += QStringLiteral(" UNIQUE");
    if (!c.defaultValue.isNull()) {
        const QVariant& v = c.defaultValue;
        auto quoted = [](QString text) {
            return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
        };
        // Every default is a literal of its own kind: a date or a money amount given as a value would
        // otherwise come out as no SQL at all (an empty text) or as an expression (2003-05-01).
        if (v.userType() == qMetaTypeId<convert::Currency>())
            s += QStringLiteral(" DEFAULT ") + v.value<convert::Currency>().toPlainString();
        else if (v.typeId() == QMetaType::Bool)
            s += v.toBool() ? QStringLiteral(" DEFAULT 1") : QStringLiteral(" DEFAULT 0");
        else if (convert::isFloatingType(v.typeId()))
            s += QStringLiteral(" DEFAULT ") + convert::plainNumber(v.toDouble());
        else if (convert::isIntegerType(v.typeId()))
            s += QStringLiteral(" DEFAULT ") + QString::number(v.toLongLong());
        else if (v.typeId() == QMetaType::QDate)
            s += QStringLiteral(" DEFAULT ") + quoted(v.toDate().toString(QStringLiteral("yyyy-MM-dd")));
        else if (v.typeId() == QMetaType::QDateTime)
            s += QStringLiteral(" DEFAULT ") + quoted(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        else
            s += QStringLiteral(" DEFAULT ") + quoted(v.toString());
    }
    return s;
}

namespace {

ColumnType parseDecl(const QString& declaredType, int* size, bool* known)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([A-Za-z]+)\\s*(?:\\(\\s*(\\d+)\\s*\\))?"));
    const auto m = re.match(declaredType);
    const QString base = m.hasMatch() ? m.captured(1).toUpper() : QString();
    if (size)
        *size = 0;
    if (known)
        *known = true;
    if (base == QLatin1String("TEXT") || base == QLatin1String("VARCHAR") || base == QLatin1String("CHAR")) {
        if (size)
            *size = m.captured(2).isEmpty() ? 255 : m.captured(2).toInt();
        return ColumnType::Text;
    }
    if (base == QLatin1String("LONGTEXT") || base == QLatin1String("MEMO"))
        return ColumnType::Memo;
    if (base == QLatin1String("BYTE"))
        return ColumnType::Byte;
    if (base == QLatin1String("SMALLINT") || base == QLatin1String("SHORT"))
        return ColumnType::Short;
    if (base == QLatin1String("INTEGER") || base == QLatin1String("LONG") || base == QLatin1String("INT"))
        return ColumnType::Long;
    if (base == QLatin1String("COUNTER") || base == QLatin1String("AUTOINCREMENT"))
        return ColumnType::Counter;
    // Jet's names: REAL and FLOAT4 are single precision, FLOAT and FLOAT8 double.
    const QString full = m.hasMatch() ? declaredType.trimmed().toUpper() : QString();
    if (base == QLatin1String("SINGLE") || base == QLatin1String("REAL") || full.startsWith(QLatin1String("FLOAT4")))
        return ColumnType::Single;
    if (base == QLatin1String("DOUBLE") || base == QLatin1String("FLOAT"))
        return ColumnType::Double;
    if (base == QLatin1String("CURRENCY") || base == QLatin1String("MONEY"))
        return ColumnType::Currency;
    if (base == QLatin1String("YESNO") || base == QLatin1String("BIT") || base == QLatin1String("BOOLEAN"))
        return ColumnType::YesNo;
    if (base == QLatin1String("DATETIME") || base == QLatin1String("DATE"))
        return ColumnType::DateTime;
    if (known)
        *known = false;
    return ColumnType::Text;
}

struct Parsed {
    ColumnType type;
    int size;
    bool known;
};

// Every value read by its declared type asks for it; a database has few distinct declarations, so
// each is parsed once.
const Parsed& parsedDecl(const QByteArray& utf8)
{
    thread_local QHash<QByteArray, Parsed> parsed;
    auto it = parsed.constFind(utf8);
    if (it == parsed.constEnd()) {
        Parsed p{};
        p.type = parseDecl(QString::fromUtf8(utf8), &p.size, &p.known);
        if (parsed.size() > 4096)
            parsed.clear();
        it = parsed.insert(QByteArray(utf8.constData(), utf8.size()), p);
    }
    return *it;
}

ColumnType answer(const Parsed& p, int* size, bool* known)
{
    if (size)
        *size = p.size;
    if (known)
        *known = p.known;
    return p.type;
}

} // namespace

ColumnType typeFromDecl(const QString& declaredType, int* size, bool* known)
{
    return answer(parsedDecl(declaredType.toUtf8()), size, known);
}

ColumnType typeFromDecl(const char* declaredType, int* size, bool* known)
{
    return answer(parsedDecl(QByteArray::fromRawData(declaredType, static_cast<qsizetype>(std::strlen(declaredType)))),
                  size, known);
}

} // namespace db
