#include "qelv/core/navigation.h"

#include "platform/db/recordset.h"
#include "platform/ui/dialogs.h"

namespace navigation {

void moveNextOrBeep(db::Recordset& rs)
{
    if (!rs.isEOF())
        rs.moveNext();
    if (rs.isEOF() && rs.recordCount() > 0) {
        ui::beep();
        rs.moveLast();
    }
}

void movePreviousOrBeep(db::Recordset& rs)
{
    if (!rs.isBOF())
        rs.movePrevious();
    if (rs.isBOF() && rs.recordCount() > 0) {
        ui::beep();
        rs.moveFirst();
    }
}

} // namespace navigation
