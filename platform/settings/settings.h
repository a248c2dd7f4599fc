#pragma once
// The per-user settings store: text values under an application and a section (always "Tevrano",
// "Settings"), kept in an INI file in the user's configuration folder ($XDG_CONFIG_HOME).
#include "platform/error/error.h"

#include <QString>

namespace settings {

// A setting that could not be written.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

inline const char* const appName = "Tevrano";
inline const char* const section = "Settings";

QString getSetting(const QString& app, const QString& section, const QString& key, const QString& fallback);
// Written to the file at once; throws settings::Error when the file cannot be written.
void saveSetting(const QString& app, const QString& section, const QString& key, const QString& value);

// The folder of the application's settings file (<XDG_CONFIG_HOME or ~/.config>/<app>), where other
// small per-user records of the program live too.
QString folder(const QString& app);

// The two above with the system's application and section.
QString get(const QString& key, const QString& fallback);
void save(const QString& key, const QString& value);

} // namespace settings
