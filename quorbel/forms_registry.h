// The control's own forms database: for each printer, the user forms made for it (name and size) and the
// form that the printer's defaults were last set to. It is a JSON file, by default quorbel-forms.json in
// the "qelv" folder of the user's configuration folder, or the file that QUORBEL_FORMS_REGISTRY names.
// Every change reads the file and writes it back whole; a file that is there but cannot be read as a
// forms database is never overwritten, nor is a printer's entry that cannot be read as one: the changes
// of that printer are refused, while the other printers' entries are used as before.
#pragma once

#include "quorbel/spooler.h"

#include <QList>
#include <QString>
#include <optional>

namespace quorbel {

class FormsRegistry {
public:
    static QString defaultPath();

    explicit FormsRegistry(QString path = defaultPath());
    const QString& path() const { return path_; }

    // The printer's user forms in the order they were added; nothing when the file or the printer's entry
    // cannot be read.
    std::optional<QList<Form>> forms(const QString& printer) const;
    // Adds a form of a name the printer does not have yet.
    bool add(const QString& printer, const Form& form) const;
    // Gives an existing form its new size.
    bool resize(const QString& printer, const Form& form) const;

    // The form that the printer's defaults were last set to; empty when none.
    QString selected(const QString& printer) const;
    bool select(const QString& printer, const QString& formName) const;

private:
    QString path_;
};

} // namespace quorbel
