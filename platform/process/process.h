#pragma once
// Starting other programs.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>

namespace process {

// A program that could not be started or did not end normally.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// Starts a program without waiting for it; false when it could not be started.
bool startDetached(const QString& program, const QStringList& args = {});
// Starts a program without a window and waits until it ends, letting the event loop run meanwhile
// (no time limit). Returns its exit code; throws process::Error when it could not be started or
// did not end normally (killed or crashed: it has no exit code then). Its standard input is empty;
// its output goes to this program's own.
int runHiddenAndWait(const QString& program, const QStringList& args = {}, const QString& workingDir = QString());
// The full path of a program found on PATH, or empty.
QString findProgram(const QString& name);

} // namespace process
