#include "UI/Common/PreferenceTextField.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"

#include <QPointer>

namespace vocena {

namespace {
const Logger logger("SettingsView");
}  // namespace

PreferenceTextField::PreferenceTextField(Preferences& preferences, QString key, QString defaultValue, QWidget* parent)
    : QLineEdit(parent), m_preferences(preferences), m_key(std::move(key)), m_default(std::move(defaultValue)) {
    const QString stored = storedText();
    setText(stored.isEmpty() ? m_default : stored);
    setCursorPosition(0);
    connect(this, &QLineEdit::textEdited, this, &PreferenceTextField::store);
    QPointer self{this};
    m_observation = m_preferences.observe([self] {
        if (self) self->follow();
    });
}

QString PreferenceTextField::effectiveValue() const {
    const QString value = text().trimmed();
    return value.isEmpty() ? m_default : value;
}

QString PreferenceTextField::storedText() const { return m_preferences.stringValue(m_key).value_or(QString()).trimmed(); }

void PreferenceTextField::store() {
    const QString value = text().trimmed();
    if (value.isEmpty() ? !m_preferences.contains(m_key) : m_preferences.value(m_key) == QJsonValue(value)) return;
    const QString failure = value.isEmpty() ? m_preferences.remove(m_key) : m_preferences.setValue(m_key, value);
    if (!failure.isEmpty()) logger.error(QStringLiteral("设置保存失败: %1 (%2)").arg(m_key, failure));
}

void PreferenceTextField::follow() {
    const QString stored = storedText();
    if (stored == text().trimmed()) return;  // our own write, or nothing that shows
    const QString shown = stored.isEmpty() ? m_default : stored;
    if (shown != text()) setText(shown);
}

}  // namespace vocena
