#pragma once

#include "Vocabulary/VocabularyItem.h"

#include <QList>
#include <QUuid>

namespace vocena::test {

// `count` distinct items: words "Term<i>" and "术语<i>" alternating, every third with a category
// (人名, 公司名, 专业术语 in turn), every fourth with two variants.
inline QList<VocabularyItem> generatedVocabulary(int count) {
    static const QString categories[] = {QStringLiteral("人名"), QStringLiteral("公司名"), QStringLiteral("专业术语")};
    QList<VocabularyItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        VocabularyItem item;
        item.id = QUuid::createUuid();
        item.word = (i % 2 == 0 ? QStringLiteral("Term%1") : QStringLiteral("术语%1")).arg(i);
        if (i % 3 == 0) item.category = categories[(i / 3) % 3];
        if (i % 4 == 0) item.variants = QStringList{QStringLiteral("term %1").arg(i), QStringLiteral("特姆%1").arg(i)};
        item.createdAt = 760000000 + i;
        items << item;
    }
    return items;
}

// Items as "word|category|variant;variant", with "-" for an absent category or variant list.
inline QStringList described(const QList<VocabularyItem>& items) {
    QStringList lines;
    for (const VocabularyItem& item : items)
        lines << item.word + u'|' + item.category.value_or(QStringLiteral("-")) + u'|' +
                     (item.variants ? item.variants->join(u';') : QStringLiteral("-"));
    return lines;
}

}  // namespace vocena::test
