#pragma once

#include "UI/MenuBar/StatusMenuState.h"

#include <QObject>

#include <memory>

class QAction;
class QMenu;

namespace vocena {

// The tray icon's menu: recording, work mode, AI mode, clearing the conversation, the
// settings, the permission guide, about and quit. Items that change are found again by their tag (the
// action's data). Choosing an item only emits its request; the app shell acts on it.
class StatusMenu final : public QObject {
    Q_OBJECT
public:
    enum Tag { recordingTag = 100, aiModeTag = 200, workModeTag = 300, clearContextTag = 500 };

    explicit StatusMenu(QObject* parent = nullptr);
    ~StatusMenu() override;

    QMenu* menu() const { return m_menu.get(); }
    // The item with this tag, or null.
    QAction* action(int tag) const;

    // Titles and enabled states follow `state`.
    void apply(const StatusMenuState& state);
    const StatusMenuState& state() const { return m_state; }

    // Draws the items' symbols in the text colours of the application's palette.
    void refreshSymbols();

    static QString recordingTitle(bool recording);
    static QString workModeTitle(qint64 workMode);
    // The title built at start differs from the one after the first change for smart processing on.
    static QString aiModeTitle(qint64 aiMode, bool changedSinceStart);

Q_SIGNALS:
    void toggleRecordingRequested();
    void cycleWorkModeRequested();
    void cycleAIModeRequested();
    void clearContextRequested();
    void settingsRequested();
    void permissionGuideRequested();
    void aboutRequested();
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();

    std::unique_ptr<QMenu> m_menu;
    StatusMenuState m_state;
    bool m_aiModeChanged = false;
};

}  // namespace vocena
