#pragma once

#include "Infrastructure/Platform/AppInstance.h"

#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace vocena {

// org.freedesktop.Application as the running app exports it: Activate and ActivateAction
// reach the app's actions; Open is not supported (the app opens no files). The caller gets its
// reply before the action runs, so an action that quits the app still answers.
class ApplicationInterface : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationInterface(AppActions actions) : m_actions(std::move(actions)) {}

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);

private:
    // Runs `action` after the reply, or answers NotSupported when the app gave none.
    void dispatch(const QString& name, const std::function<void()>& action);

    AppActions m_actions;
};

}  // namespace vocena
