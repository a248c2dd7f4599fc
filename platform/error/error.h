#pragma once
// The base of every layer's exceptions: what() and description() carry the Chinese text shown to the
// operator. Each layer derives its own (db::Error, files::Error, convert::Error) so callers can still
// tell where a failure came from.
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

} // namespace platform
