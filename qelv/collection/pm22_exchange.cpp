#include "qelv/collection/pm22_exchange.h"

#include "platform/convert/convert.h"
#include "platform/files/files.h"
#include "platform/process/process.h"

#include <QScopedValueRollback>
#include <limits>

namespace pm22 {

namespace {

bool gBusy = false;

enum class Padding { ZerosLeft, BlanksRight };

// One field of the record, in the code page's bytes: padded up to its width, refused beyond it.
QByteArray field(const QString& name, const QString& value, int width, Padding padding)
{
    QByteArray bytes = convert::toGb(value);
    if (bytes.size() > width)
        throw FieldError(name,
                         QStringLiteral("%1“%2”占 %3 个字节，超过了这一栏的 %4 个字节")
                             .arg(name, value)
                             .arg(bytes.size())
                             .arg(width));
    const QByteArray pad(width - bytes.size(), padding == Padding::ZerosLeft ? '0' : ' ');
    return padding == Padding::ZerosLeft ? pad + bytes : bytes + pad;
}

} // namespace

QByteArray requestRecord(const Request& r)
{
    if (!r.invoiceDate.isValid())
        throw FieldError(QStringLiteral("开票日期"), QStringLiteral("开票日期不是有效的日期"));
    if (r.amountFen <= 0)
        throw FieldError(QStringLiteral("委托金额"), QStringLiteral("委托金额必须大于零"));
    QByteArray record;
    record.reserve(recordLength + 1);
    record += field(QStringLiteral("发票编号"), r.invoiceNumber, 8, Padding::ZerosLeft);
    record +=
        field(QStringLiteral("开票日期"), r.invoiceDate.toString(QStringLiteral("yyyyMMdd")), 8, Padding::ZerosLeft);
    record += field(QStringLiteral("收款人账号"), r.payeeAccount, 32, Padding::BlanksRight);
    record += field(QStringLiteral("付款人账号"), r.payerAccount, 32, Padding::BlanksRight);
    record += field(QStringLiteral("委托金额"), QString::number(r.amountFen), 16, Padding::ZerosLeft);
    record += field(QStringLiteral("协议号"), r.agreementNumber, 20, Padding::BlanksRight);
    record += field(QStringLiteral("委托收款ID"), r.collectionId, 20, Padding::ZerosLeft);
    record += '\r';
    return record;
}

std::int32_t amountInFen(const QString& amountText)
{
    // The text as "0.00" shows it (halves away from zero), read back exactly.
    const convert::Currency shown = convert::Currency::fromText(convert::format0_00(convert::toDouble(amountText)));
    const std::int64_t fen = shown.units() / 100;
    if (fen > std::numeric_limits<std::int32_t>::max() || fen < std::numeric_limits<std::int32_t>::min())
        throw FieldError(QStringLiteral("委托金额"), QStringLiteral("委托金额 %1 超出范围").arg(amountText));
    return static_cast<std::int32_t>(fen);
}

QString firstField(const QByteArray& answer)
{
    qsizetype at = 0;
    while (at < answer.size() && (answer[at] == ' ' || answer[at] == '\t'))
        ++at;
    QByteArray value;
    if (at < answer.size() && answer[at] == '"') {
        const qsizetype close = answer.indexOf('"', at + 1);
        // An unclosed quote runs to the end of the line, as the read takes it.
        qsizetype end = close;
        if (end < 0) {
            end = at + 1;
            while (end < answer.size() && answer[end] != '\r' && answer[end] != '\n')
                ++end;
        }
        value = answer.mid(at + 1, end - at - 1);
    } else {
        qsizetype end = at;
        while (end < answer.size() && answer[end] != ',' && answer[end] != '\r' && answer[end] != '\n')
            ++end;
        value = answer.mid(at, end - at);
        while (!value.isEmpty() && (value.back() == ' ' || value.back() == '\t'))
            value.chop(1);
    }
    return convert::fromGb(value);
}

Exchange::Exchange()
    : Exchange(files::appPath())
{
}

Exchange::Exchange(const QString& folder)
    : folder_(files::resolve(folder))
{
}

QString Exchange::program() const
{
    const QString path = files::resolve(folder_ + QStringLiteral("/pm22.exe"));
    return files::exists(path) ? path : QString();
}

QString Exchange::requestFile() const
{
    return files::resolve(folder_ + QStringLiteral("/Infile.txt"));
}

QString Exchange::answerFile() const
{
    return files::resolve(folder_ + QStringLiteral("/Outfile.txt"));
}

bool Exchange::busy()
{
    return gBusy;
}

QString Exchange::busyText()
{
    return QStringLiteral("PM22 正在为另一张委托单计算密码，请等它完成后再试。");
}

QString Exchange::notFoundText()
{
    return QStringLiteral("没有发现 pm22.exe ！请将SJY57(PM22)特约委托收款密码系统文件 PM22.EXE 烤到安装目录下！");
}

Answer Exchange::ask(const QByteArray& record, const std::function<void()>& afterEnd)
{
    if (gBusy)
        throw Error(busyText());
    const QString exe = program();
    if (exe.isEmpty())
        throw Error(notFoundText());
    const QScopedValueRollback hold(gBusy, true);

    const QString in = requestFile();
    const QString out = answerFile();
    files::writeFile(in, record);
    // An answer left from an earlier request must never pass for this one's.
    if (files::exists(out))
        files::remove(out);

    Answer answer;
    int exitCode = 0;
    QString notEnded;
    try {
        exitCode = process::runHiddenAndWait(exe, {in, out}, folder_);
    } catch (const std::exception& e) {
        notEnded = platform::describe(e);
    }
    if (afterEnd)
        afterEnd();
    if (!notEnded.isEmpty()) {
        answer.outcome = Answer::Outcome::Failed;
        answer.reason = notEnded;
        return answer;
    }
    if (exitCode != 0) {
        answer.outcome = Answer::Outcome::Failed;
        answer.reason = QStringLiteral("PM22 以代码 %1 结束").arg(exitCode);
        return answer;
    }
    // The answer's name as PM22 spelled it, whatever the case.
    const QString written = answerFile();
    if (!files::exists(written)) {
        answer.outcome = Answer::Outcome::NoAnswer;
        answer.reason = QStringLiteral("PM22 没有写出 Outfile.txt");
        return answer;
    }
    try {
        answer.password = firstField(files::readFile(written));
    } catch (const convert::Error& e) {
        answer.outcome = Answer::Outcome::NoAnswer;
        answer.reason = QStringLiteral("PM22 的回答无法识别：%1").arg(e.description());
        return answer;
    }
    if (answer.password.isEmpty()) {
        answer.outcome = Answer::Outcome::NoAnswer;
        answer.reason = QStringLiteral("PM22 没有给出密码");
        return answer;
    }
    // A text stored or printed would end at the NUL: what the document carried would not be the password.
    if (answer.password.contains(QChar(u'\0'))) {
        answer.outcome = Answer::Outcome::NoAnswer;
        answer.password.clear();
        answer.reason = QStringLiteral("PM22 给出的密码中有 NUL 字节，不能作为密码");
        return answer;
    }
    answer.outcome = Answer::Outcome::Password;
    return answer;
}

} // namespace pm22
