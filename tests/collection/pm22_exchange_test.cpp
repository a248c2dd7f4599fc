// The PM22 exchange: the request record byte for byte, the first field of an answer, and the exchange
// itself with the stand-in as pm22.exe.
#include "platform/convert/convert.h"
#include "qelv/collection/pm22_exchange.h"
#include "tests/collection/pm22_standin.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>

using collectionTests::Pm22StandIn;

namespace {

pm22::Request baseRequest()
{
    pm22::Request r;
    r.invoiceNumber = QStringLiteral("123");
    r.invoiceDate = QDate(2003, 3, 5);
    r.payeeAccount = QStringLiteral("03-123456789");
    r.payerAccount = QStringLiteral("6228480012345678");
    r.amountFen = 123450;
    r.agreementNumber = QStringLiteral("XY2003-01");
    r.collectionId = QStringLiteral("4321");
    return r;
}

QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}

struct RecordCase {
    const char* label;
    std::function<void(pm22::Request&)> change;
    QByteArray expected; // without the carriage return
};

void PrintTo(const RecordCase& c, std::ostream* os)
{
    *os << c.label;
}

const QByteArray kBase = QByteArray("00000123") + "20030305" + "03-123456789" + blanks(20) + "6228480012345678" +
    blanks(16) + "0000000000123450" + "XY2003-01" + blanks(11) + "00000000000000004321";

class RequestRecord : public ::testing::TestWithParam<RecordCase> { };

TEST_P(RequestRecord, IsTheSevenFieldsIn136BytesAndACarriageReturn)
{
    pm22::Request r = baseRequest();
    GetParam().change(r);
    const QByteArray record = pm22::requestRecord(r);
    EXPECT_EQ(record.size(), 137);
    EXPECT_TRUE(record.endsWith('\r'));
    EXPECT_FALSE(record.contains('\n'));
    EXPECT_EQ(record.chopped(1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RequestRecord,
    ::testing::Values(
        RecordCase{"invoice 123, 5 March 2003, 1234.5 yuan", [](pm22::Request&) {}, kBase},
        RecordCase{"0.07 yuan is 7 fen", [](pm22::Request& r) { r.amountFen = pm22::amountInFen("0.07"); },
                   QByteArray(kBase).replace(80, 16, "0000000000000007")},
        RecordCase{"1234.5 from the list's text", [](pm22::Request& r) { r.amountFen = pm22::amountInFen("1234.5"); },
                   kBase},
        RecordCase{"every field full",
                   [](pm22::Request& r) {
                       r.invoiceNumber = QStringLiteral("87654321");
                       r.invoiceDate = QDate(2003, 12, 31);
                       r.payeeAccount = QString(32, '1');
                       r.payerAccount = QString(32, '2');
                       r.amountFen = 2147483647;
                       r.agreementNumber = QString(20, 'A');
                       r.collectionId = QString(20, '9');
                   },
                   QByteArray("87654321") + "20031231" + QByteArray(32, '1') + QByteArray(32, '2') +
                       "0000002147483647" + QByteArray(20, 'A') + QByteArray(20, '9')},
        RecordCase{"a Chinese agreement number counts two bytes a character",
                   [](pm22::Request& r) { r.agreementNumber = QStringLiteral("协议01"); },
                   QByteArray(kBase).replace(96, 20, convert::toGb(QStringLiteral("协议01")) + blanks(14))},
        RecordCase{"empty accounts and agreement are blanks, an empty ID zeros",
                   [](pm22::Request& r) {
                       r.payerAccount.clear();
                       r.agreementNumber.clear();
                       r.collectionId.clear();
                   },
                   QByteArray(kBase)
                       .replace(48, 32, blanks(32))
                       .replace(96, 20, blanks(20))
                       .replace(116, 20, QByteArray(20, '0'))}));

struct TooLongCase {
    const char* label;
    std::function<void(pm22::Request&)> change;
    QString field;
};

void PrintTo(const TooLongCase& c, std::ostream* os)
{
    *os << c.label;
}

class RefusedField : public ::testing::TestWithParam<TooLongCase> { };

TEST_P(RefusedField, IsNamedAndNoRecordIsMade)
{
    pm22::Request r = baseRequest();
    GetParam().change(r);
    try {
        pm22::requestRecord(r);
        ADD_FAILURE() << "no refusal";
    } catch (const pm22::FieldError& e) {
        EXPECT_EQ(e.field(), GetParam().field);
        EXPECT_TRUE(e.description().contains(GetParam().field)) << e.description().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RefusedField,
    ::testing::Values(
        TooLongCase{"a nine-digit invoice number", [](pm22::Request& r) { r.invoiceNumber = "123456789"; },
                    QStringLiteral("发票编号")},
        TooLongCase{"a payee account of 33", [](pm22::Request& r) { r.payeeAccount = QString(33, '1'); },
                    QStringLiteral("收款人账号")},
        TooLongCase{"a Chinese character in a 32-character payer account",
                    [](pm22::Request& r) { r.payerAccount = QString(31, '2') + QStringLiteral("农"); },
                    QStringLiteral("付款人账号")},
        TooLongCase{"an agreement number of 21", [](pm22::Request& r) { r.agreementNumber = QString(21, 'A'); },
                    QStringLiteral("协议号")},
        TooLongCase{"ten Chinese characters and one more in the agreement",
                    [](pm22::Request& r) { r.agreementNumber = QStringLiteral("协议协议协议协议协议1"); },
                    QStringLiteral("协议号")},
        TooLongCase{"a collection ID of 21", [](pm22::Request& r) { r.collectionId = QString(21, '9'); },
                    QStringLiteral("委托收款ID")},
        TooLongCase{"no amount", [](pm22::Request& r) { r.amountFen = 0; }, QStringLiteral("委托金额")},
        TooLongCase{"a negative amount", [](pm22::Request& r) { r.amountFen = -5; }, QStringLiteral("委托金额")},
        TooLongCase{"no invoice date", [](pm22::Request& r) { r.invoiceDate = QDate(); }, QStringLiteral("开票日期")}));

TEST(AmountInFen, TheListsTextWithTwoDecimalsTimesAHundred)
{
    EXPECT_EQ(pm22::amountInFen("1234.5"), 123450);
    EXPECT_EQ(pm22::amountInFen("0.07"), 7);
    EXPECT_EQ(pm22::amountInFen("0.005"), 1) << "halves away from zero, as 0.00 shows it";
    EXPECT_EQ(pm22::amountInFen("1234.5649"), 123456);
    EXPECT_EQ(pm22::amountInFen("21474836.47"), 2147483647);
    EXPECT_THROW(pm22::amountInFen("21474836.48"), pm22::FieldError);
    EXPECT_THROW(pm22::amountInFen("abc"), convert::Error);
}

struct FieldCase {
    const char* label;
    QByteArray answer;
    QString field;
};

void PrintTo(const FieldCase& c, std::ostream* os)
{
    *os << c.label;
}

class FirstField : public ::testing::TestWithParam<FieldCase> { };

TEST_P(FirstField, IsWhatASequentialReadGives)
{
    EXPECT_EQ(pm22::firstField(GetParam().answer), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FirstField,
    ::testing::Values(FieldCase{"quoted with a rest", "\"8812345\",20030305,1\r\n", "8812345"},
                      FieldCase{"quoted with a comma inside", "\"88,12\",x\r\n", "88,12"},
                      FieldCase{"leading blanks", "   \t\"4711\",1\r\n", "4711"},
                      FieldCase{"unquoted with a rest", "4711 ,rest\r\n", "4711"},
                      FieldCase{"unquoted to the line end", "  4711\r\nsecond line", "4711"},
                      FieldCase{"unquoted to a lone line feed", "4711\nx", "4711"},
                      FieldCase{"empty quotes", "\"\",1,0\r\n", ""}, FieldCase{"an empty first field", ",4711\r\n", ""},
                      FieldCase{"an empty line first", "\r\n\"4711\"\r\n", ""}, FieldCase{"an empty answer", "", ""},
                      FieldCase{"blanks only", "   ", ""},
                      FieldCase{"an unclosed quote runs to the line end", "\"4711,2\r\n", "4711,2"},
                      FieldCase{"Chinese bytes", convert::toGb(QStringLiteral("\"密码\",1")), "密码"}));

class Pm22Exchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        standIn = std::make_unique<Pm22StandIn>(dir.path());
        standIn->install();
    }
    QByteArray record(const QString& invoice = QStringLiteral("123"))
    {
        pm22::Request r = baseRequest();
        r.invoiceNumber = invoice;
        return pm22::requestRecord(r);
    }

    QTemporaryDir dir;
    std::unique_ptr<Pm22StandIn> standIn;
};

TEST_F(Pm22Exchange, StartsTheProgramWithTheAbsolutePathsAndReadsItsPassword)
{
    pm22::Exchange exchange(dir.path());
    const pm22::Answer answer = exchange.ask(record());
    EXPECT_EQ(answer.outcome, pm22::Answer::Outcome::Password) << answer.reason.toStdString();
    EXPECT_EQ(answer.password, QStringLiteral("0000012300123450"));
    ASSERT_EQ(standIn->starts(), 1);
    EXPECT_EQ(standIn->request(1), record());
    const QString folder = QDir(dir.path()).canonicalPath();
    EXPECT_EQ(standIn->start(1), QStringList({folder + "/Infile.txt", folder + "/Outfile.txt", "answer absent"}));
    EXPECT_EQ(standIn->read("Infile.txt"), record()) << "the request stays behind";
    EXPECT_FALSE(pm22::Exchange::busy());
}

TEST_F(Pm22Exchange, ALongerEarlierRequestLeavesNothingBehindTheNewOne)
{
    standIn->write("Infile.txt", QByteArray(200, 'x'));
    pm22::Exchange(dir.path()).ask(record());
    EXPECT_EQ(standIn->read("Infile.txt").size(), 137);
    EXPECT_EQ(standIn->request(1), record());
}

TEST_F(Pm22Exchange, AnEarlierAnswerIsDeletedBeforeEachStart)
{
    standIn->write("Outfile.txt", "\"stale\",1\r\n");
    standIn->script({"fail", "silent", "empty", "ok"});
    pm22::Exchange exchange(dir.path());
    const pm22::Answer failed = exchange.ask(record());
    EXPECT_EQ(failed.outcome, pm22::Answer::Outcome::Failed);
    EXPECT_TRUE(failed.password.isEmpty());
    EXPECT_TRUE(failed.reason.contains(QStringLiteral("3"))) << failed.reason.toStdString();
    EXPECT_EQ(standIn->start(1).value(2), "answer absent");

    const pm22::Answer silent = exchange.ask(record());
    EXPECT_EQ(silent.outcome, pm22::Answer::Outcome::NoAnswer);
    EXPECT_TRUE(silent.password.isEmpty());

    const pm22::Answer empty = exchange.ask(record());
    EXPECT_EQ(empty.outcome, pm22::Answer::Outcome::NoAnswer);
    EXPECT_TRUE(empty.password.isEmpty());

    // The empty answer is still there when the next one starts, and deleted all the same.
    const pm22::Answer ok = exchange.ask(record(QStringLiteral("77")));
    EXPECT_EQ(standIn->start(4).value(2), "answer absent");
    EXPECT_EQ(ok.outcome, pm22::Answer::Outcome::Password);
    EXPECT_EQ(ok.password, QStringLiteral("0000007700123450"));
}

TEST_F(Pm22Exchange, TheProgramsNameIsMatchedWithoutCase)
{
    QFile::remove(standIn->at("pm22.exe"));
    pm22::Exchange exchange(dir.path());
    EXPECT_TRUE(exchange.program().isEmpty());
    try {
        exchange.ask(record());
        ADD_FAILURE() << "asked without a program";
    } catch (const pm22::Error& e) {
        EXPECT_EQ(e.description(), pm22::Exchange::notFoundText());
    }
    EXPECT_EQ(standIn->read("Infile.txt"), "<missing>") << "nothing written without a program";

    standIn->install(QStringLiteral("PM22.EXE"));
    EXPECT_EQ(exchange.program(), QDir(dir.path()).canonicalPath() + "/PM22.EXE");
    EXPECT_EQ(exchange.ask(record()).outcome, pm22::Answer::Outcome::Password);
}

TEST_F(Pm22Exchange, AProgramThatCannotBeStartedIsAFailedAnswer)
{
    QFile::setPermissions(standIn->at("pm22.exe"), QFile::ReadOwner | QFile::WriteOwner);
    const pm22::Answer answer = pm22::Exchange(dir.path()).ask(record());
    EXPECT_EQ(answer.outcome, pm22::Answer::Outcome::Failed);
    EXPECT_FALSE(answer.reason.isEmpty());
    EXPECT_FALSE(pm22::Exchange::busy());
}

TEST_F(Pm22Exchange, OneExchangeAtATimeAndTheWaitLetsEventsThrough)
{
    standIn->script({"wait"});
    pm22::Exchange exchange(dir.path());
    std::optional<QString> second;
    bool busyDuring = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (standIn->starts() < 1 || second)
            return;
        busyDuring = pm22::Exchange::busy();
        try {
            pm22::Exchange(dir.path()).ask(record(QStringLiteral("9")));
            second = QStringLiteral("<not refused>");
        } catch (const pm22::Error& e) {
            second = e.description();
        }
        standIn->release();
    });
    poll.start(10);
    const pm22::Answer answer = exchange.ask(record());
    ASSERT_TRUE(second) << "the wait let no event through";
    EXPECT_TRUE(busyDuring);
    EXPECT_EQ(*second, pm22::Exchange::busyText());
    EXPECT_EQ(standIn->starts(), 1) << "the refused exchange started nothing";
    EXPECT_EQ(standIn->read("Infile.txt"), record()) << "nor touched the request";
    EXPECT_EQ(answer.password, QStringLiteral("0000012300123450"));
    EXPECT_FALSE(pm22::Exchange::busy());
}

} // namespace
