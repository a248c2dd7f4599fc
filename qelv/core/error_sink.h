#pragma once
// Where logic without a window reports its errors. A window passes the message-box sink; a batch run
// over many enterprises passes a collecting sink and reports once at the end.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

using ErrorSink = std::function<void(const QString& description)>;

// Shows each error in a message box (OK only, the program's title), as the windows do.
ErrorSink messageBoxSink(QWidget* owner = nullptr);

// Keeps the errors in order.
class CollectedErrors {
public:
    ErrorSink sink()
    {
        return [this](const QString& d) { list_ << d; };
    }
    const QStringList& list() const { return list_; }
    bool empty() const { return list_.isEmpty(); }

private:
    QStringList list_;
};
