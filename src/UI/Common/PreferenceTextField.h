#pragma once

#include <QLineEdit>
#include <memory>

namespace vocena {

class Preferences;

// A text field bound to a string preference that has a default. It shows the stored value,
// or the default when none is stored, and writes every edit at once: the text without
// surrounding white space, or, for a blank field, removes the value so that the default
// applies again. A change made elsewhere (another window, `vocena config set`) shows up in
// the field unless it is the field's own text.
class PreferenceTextField : public QLineEdit {
    Q_OBJECT
public:
    PreferenceTextField(Preferences& preferences, QString key, QString defaultValue, QWidget* parent = nullptr);

    // What the app uses: the trimmed text, or the default for a blank field.
    QString effectiveValue() const;

private:
    void store();
    void follow();
    QString storedText() const;  // trimmed, empty when absent

    Preferences& m_preferences;
    const QString m_key;
    const QString m_default;
    std::shared_ptr<void> m_observation;
};

}  // namespace vocena
