#include "Core/OutputCleaner.h"

#include "Support/Regex.h"
#include "Support/TextUtils.h"

#include <QStringList>
#include <vector>

namespace vocena {

namespace {

struct Rewrite {
    Regex pattern;
    QString replacement;
    QString apply(const QString& text) const { return pattern.replaceAll(text, replacement); }
};

// The rewrites in the order they run. "Line" rewrites let ^ and $ match at every line;
// the others see ^ and $ only at the ends of the whole text.
struct Rewrites {
    std::vector<Rewrite> preambles;   // line-anchored, deleted
    std::vector<Rewrite> tidying;     // fillers, dot and dash runs, repeated characters
    Regex whitespaceRun{QStringLiteral("\\s+")};
    std::vector<Rewrite> leadingMarkup;  // bullets, numbers, a lone heading
    Rewrite sequenceWords;
    Rewrite blankLines;

    Rewrites()
        : sequenceWords{Regex(QStringLiteral(
                            "(第一点|第二点|第三点|第四点|第五点|第一|第二|第三|第四|第五|第六|第七|第八|第九|第十|"
                            "一、|二、|三、|四、|五、|六、|七、|八、|九、|十、|其一|其二|其三|其四|其五|其六|其七|其八|其九|其十|"
                            "首先|其次|最后|另外|但是|不过|然而|因为|所以|而且)")),
                        QStringLiteral("\n$1")},
          blankLines{Regex(QStringLiteral("\n{3,}")), QStringLiteral("\n\n")} {
        const auto line = [this](const char16_t* pattern) {
            preambles.push_back({Regex(QString::fromUtf16(pattern), Regex::AnchorsMatchLines), QString()});
        };
        line(u"^(好的|明白了|收到|了解|根据您|根据你|以下是|这是|我来|这段文字|这段语音|这段内容|这个语音|这个内容|根据上下文|根据以上|综上所述)[，,。．:：]?\\s*");
        line(u"^[^\\n]{0,30}(如下|如下所示|以下|如下文)[：:][^\\n]*\\n?");
        line(u"^(以下是|这是)[^\\n]{0,30}(处理|整理|修正|优化|转录|识别)[^\\n]{0,10}[：:]\\s*");
        line(u"\\n?(以上是根据|以上是|以上就是|综上所述|以上为)[^\\n]{0,50}[。.]?\\s*$");

        const auto plain = [](std::vector<Rewrite>& list, const char16_t* pattern, const QString& replacement) {
            list.push_back({Regex(QString::fromUtf16(pattern)), replacement});
        };
        plain(tidying, u"\\s*(嗯|啊|哦|呃|嘛|啦|吧|呢|哈|对了|话说回来|什么的|对吧|就是那个|那个什么)\\s*", {});
        plain(tidying, u"\\.{3,}", {});
        plain(tidying, u"…{1,}", {});
        plain(tidying, u"——+", {});
        plain(tidying, u"--+", {});
        plain(tidying, u"(.)\\1{2,}", QStringLiteral("$1"));

        plain(leadingMarkup, u"^\\s*[-*]\\s+", QStringLiteral("\n"));
        plain(leadingMarkup, u"^\\s*\\d+\\.\\s+", QStringLiteral("\n"));
        plain(leadingMarkup, u"^\\s*\\d+\\)\\s*", QStringLiteral("\n"));
        plain(leadingMarkup, u"^#+\\s*.*$", {});
    }
};

const Rewrites& rewrites() {
    static const Rewrites compiled;
    return compiled;
}

template <typename Transform>
QString mapLines(const QString& text, Transform transform) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) line = transform(line);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString removeMarkdownFormatting(const QString& input) {
    const Rewrites& r = rewrites();
    QString text = input;
    for (const Rewrite& rewrite : r.preambles) text = rewrite.apply(text);
    for (const Rewrite& rewrite : r.tidying) text = rewrite.apply(text);
    text = mapLines(text, [&r](const QString& line) { return r.whitespaceRun.replaceAll(line, QStringLiteral(" ")); });
    for (const Rewrite& rewrite : r.leadingMarkup) text = rewrite.apply(text);
    text = r.sequenceWords.apply(text);
    text = r.blankLines.apply(text);
    text = mapLines(text, [](const QString& line) { return TextUtils::trimmedSpacesAndTabs(line); });
    while (text.startsWith(QLatin1Char('\n'))) text.remove(0, 1);
    return TextUtils::trimmed(text);
}

}  // namespace vocena
