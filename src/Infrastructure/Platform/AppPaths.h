#pragma once

#include <QString>

namespace vocena {
class Logger;
}

namespace vocena::AppPaths {

// The folder every data file of the app lives in: $XDG_DATA_HOME/澄言 (by default
// ~/.local/share/澄言). Created on first use; when no data location can be determined,
// `ok` is set to false and the system temporary folder is returned instead.
QString dataDir(bool* ok = nullptr);
// $XDG_CONFIG_HOME/澄言 (by default ~/.config/澄言), created on first use.
QString configDir();

// dataDir() + "/" + name.
QString dataFile(const QString& name, bool* ok = nullptr);
// dataFile(name), with an error logged to `logger` when the data folder cannot be had.
QString dataFile(const QString& name, const Logger& logger);

inline constexpr const char* kAppFolder = "澄言";

}  // namespace vocena::AppPaths
