#pragma once

#include <QString>

namespace vocena {

// Start at login through XDG autostart: registering writes a desktop entry that starts the
// running binary (no arguments: the tray app), unregistering removes it. Both log their
// outcome under "AppDelegate" and return the reason of a failure (empty on success), which
// the settings window shows; the stored preference is never changed here.
class LoginItem {
public:
    // $XDG_CONFIG_HOME/autostart/vocena.desktop and this process's executable.
    LoginItem();
    LoginItem(QString entryPath, QString executablePath);

    static QString defaultEntryPath();

    const QString& entryPath() const { return m_entryPath; }
    bool isRegistered() const;

    QString registerItem();
    // Nothing registered counts as done: the entry is already gone.
    QString unregisterItem();
    // Registers when `enabled`, else unregisters (the launch-time reconciliation).
    QString update(bool enabled);

    // The desktop entry that starts `executable`.
    static QByteArray desktopEntry(const QString& executable);
    // One Exec argument, quoted and escaped as desktop entries require when it needs to be.
    static QString execArgument(const QString& argument);

private:
    QString writeEntry();
    QString removeEntry();

    QString m_entryPath;
    QString m_executablePath;
};

}  // namespace vocena
