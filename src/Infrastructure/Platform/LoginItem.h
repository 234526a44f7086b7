#pragma once

#include <QString>

namespace vocena {

// Start at login through XDG autostart: registering writes a desktop entry that starts the
// running binary (no arguments: the tray app), marked as this app's own with
// "X-Vocena-Autostart=true"; unregistering removes only such an entry (or one an earlier
// version wrote, byte for byte): an entry of the same name the user wrote stays. Both log their
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
    static constexpr const char* kOwnMark = "X-Vocena-Autostart=true";
    // One Exec argument, quoted and escaped as desktop entries require when it needs to be.
    static QString execArgument(const QString& argument);

private:
    QString writeEntry();
    QString removeEntry();
    // The entry at the path was written by this app (marked, or as an earlier version wrote it).
    bool entryIsOwn() const;
    // Something of that name is there that this app did not write.
    bool foreignEntryPresent() const;

    QString m_entryPath;
    QString m_executablePath;
};

}  // namespace vocena
