#include "qelv/core/error_sink.h"

#include "platform/ui/dialogs.h"

#include <QPointer>
#include <QWidget>

ErrorSink messageBoxSink(QWidget* owner)
{
    QPointer<QWidget> guarded(owner);
    return [guarded, hadOwner = owner != nullptr](const QString& d) {
        // An owner that has gone meanwhile is not used: the box then has no owner.
        ui::showError(d, hadOwner ? guarded.data() : nullptr);
    };
}
