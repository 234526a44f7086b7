#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <optional>

namespace vocena {

// The preferences the app knows, with their types and defaults. The command line uses it to
// refuse unknown keys and values of the wrong type.
struct PreferenceDefinition {
    enum class Type { Boolean, Integer, Floating, String };
    QString key;
    Type type;
    QJsonValue defaultValue;
    QString summary;

    // Whether `value` is of this preference's type (an integer must have no fraction).
    bool accepts(const QJsonValue& value) const;
    QString typeName() const;
};

namespace PreferenceCatalog {

const QList<PreferenceDefinition>& all();
std::optional<PreferenceDefinition> find(const QString& key);

// Reads a command-line value as a JSON literal (true, 3, 2.5, "text") when it is one, else as
// plain text. For a string preference every value that is not a JSON string is kept as text.
QJsonValue parseValue(const QString& text, const PreferenceDefinition& definition);

}  // namespace PreferenceCatalog
}  // namespace vocena
