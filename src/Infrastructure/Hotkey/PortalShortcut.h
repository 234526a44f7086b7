#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace vocena {

// One shortcut as the GlobalShortcuts portal exchanges it (D-Bus `(sa{sv})`): its id and its
// properties ("description", "preferred_trigger"; in replies also "trigger_description").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

inline QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// Registers PortalShortcut and its list with Qt D-Bus (once; any thread).
void registerPortalShortcutTypes();

}  // namespace vocena

Q_DECLARE_METATYPE(vocena::PortalShortcut)
