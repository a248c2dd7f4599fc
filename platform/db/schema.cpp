#include "platform/db/schema.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace db {

namespace {

QString numericCheck(const QString& q, const char* types, const QString& range)
{
    QString check = QStringLiteral("CHECK (typeof(%1) IN (%2)").arg(q, QString::fromLatin1(types));
    if (!range.isEmpty())
        check += QStringLiteral(" AND %1 %2").arg(q, range);
    return check + QLatin1Char(')');
}

// A name SQLite reads as an identifier without quotes: letters (any beyond ASCII too), digits and
// underscores, not beginning with a digit, and no keyword.
bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name[0].isDigit())
        return false;
    for (const QChar ch : name)
        if (ch.unicode() < 0x80 && !(ch.isLetterOrNumber() || ch == QLatin1Char('_')))
            return false;
    const QByteArray utf8 = name.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) == 0;
}

// Any number sorts before any text or blob in SQLite, and Null compares as unknown, which a CHECK
// lets through: so this refuses exactly what is no number and no Null. It is the shortest test that
// does, and the schema of a file of thousands of such tables is read whole at every open. (A name
// that needs quotes gets a plus before it: SQLite's error would otherwise give the test cut down to
// the bare name, as it does for any test whose text begins with a quote.)
QString numberOnly(const ColumnDef& c)
{
    if (isPlainName(c.name))
        return QStringLiteral("CHECK(%1<'')").arg(c.name);
    return QStringLiteral("CHECK(+%1<'')").arg(quoteIdentifier(c.name));
}

} // namespace

QString columnSql(const ColumnDef& c)
{
    const QString q = quoteIdentifier(c.name);
    QString s = q + QLatin1Char(' ');
    const char* const whole = "'integer','null'";
    switch (c.type) {
    case ColumnType::Text: {
        const int size = c.size > 0 ? c.size : 255;
        s += QStringLiteral("TEXT(%1) COLLATE NOCASE CHECK (length(%2) <= %1)").arg(size).arg(q);
        break;
    }
    case ColumnType::Memo:
        s += QStringLiteral("LONGTEXT COLLATE NOCASE");
        break;
    case ColumnType::Byte:
        s += QStringLiteral("BYTE ") + numericCheck(q, whole, QStringLiteral("BETWEEN 0 AND 255"));
        break;
    case ColumnType::Short:
        s += QStringLiteral("SMALLINT ") + numericCheck(q, whole, QStringLiteral("BETWEEN -32768 AND 32767"));
        break;
    case ColumnType::Long:
        s += QStringLiteral("INTEGER ") + numericCheck(q, whole, QStringLiteral("BETWEEN -2147483648 AND 2147483647"));
        break;
    case ColumnType::Counter:
        s += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        break;
    case ColumnType::Single:
        s += QStringLiteral("SINGLE ") + numberOnly(c);
        break;
    case ColumnType::Double:
        s += QStringLiteral("DOUBLE ") + numberOnly(c);
        break;
    case ColumnType::Currency:
        s += QStringLiteral("CURRENCY ") + numberOnly(c);
        break;
    case ColumnType::YesNo:
        s += QStringLiteral("YESNO ") + numberOnly(c);
        break;
    case ColumnType::DateTime:
        // Not beginning with the quoted name, so that SQLite's error keeps the whole test (see numberOnly).
        s += QStringLiteral("DATETIME CHECK (typeof(%1) = 'text' AND date(%1) IS NOT NULL OR %1 IS NULL)").arg(q);
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

ColumnType typeFromDecl(const QString& declaredType, int* size, bool* known)
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

} // namespace db
