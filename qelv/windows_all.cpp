#include "qelv/windows_all.h"

#include "qelv/frame/windows.h"

namespace qelv {

void registerAllWindows()
{
}

} // namespace qelv
