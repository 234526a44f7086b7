#pragma once

#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace vocena {

// One word of the user's vocabulary. `createdAt` stays the raw number of the file (seconds
// since 2001-01-01T00:00:00Z, see ReferenceDate) so that loading and saving never changes it.
struct VocabularyItem {
    QUuid id;
    QString word;                          // the correct form, stored trimmed
    std::optional<QStringList> variants;   // known wrong recognitions; absent when not given
    std::optional<QString> category;       // free text such as 人名 or 公司名
    double createdAt = 0;

    // The item as one line of the correction prompt, without the leading "- ":
    // "VureVIZ (公司名)，可能误识别为：zOVO、vure viz".
    QString describe() const {
        QString text = word;
        if (category) text += QStringLiteral(" (") + *category + QLatin1Char(')');
        if (variants && !variants->isEmpty()) text += QStringLiteral("，可能误识别为：") + variants->join(u'、');
        return text;
    }

    bool operator==(const VocabularyItem&) const = default;
};

}  // namespace vocena
