#pragma once
// The base of every layer's exceptions: what() and description() carry the Chinese text shown to the
// operator. Each layer derives its own (db::Error, files::Error, convert::Error) so callers can still
// tell where a failure came from. A failure the program drops on purpose (a clean-up on a way out
// that already reports its own error, a set-back that cannot be done) leaves a warning in the log.
#include <QString>
#include <stdexcept>

namespace platform {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& description);
    QString description() const;
};

// The operator-facing text of any exception: a layer's description, else what().
QString describe(const std::exception& e);

// Called inside a catch handler that drops the exception on purpose: leaves a warning in the log
// naming `what` was being done and the exception's description. Never throws.
void warnDropped(const char* what) noexcept;

} // namespace platform
