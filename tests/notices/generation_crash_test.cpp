// A month's invoices and notices generated again, the run killed at points drawn over its writes, as
// kill -9 or a power cut would stop it: the print file holds the earlier run whole, nothing of it, or
// the new run whole, never headers without their lines nor lines or detail sheets without their
// headers, and the late-fee marks it lists are those the ledgers hold; every file is sound, and the
// run completes when started again.
#include "tests/fixtures/kill_points.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/notice_fixture.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

constexpr int trials = 24;

struct Kind {
    const char* argument; // the child's
    QString (*printFile)(const QDate&);
    QStringList tables; // the print tables, each as it is read in order
};

const Kind invoices{
    "invoices",
    dataFiles::monthInvoices,
    {QStringLiteral("select * from MX order by ID"), QStringLiteral("select * from KPDW order by DanWeiBianHao")}};
const Kind noticeRun{"notices",
                     dataFiles::monthNotices,
                     {QStringLiteral("select * from MX order by ID"),
                      QStringLiteral("select * from tzdw order by DanWeiBianHao"),
                      QStringLiteral("select * from WuRanWuMingXi order by rowid")}};

const QStringList enterprises{QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003")};

class GenerationCrash : public fixtures::NoticeMonth {
protected:
    void SetUp() override
    {
        NoticeMonth::SetUp();
        // 1001 and 1002 owe an invoice of April and paid one of March late: each run charges both and
        // marks the late payment.
        for (const QString& n : enterprises) {
            enterprise(n, QStringLiteral("厂") + n);
            assign(n, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "100");
            assign(n, QStringLiteral("W2"), QStringLiteral("乙"), 1, 1, QStringLiteral("废气"), "35.5", "12");
            assign(n, QStringLiteral("W3"), QStringLiteral("丙"), 1, 2, QStringLiteral("废水"), "20", "0", "0", true);
            // Data for the detail sheets.
            for (const char* table : {"WRW%1W11", "WRW%1W21", "WRW%1W32"})
                month->execute(QStringLiteral("update %1 set v1 = 2.5").arg(QString::fromLatin1(table).arg(n)));
            if (n == QStringLiteral("1003"))
                continue;
            ledgerRow(n, QDate(2003, 4, 1), "1000");
            ledgerRow(n, QDate(2003, 3, 1), "2000", QDate(2003, 4, 20));
        }
        // The child works on the files alone.
        for (auto* c : {&dw, &month, &billing, &ledgers, &print, &layout, &notices})
            c->reset();
    }

    // Runs the child's generation by `user` over every enterprise.
    fixtures::ChildEnd generate(const Kind& kind, const char* user,
                                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QStringList arguments{QString::fromLatin1(kind.argument),
                              QStringLiteral("2003-05-01"),
                              QStringLiteral("2003-05-31"),
                              QString::fromUtf8(user),
                              QStringLiteral("10"),
                              QStringLiteral("0.0005")};
        return fixtures::runToEnd(QStringLiteral(GENERATION_CHILD), arguments + enterprises, environment);
    }

    // What the print file and the ledgers hold, one line a table: the print tables, the marks the file
    // lists, each ledger.
    QStringList content(const Kind& kind) const
    {
        const QString file = folder->data(kind.printFile(QDate(2003, 5, 1)));
        QStringList out;
        for (const QString& sql : kind.tables)
            out << sql + QStringLiteral(": ") + fixtures::probeRows(file, sql).join(QStringLiteral(" ; "));
        out << QStringLiteral("listed: ") +
                fixtures::probeRows(file, QStringLiteral("select * from YiShouZNJ order by rowid"))
                    .join(QStringLiteral(" ; "));
        return out + ledgerContent();
    }
    QStringList ledgerContent() const
    {
        QStringList out;
        for (const QString& n : enterprises)
            out << QStringLiteral("ZNJ%1: ").arg(n) +
                    fixtures::probeRows(folder->data(QString::fromLatin1(dataFiles::lateFeeLedgers)),
                                        QStringLiteral("select * from ZNJ%1 order by rowid").arg(n))
                        .join(QStringLiteral(" ; "));
        return out;
    }
    // The print file emptied, nothing listed, the ledgers as `ledgers` gives them.
    static QStringList nothing(const Kind& kind, const QStringList& ledgers)
    {
        QStringList out;
        for (const QString& sql : kind.tables)
            out << sql + QStringLiteral(": ");
        return out << QStringLiteral("listed: ") << ledgers;
    }

    // Rows of one table that stand without the rows that belong to them, as "what: enterprises; ...".
    QString orphans(const Kind& kind) const
    {
        const QString file = folder->data(kind.printFile(QDate(2003, 5, 1)));
        const QString headers = kind.argument == invoices.argument ? QStringLiteral("KPDW") : QStringLiteral("tzdw");
        const auto without = [&](const QString& table, const QString& other) {
            return fixtures::probeRows(file,
                                       QStringLiteral("select distinct DanWeiBianHao from %1 where DanWeiBianHao "
                                                      "not in (select DanWeiBianHao from %2) order by 1")
                                           .arg(table, other))
                .join(QLatin1Char(','));
        };
        QStringList out;
        const auto note = [&out](const QString& what, const QString& numbers) {
            if (!numbers.isEmpty())
                out << what + QStringLiteral(": ") + numbers;
        };
        note(QStringLiteral("headers without lines"), without(headers, QStringLiteral("MX")));
        note(QStringLiteral("lines without headers"), without(QStringLiteral("MX"), headers));
        if (kind.argument == noticeRun.argument)
            note(QStringLiteral("detail sheets without headers"), without(QStringLiteral("WuRanWuMingXi"), headers));
        return out.join(QStringLiteral("; "));
    }

    void expectSoundFiles() const
    {
        for (const QString& name : QDir(folder->data()).entryList({QStringLiteral("*.mdb")}, QDir::Files)) {
            const QString file = folder->data(name);
            EXPECT_EQ(fixtures::probe(file, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"))
                << name.toStdString();
        }
    }

    void killRepeatedRuns(const Kind& kind)
    {
        const QStringList before = ledgerContent();
        ASSERT_EQ(generate(kind, "张三").output.trimmed(), QByteArray("done 3"));
        const QStringList earlier = content(kind);
        // The new run differs in every header and in 1001's lines.
        fixtures::exec(folder->data(dataFiles::monthData(QDate(2003, 5, 1))),
                       QStringLiteral("update WRW1001W11 set 收费金额 = 120"));
        const fixtures::FolderCopy atStart(folder->data());

        fixtures::PointListing points;
        fixtures::KillDraws draws;
        ASSERT_EQ(generate(kind, "王五", points.counting()).output.trimmed(), QByteArray("done 3"));
        const QStringList whole = content(kind);
        const QStringList empty = nothing(kind, before);
        const QStringList listed = points.points();
        const long long count = listed.size();
        ASSERT_GT(count, 10) << "the child's writes were not seen";
        ASSERT_NE(whole, earlier);

        QMap<QString, int> outcomes;
        for (int trial = 0; trial < trials; ++trial) {
            atStart.restore();
            const long long at = draws.draw(count);
            SCOPED_TRACE(draws.describe(trial, at, listed));
            const fixtures::ChildEnd end = generate(kind, "王五", fixtures::killingAt(at));
            ASSERT_TRUE(end.killed) << end.output.toStdString();

            expectSoundFiles();
            const QString orphaned = orphans(kind);
            EXPECT_TRUE(orphaned.isEmpty()) << orphaned.toStdString();
            const QStringList now = content(kind);
            const QString held = now == earlier ? QStringLiteral("the earlier run")
                : now == empty                  ? QStringLiteral("nothing")
                : now == whole                  ? QStringLiteral("the new run")
                                                : QString();
            EXPECT_FALSE(held.isEmpty()) << "the files hold neither run whole nor nothing:\n"
                                         << now.join(QLatin1Char('\n')).toStdString();
            ++outcomes[held.isEmpty() ? QStringLiteral("a mix") : held];

            // Started again, the run completes.
            EXPECT_EQ(generate(kind, "王五").output.trimmed(), QByteArray("done 3"));
            EXPECT_EQ(content(kind), whole);
        }
        for (auto o = outcomes.cbegin(); o != outcomes.cend(); ++o)
            std::cout << o.value() << " of " << trials << " kills left " << o.key().toStdString() << std::endl;
    }
};

TEST_F(GenerationCrash, AKilledRepeatInvoiceRunLeavesTheEarlierRunNothingOrTheNewRun)
{
    killRepeatedRuns(invoices);
}

TEST_F(GenerationCrash, AKilledRepeatNoticeRunLeavesTheEarlierRunNothingOrTheNewRun)
{
    killRepeatedRuns(noticeRun);
}

} // namespace
