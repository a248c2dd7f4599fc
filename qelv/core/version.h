#pragma once
#include <QString>

namespace version {

// The program's version as shown to the operator: "<major>.<minor>.<revision>".
QString text();

} // namespace version
