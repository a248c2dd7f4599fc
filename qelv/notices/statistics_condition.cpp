#include "qelv/notices/statistics_condition.h"

#include "platform/convert/convert.h"

namespace statistics {

namespace {

struct Field {
    const char* caption;
    const char* fragment;
    bool quoted;
};

const Field kFields[] = {
    {"单位编号", " DanWeiBianHao", true}, {"单位名称", " DanWeiQuangCheng", true}, {"行业类型", " HangYeLeiXing", true},
    {"所属中队", " DanWeiFenQu", true},   {"年收费金额", " JinE", false},
};

const Field* fieldOf(const QString& caption)
{
    for (const Field& f : kFields)
        if (caption == QString::fromUtf8(f.caption))
            return &f;
    return nullptr;
}

bool isConjunction(const QString& word)
{
    for (const QString& c : conditionConjunctions())
        if (word.compare(c, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The row's part of the SQL; throws for what the SQL cannot take. `number` is the row's place, 1 to 4.
QString fragment(const ConditionRow& row, int number)
{
    const Field* f = fieldOf(row.field);
    if (!f)
        return {};
    if (!conditionOperators().contains(row.op))
        throw ConditionInputError(
            QStringLiteral("第%1行的比较符“%2”无效，请选择 =、<>、>、<、>=、<= 之一！").arg(number).arg(row.op));
    const QString column = QString::fromLatin1(f->fragment);
    if (f->quoted) {
        QString value = row.value;
        value.replace(QLatin1Char('\''), QStringLiteral("''"));
        return column + row.op + QLatin1Char('\'') + value + QStringLiteral("' ");
    }
    if (!convert::isNumeric(row.value))
        throw ConditionInputError(QStringLiteral("第%1行的年收费金额“%2”不是数字！").arg(number).arg(row.value));
    // Thousands separators read as a number but not in SQL.
    QString amount = row.value;
    amount.remove(QLatin1Char(','));
    return column + row.op + amount + QLatin1Char(' ');
}

QString words(const ConditionRow& row)
{
    return row.field + row.op + row.value + QLatin1Char(' ');
}

// The words of a condition outside its quoted values, which may hold blanks and conjunctions.
QStringList wordsOutsideQuotes(const QString& sql)
{
    QStringList out;
    QString word;
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            if (quoted && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('\''))
                word += sql.at(++i);
            else
                quoted = !quoted;
            word += c;
        } else if (!quoted && c.isSpace()) {
            if (!word.isEmpty())
                out << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        out << word;
    return out;
}

} // namespace

QStringList conditionFields()
{
    QStringList out;
    for (const Field& f : kFields)
        out << QString::fromUtf8(f.caption);
    return out;
}

QStringList conditionOperators()
{
    return {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral(">"),
            QStringLiteral("<"), QStringLiteral(">="), QStringLiteral("<=")};
}

QStringList conditionConjunctions()
{
    return {QStringLiteral("OR"), QStringLiteral("And")};
}

Condition buildCondition(const std::array<ConditionRow, 4>& rows, const std::array<QString, 3>& conjunctions)
{
    Condition c;
    c.sql = fragment(rows[0], 1);
    c.text = words(rows[0]);
    for (std::size_t i = 0; i < conjunctions.size(); ++i) {
        const QString& conjunction = conjunctions[i];
        if (conjunction.isEmpty())
            break;
        const int number = static_cast<int>(i) + 2;
        if (!isConjunction(conjunction))
            throw ConditionInputError(
                QStringLiteral("第%1行前的连接词“%2”无效，请选择 OR 或 And！").arg(number).arg(conjunction));
        c.sql += QLatin1Char(' ') + conjunction + QLatin1Char(' ') + fragment(rows[i + 1], number);
        c.text += conjunction + QLatin1Char(' ') + words(rows[i + 1]);
    }
    return c;
}

QString conditionRefusal(const QString& conditionSql)
{
    const QStringList words = wordsOutsideQuotes(conditionSql);
    if (words.isEmpty())
        return QStringLiteral("查询条件为空，请至少填写一行条件！");
    if (isConjunction(words.first()))
        return QStringLiteral("查询条件不能以连接词“%1”开头，请填写它前面的一行条件！").arg(words.first());
    if (isConjunction(words.last()))
        return QStringLiteral("查询条件不能以连接词“%1”结尾，请填写它后面的一行条件！").arg(words.last());
    for (qsizetype i = 1; i < words.size(); ++i)
        if (isConjunction(words[i - 1]) && isConjunction(words[i]))
            return QStringLiteral("查询条件的连接词“%1”和“%2”之间缺少一行条件！").arg(words[i - 1], words[i]);
    return {};
}

} // namespace statistics
