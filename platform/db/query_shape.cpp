#include "platform/db/query_shape.h"

#include <QStringList>
#include <vector>

namespace db {

namespace {

struct Token {
    QString word; // upper case; empty for anything else
    QChar symbol; // the character of a symbol
    int depth = 0; // parentheses around it
    int end = 0; // position after it
};

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> out;
    int depth = 0;
    const int n = static_cast<int>(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype e = s.indexOf(QStringLiteral("*/"), i + 2);
            i = e < 0 ? n : static_cast<int>(e) + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            // A string or a quoted name: skipped whole, doubled quotes included.
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            int j = i + 1;
            while (j < n) {
                if (s[j] == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && s[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            i = std::min(j + 1, n);
            out.push_back({QString(), QLatin1Char('q'), depth, i});
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_') || s[j] == QLatin1Char('$')))
                ++j;
            out.push_back({s.mid(i, j - i).toUpper(), QChar(), depth, j});
            i = j;
        } else {
            if (c == QLatin1Char(')'))
                --depth;
            out.push_back({QString(), c, depth, i + 1});
            if (c == QLatin1Char('('))
                ++depth;
            ++i;
        }
    }
    return out;
}

} // namespace

bool isSimpleSelect(const QString& sql, int* insertAt)
{
    static const QStringList setWords = {
        QStringLiteral("DISTINCT"), QStringLiteral("GROUP"),     QStringLiteral("HAVING"), QStringLiteral("JOIN"),
        QStringLiteral("UNION"),    QStringLiteral("INTERSECT"), QStringLiteral("EXCEPT"), QStringLiteral("WINDOW"),
        QStringLiteral("OVER"),     QStringLiteral("VALUES")};
    static const QStringList aggregates = {
        QStringLiteral("COUNT"), QStringLiteral("SUM"),   QStringLiteral("MIN"),         QStringLiteral("MAX"),
        QStringLiteral("AVG"),   QStringLiteral("TOTAL"), QStringLiteral("GROUP_CONCAT")};
    const std::vector<Token> tokens = tokenize(sql);
    if (tokens.empty() || tokens.front().word != QLatin1String("SELECT"))
        return false;
    if (insertAt)
        *insertAt = tokens.front().end;
    bool inSelectList = true;
    for (std::size_t k = 1; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (t.depth != 0)
            continue;
        if (setWords.contains(t.word))
            return false;
        if (t.word == QLatin1String("FROM"))
            inSelectList = false;
        if (inSelectList && aggregates.contains(t.word) && k + 1 < tokens.size() &&
            tokens[k + 1].symbol == QLatin1Char('('))
            return false;
    }
    return true;
}

} // namespace db
