// Generating the month's collection documents through the collection window, with the PM22 stand-in as
// pm22.exe: the documents, the requests PM22 got, the passwords in the list, and the runs that stop
// before anything is removed.
#include "platform/convert/convert.h"
#include "platform/ui/dialogs.h"
#include "qelv/collection/collection_documents.h"
#include "qelv/collection/frmWt.h"
#include "qelv/collection/pm22_exchange.h"
#include "qelv/core/Module1.h"
#include "qelv/core/error_sink.h"
#include "tests/collection/collection_fixture.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

using namespace collectionTests;

namespace {

QByteArray padRight(const QByteArray& b, int width)
{
    return b + QByteArray(width - b.size(), ' ');
}

// The request of enterprise number / invoice / account / fen / agreement, with the fixture's payee.
QByteArray expectedRecord(const char* invoice, const char* account, const char* fen, const char* agreement)
{
    const QByteArray i(invoice), f(fen);
    return QByteArray(8 - i.size(), '0') + i + "20030305" + padRight("03-123456789", 32) + padRight(account, 32) +
        QByteArray(16 - f.size(), '0') + f + padRight(agreement, 20) + QByteArray(16, '0') + "4321" + "\r";
}

class CollectionRun : public CollectionMonth {
protected:
    void twoEnterprises()
    {
        enterprise(QStringLiteral("002"), QStringLiteral("乙厂"), QStringLiteral("622848002"), QStringLiteral("XY02"),
                   QStringLiteral("建行"));
        invoice(QStringLiteral("002"), QStringLiteral("124"), "0.07", QStringLiteral("柒分整"));
        enterprise(QStringLiteral("001"), QStringLiteral("甲厂"));
        invoice(QStringLiteral("001"), QStringLiteral("123"), "1234.5");
    }
    // One document that a run before this one left.
    void earlierDocument()
    {
        fixtures::exec(printFileEnsured(),
                       QStringLiteral("insert into WTDW (DanWeiBianHao, 委托号码, 委托密码) values "
                                      "('009', '99', 'old')"));
    }
    QString printFileEnsured()
    {
        if (!QFile::exists(printFile()))
            QFile::copy(folder->data(QStringLiteral("qelvwtPrint.mdb")), printFile());
        return printFile();
    }
    static QStringList passwords(const frmWt& w)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.ListView1->topLevelItem(i)->text(frmWt::Password);
        return out;
    }
    static QStringList digits(const std::map<QString, QString>& doc)
    {
        QStringList out;
        for (const char* c : {"千万", "百万", "十万", "万", "千", "百", "十", "元", "角", "分"})
            out << doc.at(QString::fromUtf8(c));
        return out;
    }
};

TEST_F(CollectionRun, EveryListedEnterpriseGetsItsDocumentWithItsOwnPassword)
{
    twoEnterprises();
    frmWt w;
    ASSERT_EQ(w.mListCount, 2);
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 2 张委托单！")});
    EXPECT_EQ(ui::testing::shown().back().icon, ui::Icon::Information);

    ASSERT_EQ(pm22->starts(), 2);
    EXPECT_EQ(pm22->request(1), expectedRecord("123", "622848001", "123450", "XY01"));
    EXPECT_EQ(pm22->request(2), expectedRecord("124", "622848002", "7", "XY02"));
    const QString first = Pm22StandIn::passwordFor(pm22->request(1));
    const QString second = Pm22StandIn::passwordFor(pm22->request(2));
    EXPECT_EQ(passwords(w), (QStringList{first, second}));

    const auto docs = documents();
    ASSERT_EQ(docs.size(), 2u);
    const std::map<QString, QString> expected = {
        {"DanWeiBianHao", "001"},
        {"委托号码", "123"},
        {"年", "2003"},
        {"月", "3"},
        {"日", "5"},
        {"付款人单位", "甲厂"},
        {"付款人账号", "622848001"},
        {"付款人开户银行", "工行"},
        {"收款人单位", "县环保局"},
        {"收款人账号", "03-123456789"},
        {"收款人开户银行", "农行"},
        {"委托金额大写合计", "壹仟贰佰叁拾肆元伍角整"},
        {"千万", " "},
        {"百万", " "},
        {"十万", " "},
        {"万", " "},
        {"千", "1"},
        {"百", "2"},
        {"十", "3"},
        {"元", "4"},
        {"角", "5"},
        {"分", "0"},
        {"款项内容", "排污费"},
        {"协议号", "XY01"},
        {"委托密码", first},
    };
    EXPECT_EQ(docs[0], expected);
    EXPECT_EQ(docs[1].at("DanWeiBianHao"), "002");
    EXPECT_EQ(docs[1].at("付款人开户银行"), "建行");
    EXPECT_EQ(docs[1].at("委托金额大写合计"), "柒分整");
    EXPECT_EQ(digits(docs[1]), (QStringList{" ", " ", " ", " ", " ", " ", " ", " ", " ", "7"}))
        << "角 and 元 stay blank under 7 fen";
    EXPECT_EQ(docs[1].at("委托密码"), second);
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_TRUE(w.Toolbar1->isEnabled());
}

TEST_F(CollectionRun, TheSecondAnsweredEmptyGetsNoDocumentAndIsNamed)
{
    twoEnterprises();
    pm22->script({"ok", "empty"});
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    const QString closing = ui::testing::shownTexts()[0];
    EXPECT_TRUE(closing.startsWith(QStringLiteral("共生成 1 张委托单！"))) << closing.toStdString();
    EXPECT_TRUE(closing.contains(QStringLiteral("002 乙厂"))) << closing.toStdString();
    EXPECT_FALSE(closing.contains(QStringLiteral("001"))) << closing.toStdString();
    const auto docs = documents();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].at("DanWeiBianHao"), "001");
    EXPECT_EQ(passwords(w), (QStringList{Pm22StandIn::passwordFor(pm22->request(1)), QString()}));
}

// An answer that cannot be the password: a NUL byte in it, or more characters than the document's
// password column takes.
class UnusablePassword : public CollectionRun, public ::testing::WithParamInterface<const char*> { };

TEST_P(UnusablePassword, GivesThatEnterpriseNoDocumentAndTheRunGoesOn)
{
    twoEnterprises();
    pm22->script({QString::fromLatin1(GetParam()), QStringLiteral("ok")});
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_EQ(pm22->starts(), 2);
    ASSERT_EQ(ui::testing::shownTexts().size(), 1) << ui::testing::shownTexts().join('|').toStdString();
    const QString closing = ui::testing::shownTexts()[0];
    EXPECT_TRUE(closing.startsWith(QStringLiteral("共生成 1 张委托单！"))) << closing.toStdString();
    EXPECT_TRUE(closing.contains(QStringLiteral("001 甲厂："))) << closing.toStdString();
    EXPECT_FALSE(closing.contains(QStringLiteral("002"))) << closing.toStdString();
    const auto docs = documents();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].at("DanWeiBianHao"), "002");
    EXPECT_EQ(docs[0].at("委托密码"), Pm22StandIn::passwordFor(pm22->request(2)));
    EXPECT_EQ(passwords(w), (QStringList{QString(), Pm22StandIn::passwordFor(pm22->request(2))}));
}

INSTANTIATE_TEST_SUITE_P(Answers, UnusablePassword, ::testing::Values("nul", "long"));

TEST_F(CollectionRun, TheSecondExitingNonZeroIsNeverGivenTheFirstsPassword)
{
    twoEnterprises();
    pm22->script({"ok", "fail"});
    frmWt w;
    w.ListView1->topLevelItem(1)->setText(frmWt::Password, QStringLiteral("shown before"));
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_EQ(pm22->starts(), 2);
    EXPECT_EQ(pm22->start(2).value(2), "answer absent") << "the first's answer was deleted before the second start";
    const auto docs = documents();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].at("DanWeiBianHao"), "001");
    const QString closing = ui::testing::shownTexts().value(0);
    EXPECT_TRUE(closing.startsWith(QStringLiteral("共生成 1 张委托单！"))) << closing.toStdString();
    EXPECT_TRUE(closing.contains(QStringLiteral("002 乙厂：PM22 以代码 3 结束"))) << closing.toStdString();
    EXPECT_EQ(w.ListView1->topLevelItem(1)->text(frmWt::Password), QStringLiteral("shown before"));
}

TEST_F(CollectionRun, WithoutPm22NothingIsRemovedOrWritten)
{
    twoEnterprises();
    earlierDocument();
    QFile::remove(pm22->at("pm22.exe"));
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, pm22::Exchange::notFoundText());
    EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
    const auto docs = documents();
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].at("委托密码"), "old") << "the earlier documents stay";
    EXPECT_FALSE(QFile::exists(pm22->at("Infile.txt")));
    EXPECT_FALSE(w.busy());
    EXPECT_TRUE(w.Toolbar1->isEnabled());
}

TEST_F(CollectionRun, NoneTickedEmptiesTheDocumentsAndCountsNone)
{
    twoEnterprises();
    earlierDocument();
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sxwt"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 0 张委托单！")});
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(pm22->starts(), 0);
}

TEST_F(CollectionRun, OnlyTheTickedRowsAreAsked)
{
    twoEnterprises();
    frmWt w;
    w.ListView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
    w.Toolbar1_ButtonClick(QStringLiteral("sxwt"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 1 张委托单！")});
    ASSERT_EQ(pm22->starts(), 1);
    EXPECT_EQ(pm22->request(1), expectedRecord("124", "622848002", "7", "XY02"));
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents()[0].at("DanWeiBianHao"), "002");
    EXPECT_EQ(passwords(w), (QStringList{QString(), Pm22StandIn::passwordFor(pm22->request(1))}));
}

TEST_F(CollectionRun, AValueTooLongForItsFieldStopsTheRunBeforePm22Starts)
{
    twoEnterprises();
    enterprise(QStringLiteral("003"), QStringLiteral("丙厂"), QString(31, '3') + QStringLiteral("号"));
    invoice(QStringLiteral("003"), QStringLiteral("125"), "10");
    earlierDocument();
    frmWt w;
    ASSERT_EQ(w.mListCount, 3);
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    const QString message = ui::testing::shownTexts()[0];
    EXPECT_TRUE(message.contains(QStringLiteral("003 丙厂"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("付款人账号"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("共生成")));
    EXPECT_EQ(pm22->starts(), 0) << "not even the enterprises before it";
    EXPECT_FALSE(QFile::exists(pm22->at("Infile.txt")));
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents()[0].at("委托密码"), "old");
}

TEST_F(CollectionRun, ALongInvoiceNumberIsRefusedNamingTheEnterprise)
{
    enterprise(QStringLiteral("001"), QStringLiteral("甲厂"));
    invoice(QStringLiteral("001"), QStringLiteral("1234567890"), "10");
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    const QString message = ui::testing::shownTexts().value(0);
    EXPECT_TRUE(message.contains(QStringLiteral("001 甲厂"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("发票编号"))) << message.toStdString();
    EXPECT_EQ(pm22->starts(), 0);
}

TEST_F(CollectionRun, APrintFileWithoutAColumnOfTheDocumentIsSaidBeforeAnythingGoes)
{
    twoEnterprises();
    QStringList columns = pickerColumns();
    columns.removeAll(QStringLiteral("委托密码"));
    makeCollectionPrintFile(printFile(), columns);
    fixtures::exec(printFile(), QStringLiteral("insert into WTDW (DanWeiBianHao) values ('009')"));
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    const QString message = ui::testing::shownTexts().value(0);
    EXPECT_TRUE(message.contains(QStringLiteral("委托密码"))) << message.toStdString();
    EXPECT_EQ(pm22->starts(), 0);
    EXPECT_EQ(fixtures::probe(printFile(), QStringLiteral("select count(*) from WTDW")).toInt(), 1);
}

TEST_F(CollectionRun, AnEnterpriseGoneFromTheRegisterIsNamedAndTheOthersGoOn)
{
    twoEnterprises();
    frmWt w;
    fixtures::exec(folder->data(QStringLiteral("qelvdw.mdb")),
                   QStringLiteral("delete from dw where DanWeiBianHao='001'"));
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    const QString closing = ui::testing::shownTexts().value(0);
    EXPECT_TRUE(closing.startsWith(QStringLiteral("共生成 1 张委托单！"))) << closing.toStdString();
    EXPECT_TRUE(closing.contains(QStringLiteral("001 甲厂"))) << closing.toStdString();
    EXPECT_EQ(pm22->starts(), 1);
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents()[0].at("DanWeiBianHao"), "002");
}

TEST_F(CollectionRun, ARunWaitsForTheTimersNextTickAfterEachAnswer)
{
    twoEnterprises();
    frmWt w;
    int ticks = 0;
    QObject::connect(w.Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    EXPECT_GE(ticks, 2) << "one tick waited for after each of the two answers";
    EXPECT_TRUE(w.Timer1->isActive()) << "the timer is never stopped";
    EXPECT_EQ(w.Timer1->interval(), 1000);
    EXPECT_FALSE(w.mTimerWait);
}

TEST_F(CollectionRun, WhileARunWaitsTheToolbarAndClosingAreRefused)
{
    twoEnterprises();
    earlierDocument();
    pm22->script({"wait"});
    frmWt w;
    w.show();
    bool toolbarEnabled = true, closed = true, looked = false;
    QStringList refused;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (looked || pm22->starts() < 1)
            return;
        looked = true;
        toolbarEnabled = w.Toolbar1->isEnabled();
        w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
        w.Toolbar1_ButtonClick(QStringLiteral("xgfp"));
        w.Toolbar1_ButtonClick(QStringLiteral("tc"));
        closed = w.close();
        // Another collection window: its run is refused before it removes anything.
        frmWt other;
        other.Toolbar1_ButtonClick(QStringLiteral("sywt"));
        refused = ui::testing::shownTexts();
        ui::testing::clearShown();
        pm22->release();
    });
    poll.start(10);
    w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
    ASSERT_TRUE(looked) << "the wait let no event through";
    EXPECT_FALSE(toolbarEnabled);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(refused,
              (QStringList{QStringLiteral("正在生成委托，请等生成完成后再试。"),
                           QStringLiteral("正在生成委托，请等生成完成后再试。"),
                           QStringLiteral("正在生成委托，请等生成完成后再试。"), pm22::Exchange::busyText()}));
    EXPECT_EQ(pm22->starts(), 2) << "the refused run asked PM22 nothing";
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 2 张委托单！")});
    EXPECT_EQ(documents().size(), 2u);
    EXPECT_TRUE(w.Toolbar1->isEnabled());
    EXPECT_TRUE(w.close());
}

TEST_F(CollectionRun, TheProgressGoesThroughTheHandledRows)
{
    twoEnterprises();
    enterprise(QStringLiteral("003"), QStringLiteral("丙厂"));
    invoice(QStringLiteral("003"), QStringLiteral("125"), "10");
    printFileEnsured();
    const QList<collection::ListedInvoice> list{{"001", "甲厂", "123", "1234.5", true},
                                                {"002", "乙厂", "124", "0.07", false},
                                                {"003", "丙厂", "125", "10", true}};
    QStringList progress;
    int afterProgram = 0;
    CollectedErrors errors;
    collection::RunCallbacks callbacks;
    callbacks.progress = [&progress](int position, int count, int running) {
        progress << QStringLiteral("%1/%2 %3").arg(position).arg(count).arg(running);
    };
    callbacks.afterProgram = [&afterProgram] { ++afterProgram; };
    collection::DocumentGenerator generator(collection::RunState::fromModule1(), callbacks, errors.sink());
    const collection::RunResult result = generator.run(list, true);
    EXPECT_TRUE(errors.empty()) << errors.list().join('\n').toStdString();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.handled, 2);
    EXPECT_EQ(result.documents, 2);
    EXPECT_EQ(progress, (QStringList{"1/3 1", "3/3 2"}));
    EXPECT_EQ(afterProgram, 2);

    // An empty list does nothing at all.
    CollectedErrors none;
    const collection::RunResult empty =
        collection::DocumentGenerator(collection::RunState::fromModule1(), {}, none.sink()).run({}, false);
    EXPECT_FALSE(empty.completed);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(documents().size(), 2u);
}

} // namespace
