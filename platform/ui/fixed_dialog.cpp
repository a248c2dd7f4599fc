#include "platform/ui/fixed_dialog.h"

#include "platform/ui/twips.h"

namespace ui {

void setUpFixedDialog(QDialog* window, const FixedDialog& design)
{
    if (design.setFlags)
        window->setWindowFlags(fixedDialogFlags);
    if (design.formName)
        window->setObjectName(QString::fromLatin1(design.formName));
    window->setWindowTitle(design.caption);
    if (design.modal)
        window->setModal(true);
    clientSizeTwips(window, design.clientWidth, design.clientHeight);
    window->setFixedSize(window->size());
}

} // namespace ui
