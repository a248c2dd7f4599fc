#pragma once
// The exchange with the bank's password program PM22, which gives each collection document its
// password (委托密码). The request goes into Infile.txt of the program folder as one fixed-width record
// in the Chinese code page; pm22.exe of the program folder is started with the absolute paths of
// Infile.txt and Outfile.txt as its two arguments and awaited; the first field of Outfile.txt is the
// password. Outfile.txt is deleted before every start, so an answer is always the one to this request.
//
// The two files have fixed names, so one exchange at a time in the program: a second one asked for
// while one waits for PM22 is refused.
#include "platform/error/error.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>

namespace pm22 {

// A request that cannot be written, a second exchange while one waits.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// A value that does not fit its field of the record; field() is the field's name for the operator.
class FieldError : public Error {
public:
    FieldError(QString field, const QString& description)
        : Error(description),
          field_(std::move(field))
    {
    }
    const QString& field() const { return field_; }

private:
    QString field_;
};

// What one request carries, as the collection window and the payee's details hold it.
struct Request {
    QString invoiceNumber; // 8 bytes, "0" on the left
    QDate invoiceDate; // 8 bytes, yyyymmdd
    QString payeeAccount; // 32 bytes, blanks on the right
    QString payerAccount; // 32 bytes, blanks on the right
    std::int32_t amountFen = 0; // 16 bytes, "0" on the left
    QString agreementNumber; // 20 bytes, blanks on the right
    QString collectionId; // 20 bytes, "0" on the left
};

// The record's length without its carriage return.
inline constexpr int recordLength = 136;

// The record in GB18030 bytes: the seven fields, 136 bytes, and a carriage return alone. A value whose
// bytes exceed its field's width, an amount not above zero and an invalid date are refused with
// FieldError, naming the field: the record is never longer than 136 bytes, and nothing is cut.
QByteArray requestRecord(const Request& request);

// The amount in fen of an amount as the list shows it ("1234.5"): the text with two decimals, halves
// away from zero, times 100. Throws convert::Error for a text that is no number, FieldError for an
// amount outside 32 bits.
std::int32_t amountInFen(const QString& amountText);

// The first field of an answer as a sequential read takes it: leading blanks skipped, up to the first
// comma or line end, a field in double quotes taken without them (a comma inside the quotes belongs to
// the field); an unquoted field loses its trailing blanks. Empty for an empty answer. Throws
// convert::Error when the field's bytes are no GB18030 text.
QString firstField(const QByteArray& answer);

// How one exchange ended.
struct Answer {
    enum class Outcome {
        Password, // PM22 ended with exit code 0 and gave a non-empty first field
        NoAnswer, // it ended with 0 but left no Outfile.txt, an empty first field or one holding a NUL
        Failed, // it ended with another code, could not be started, or did not end normally
    };
    Outcome outcome = Outcome::Failed;
    QString password;
    QString reason; // for the operator, when there is no password
};

class Exchange {
public:
    // The exchange files and the program in a folder: the program folder unless told otherwise.
    Exchange();
    explicit Exchange(const QString& folder);

    // pm22.exe of the folder, its name matched without regard to case; empty when there is none.
    QString program() const;
    QString requestFile() const; // absolute path of Infile.txt
    QString answerFile() const; // absolute path of Outfile.txt

    // Writes the record to Infile.txt, deletes Outfile.txt, starts pm22.exe and waits for it without a
    // time limit, the event loop running meanwhile, calls `afterEnd` once it has ended, and reads the
    // answer. Throws Error when pm22.exe is not there, when another exchange waits, or when the request
    // cannot be written or the old answer not deleted; PM22's own failures are given in the Answer.
    Answer ask(const QByteArray& record, const std::function<void()>& afterEnd = {});

    // Whether an exchange waits for PM22 somewhere in the program.
    static bool busy();
    static QString busyText();
    // The message for a program folder without pm22.exe.
    static QString notFoundText();

private:
    QString folder_;
};

} // namespace pm22
