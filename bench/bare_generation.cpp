#include "bench/bare_generation.h"

#include <QTime>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace bare {

Units storedAmount(double yuan)
{
    return std::llround(yuan * 10000.0);
}

Units computedAmount(double yuan)
{
    return static_cast<Units>(std::nearbyint(yuan * 10000.0));
}

Units wholeFen(Units amount)
{
    Units q = amount / 100;
    const Units r = amount % 100;
    if (r > 50 || (r == 50 && q % 2 != 0))
        ++q;
    else if (r < -50 || (r == -50 && q % 2 != 0))
        --q;
    return q * 100;
}

QString moneyText(Units amount)
{
    bool negative = amount < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount) : amount;
    std::uint64_t whole = magnitude / 10000;
    const int rest = static_cast<int>(magnitude % 10000);
    int cents = rest / 100;
    if (rest % 100 >= 50 && ++cents == 100) {
        cents = 0;
        ++whole;
    }
    if (whole == 0 && cents == 0)
        negative = false;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(whole) + QLatin1Char('.') +
        QLatin1Char(static_cast<char>('0' + cents / 10)) + QLatin1Char(static_cast<char>('0' + cents % 10));
}

QString plainText(Units amount)
{
    const bool negative = amount < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount) : amount;
    QString text = QString::number(magnitude / 10000);
    if (int rest = static_cast<int>(magnitude % 10000); rest != 0) {
        int places = 4;
        for (; rest % 10 == 0; rest /= 10)
            --places;
        text += QLatin1Char('.') + QStringLiteral("%1").arg(rest, places, 10, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString capitals(Units amount)
{
    static const char16_t numerals[] = u"零壹贰叁肆伍陆柒捌玖";
    static const char16_t places[] = u"分角元拾佰仟万拾佰仟";
    const Units fen = amount > 0 ? amount / 100 : 0;
    if (fen > std::numeric_limits<std::int32_t>::max())
        return QString();
    char16_t out[20];
    int at = 20;
    int p = 0;
    for (Units n = fen; n > 0; n /= 10, ++p) {
        const auto digit = static_cast<int>(n % 10);
        const char16_t place = places[p];
        if (digit != 0) {
            out[--at] = place;
            out[--at] = numerals[digit];
        } else if (place == u'万' || place == u'元') {
            out[--at] = place;
        } else if (at < 20 && out[at] != u'零' && out[at] != u'元' && out[at] != u'万') {
            out[--at] = u'零';
        }
    }
    return QString(reinterpret_cast<const QChar*>(out + at), 20 - at);
}

std::array<QString, 10> digitColumns(Units amount)
{
    std::array<QString, 10> columns;
    columns.fill(QStringLiteral(" "));
    int c = 9;
    for (Units n = wholeFen(amount) / 100; n > 0 && c >= 0; n /= 10)
        columns[c--] = QString(QLatin1Char(static_cast<char>('0' + n % 10)));
    return columns;
}

Units minimumTopUp(Units total, const std::optional<double>& lowLever, const std::optional<double>& months)
{
    if (!lowLever || !months || total <= 0)
        return 0;
    const Units minimum = wholeFen(computedAmount(static_cast<double>(storedAmount(*lowLever)) / 10000.0 * *months));
    return total < minimum ? minimum - total : 0;
}

QString dateText(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

std::optional<double> Record::value(const QString& column) const
{
    for (qsizetype c = 0; c < names.size(); ++c)
        if (names[c].compare(column, Qt::CaseInsensitive) == 0)
            return found ? values[static_cast<std::size_t>(c)] : std::nullopt;
    return std::nullopt;
}

Record readRecord(Statement& select)
{
    Record r;
    r.found = select.step();
    for (int c = 0; c < select.columnCount(); ++c) {
        r.names << select.columnName(c);
        if (r.found)
            r.values.push_back(select.isNull(c) ? std::nullopt : std::optional<double>(select.number(c)));
    }
    return r;
}

bool isFigure(const QString& column)
{
    for (const char* fixed : {"收费金额", "加倍收费", "提高收费", "是否单独列为收费项目"})
        if (column.compare(QString::fromUtf8(fixed), Qt::CaseInsensitive) == 0)
            return false;
    for (const char* part : {"修正", "当量", "标准"})
        if (column.contains(QString::fromUtf8(part), Qt::CaseInsensitive))
            return false;
    return !column.isEmpty();
}

namespace {

const QStringList categories{QStringLiteral("废水"), QStringLiteral("废气"), QStringLiteral("废渣"),
                             QStringLiteral("噪声"), QStringLiteral("其它")};

QString assignmentKey(const QString& enterprise, const QString& category)
{
    return enterprise.toCaseFolded() + QLatin1Char('\n') + category.toCaseFolded();
}

Units fen(const std::optional<double>& v)
{
    return v ? wholeFen(storedAmount(*v)) : 0;
}

struct Cell {
    Units charge = 0, doubled = 0, raised = 0;
    Units sum() const { return charge + doubled + raised; }
};

} // namespace

FeeReader::FeeReader(Connection& db, const QString& schema)
{
    Statement all(db,
                  QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, PaiWuKou, "
                                 "FenLei from %1.dwwrw order by PaiWuKou, ID")
                      .arg(schema));
    while (all.step())
        assignments_[assignmentKey(all.text(0), all.text(5))]
            << Assignment{QStringLiteral("WRW") + all.text(0) + all.text(1) + QString::number(all.integer(4)),
                          all.text(2), static_cast<int>(all.integer(3)), static_cast<int>(all.integer(4))};
}

Fees FeeReader::read(const QString& enterprise, const std::function<const Record&(const QString& table)>& record) const
{
    Fees fees;
    for (const QString& category : categories) {
        const auto found = assignments_.constFind(assignmentKey(enterprise, category));
        if (found == assignments_.constEnd())
            continue;
        Units charges = 0, doubled = 0, raised = 0;
        std::map<std::pair<int, int>, Cell> largest;
        QList<FeeItem> separate;
        for (const Assignment& a : *found) {
            const Record& w = record(a.table);
            const auto charge = w.value(QStringLiteral("收费金额"));
            const auto twice = w.value(QStringLiteral("加倍收费"));
            const auto more = w.value(QStringLiteral("提高收费"));
            if (a.kind == 1) {
                if (const auto own = w.value(QStringLiteral("是否单独列为收费项目"))) {
                    if (*own != 0) {
                        const Units c = fen(charge);
                        fees.total += c;
                        if (c > 0)
                            separate << FeeItem{a.name, c, true};
                    } else {
                        charges += fen(charge);
                    }
                }
                doubled += fen(twice);
                raised += fen(more);
            } else {
                const Cell candidate{fen(charge), fen(twice), fen(more)};
                Cell& cell = largest[{a.kind, a.outlet}];
                if (cell.sum() < candidate.sum())
                    cell = candidate;
            }
        }
        fees.items << separate;
        Cell cells;
        for (const auto& [key, cell] : largest) {
            cells.charge += cell.charge;
            cells.doubled += cell.doubled;
            cells.raised += cell.raised;
        }
        fees.doubled += doubled + cells.doubled;
        fees.raised += raised + cells.raised;
        const Units categoryCharge = charges + cells.charge;
        fees.total += categoryCharge + doubled + cells.doubled + raised + cells.raised;
        if (categoryCharge > 0)
            fees.items << FeeItem{category, categoryCharge, false};
    }
    return fees;
}

namespace {

// A stored date as a day number, its time of day the fraction.
double dayNumber(const QString& stored)
{
    double day = static_cast<double>(QDate::fromString(stored.left(10), Qt::ISODate).toJulianDay());
    if (stored.size() > 11) {
        const QTime t = QTime::fromString(stored.mid(11), QStringLiteral("H:m:s"));
        if (t.isValid())
            day += t.msecsSinceStartOfDay() / 86400000.0;
    }
    return day;
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

Units lateFee(Connection& db, const char* ledgerSchema, const QString& enterprise, const LateFeeTerms& terms,
              QList<MarkedRow>* marked)
{
    const QString table =
        QString::fromLatin1(ledgerSchema) + QLatin1Char('.') + quoted(QStringLiteral("ZNJ") + enterprise);
    const double rate = static_cast<double>(terms.dailyRate);
    Units unpaid = 0;
    {
        Statement overdue(
            db,
            QStringLiteral("Select * from %1 Where DaoZhangQingKuang=0 AND PiaoJuLeiXing=0 and KaiPiaoRiQi <= ?")
                .arg(table));
        overdue.bind(1, dateText(terms.invoiceDate.addDays(-terms.graceDays)));
        if (!overdue.step() || overdue.isNull(overdue.column(QStringLiteral("KaiPiaoRiQi"))))
            return 0;
        const int amount = overdue.column(QStringLiteral("ShouFeiJinE"));
        do
            unpaid += storedAmount(overdue.number(amount));
        while (overdue.step());
    }
    Units fee = 0;
    {
        Statement earlier(db,
                          QStringLiteral("Select * from %1 where KaiPiaoRiQi<?  Order By KaiPiaoRiQi ASC").arg(table));
        earlier.bind(1, dateText(terms.invoiceDate));
        if (earlier.step()) {
            const int dated = earlier.column(QStringLiteral("KaiPiaoRiQi"));
            QString last;
            do
                last = earlier.text(dated);
            while (earlier.step());
            const double days = std::nearbyint(static_cast<double>(terms.invoiceDate.toJulianDay()) - dayNumber(last) -
                                               terms.graceDays);
            if (days > 0)
                fee = computedAmount(static_cast<double>(unpaid * static_cast<Units>(days)) / 10000.0 * rate);
        }
    }
    const QString paidCondition = QStringLiteral("DaoZhangQingKuang=1 AND PiaoJuLeiXing=0 and ZNJYiShou =0");
    QList<MarkedRow> rows;
    {
        Statement paid(db, QStringLiteral("Select * from %1 Where %2").arg(table, paidCondition));
        if (!paid.step())
            return fee;
        const int invoicedAt = paid.column(QStringLiteral("KaiPiaoRiQi"));
        if (paid.isNull(invoicedAt))
            return fee;
        const int numberAt = paid.column(QStringLiteral("FaPiaoBianHao"));
        const int paidAt = paid.column(QStringLiteral("DaoZhangRiQi"));
        const int amountAt = paid.column(QStringLiteral("ShouFeiJinE"));
        do {
            const QString invoiced = paid.text(invoicedAt);
            rows << MarkedRow{paid.text(numberAt), invoiced.left(10)};
            if (paid.isNull(invoicedAt) || paid.isNull(paidAt))
                continue;
            const double excess = dayNumber(paid.text(paidAt)) - dayNumber(invoiced) - terms.graceDays;
            if (excess > 0)
                fee = computedAmount(static_cast<double>(fee) / 10000.0 +
                                     excess * rate *
                                         (static_cast<double>(storedAmount(paid.number(amountAt))) / 10000.0));
        } while (paid.step());
    }
    Statement(db, QStringLiteral("Update %1 Set ZNJYiShou = 1 Where %2").arg(table, paidCondition)).run();
    *marked += rows;
    return fee;
}

RecordedInvoice recordedInvoice(const Statement& row, int first)
{
    auto amount = [&row](int c) {
        return row.isNull(c) ? std::nullopt : std::optional<Units>(storedAmount(row.number(c)));
    };
    return {row.isNull(first) ? QString() : row.text(first).trimmed(),
            row.isNull(first + 1) ? QString() : row.text(first + 1).left(10), amount(first + 2), amount(first + 3)};
}

bool printed(const Marked& run, const RecordedInvoice& now)
{
    if (now.number.isEmpty() || !run.amount || now.amount != run.amount || now.lateFee != run.lateFee)
        return false;
    return !(now == run.before);
}

namespace {

const char* const markColumns = "DanWeiBianHao, FaPiaoBianHao, KaiPiaoRiQi, FaPiao, YuanFaPiaoBianHao, "
                                "YuanKaiPiaoRiQi, YuanFaPiaoJinE, YuanZNJ, FaPiaoJinE, ZNJ";

// The list's table, made as the program makes it where the print file has none.
Connection& withList(Connection& db)
{
    if (!db.hasTable(QStringLiteral("YiShouZNJ")))
        db.exec(QStringLiteral(
            "CREATE TABLE \"YiShouZNJ\" (\"DanWeiBianHao\" TEXT(50) COLLATE NOCASE, \"FaPiaoBianHao\" TEXT(50) "
            "COLLATE NOCASE, \"KaiPiaoRiQi\" DATETIME, \"FaPiao\" BYTE, \"YuanFaPiaoBianHao\" TEXT(50) COLLATE "
            "NOCASE, \"YuanKaiPiaoRiQi\" DATETIME, \"YuanFaPiaoJinE\" CURRENCY, \"YuanZNJ\" CURRENCY, \"FaPiaoJinE\" "
            "CURRENCY, \"ZNJ\" CURRENCY)"));
    return db;
}

std::optional<Units> amountAt(const Statement& row, int c)
{
    return row.isNull(c) ? std::nullopt : std::optional<Units>(storedAmount(row.number(c)));
}

void bindAmount(Statement& st, int i, const std::optional<Units>& amount)
{
    if (amount)
        st.bind(i, static_cast<double>(*amount) / 10000.0);
    else
        st.bindNull(i);
}

void bindDate(Statement& st, int i, const QString& date)
{
    if (date.isEmpty())
        st.bindNull(i);
    else
        st.bind(i, date);
}

} // namespace

Marks::Marks(Connection& db, const char* ledgerSchema)
    : db_(db),
      ledgerSchema_(ledgerSchema),
      insert_(withList(db),
              QStringLiteral("Insert into YiShouZNJ (%1) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                  .arg(QString::fromLatin1(markColumns)))
{
}

void Marks::setBackEarlier(const std::function<bool(const Marked&)>& stands)
{
    QList<Marked> listed;
    {
        Statement rows(db_,
                       QStringLiteral("select %1 from YiShouZNJ order by rowid").arg(QString::fromLatin1(markColumns)));
        while (rows.step()) {
            const QString enterprise = rows.text(0);
            if (listed.isEmpty() || listed.last().enterprise != enterprise) {
                Marked m;
                m.enterprise = enterprise;
                m.invoiceRun = !rows.isNull(3) && rows.number(3) != 0;
                if (m.invoiceRun) {
                    m.before = recordedInvoice(rows, 4);
                    m.amount = amountAt(rows, 8);
                    m.lateFee = amountAt(rows, 9);
                }
                listed << m;
            }
            listed.last().rows << MarkedRow{rows.text(1), rows.isNull(2) ? QString() : rows.text(2).left(10)};
        }
    }
    for (const Marked& m : std::as_const(listed)) {
        const QString ledger = QStringLiteral("ZNJ") + m.enterprise;
        if ((stands && stands(m)) || !db_.hasTable(ledger, ledgerSchema_))
            continue;
        Statement back(db_,
                       QStringLiteral("Update %1.%2 Set ZNJYiShou = 0 Where ZNJYiShou <> 0 AND FaPiaoBianHao = ? "
                                      "AND (date(KaiPiaoRiQi) = date(?) OR (KaiPiaoRiQi IS NULL AND ? IS NULL))")
                           .arg(QString::fromLatin1(ledgerSchema_), quoted(ledger)));
        for (const MarkedRow& row : m.rows) {
            back.reset().bind(1, row.number);
            bindDate(back, 2, row.date);
            bindDate(back, 3, row.date);
            back.run();
        }
    }
    db_.exec(QStringLiteral("Delete from YiShouZNJ"));
}

void Marks::add(const Marked& marked)
{
    for (const MarkedRow& row : marked.rows) {
        insert_.reset().bind(1, marked.enterprise).bind(2, row.number);
        bindDate(insert_, 3, row.date);
        insert_.bind(4, std::int64_t{marked.invoiceRun ? 1 : 0}).bind(5, marked.before.number);
        bindDate(insert_, 6, marked.before.date);
        bindAmount(insert_, 7, marked.before.amount);
        bindAmount(insert_, 8, marked.before.lateFee);
        bindAmount(insert_, 9, marked.amount);
        bindAmount(insert_, 10, marked.lateFee);
        insert_.run();
    }
}

} // namespace bare
