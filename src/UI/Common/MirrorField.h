#pragma once

#include <QWidget>

class QLabel;

namespace vocena {

class Preferences;
class PreferenceTextField;

// The line "下载镜像 [地址]" of the speech-model card and the permission guide, bound to the
// preference ModelCatalog::kMirrorKey: the built-in models download from the mirror written
// here (ModelCatalog::mirrored), from GitHub while it is blank. Its tool tip says how an
// address maps onto the mirror.
class MirrorField : public QWidget {
    Q_OBJECT
public:
    static const QString kTitle;  // "下载镜像", as the advice after a failed download names it

    explicit MirrorField(Preferences& preferences, QWidget* parent = nullptr);

    QLabel* title() const { return m_title; }
    PreferenceTextField* field() const { return m_field; }

private:
    QLabel* m_title;
    PreferenceTextField* m_field;
};

}  // namespace vocena
