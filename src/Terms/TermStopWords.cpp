#include "Terms/TermStopWords.h"

#include <QSet>

namespace vocena::TermStopWords {

namespace {

using namespace Qt::StringLiterals;

const QSet<QString>& words() {
    static const QSet<QString> set{
        u"的"_s, u"了"_s, u"是"_s, u"我"_s, u"你"_s, u"他"_s, u"她"_s, u"它"_s, u"们"_s, u"在"_s, u"有"_s, u"和"_s, u"就"_s,
        u"不"_s, u"人"_s, u"都"_s, u"一"_s, u"个"_s, u"上"_s, u"也"_s, u"很"_s, u"到"_s, u"说"_s, u"要"_s, u"去"_s, u"会"_s,
        u"着"_s, u"没有"_s, u"看"_s, u"好"_s, u"自己"_s, u"这"_s, u"那"_s, u"什么"_s, u"怎么"_s, u"可以"_s, u"这个"_s, u"那个"_s,
        u"如果"_s, u"但是"_s, u"因为"_s, u"所以"_s, u"然后"_s, u"而且"_s, u"虽然"_s, u"不过"_s, u"已经"_s, u"还是"_s, u"知道"_s,
        u"觉得"_s, u"应该"_s, u"可能"_s, u"需要"_s, u"现在"_s, u"今天"_s, u"昨天"_s, u"明天"_s, u"之后"_s, u"之前"_s, u"时候"_s,
        u"地方"_s, u"东西"_s, u"事情"_s, u"问题"_s, u"工作"_s, u"公司"_s, u"我们"_s, u"他们"_s, u"你们"_s, u"大家"_s, u"为什么"_s,
        u"怎么样"_s, u"那么"_s, u"这么"_s, u"这里"_s, u"那里"_s, u"出来"_s, u"起来"_s, u"过来"_s, u"过去"_s, u"下来"_s, u"上去"_s,
        u"进来"_s, u"进去"_s, u"就是"_s, u"不是"_s, u"一下"_s, u"一点"_s, u"有些"_s, u"很多"_s, u"一样"_s, u"这种"_s, u"那种"_s,
        u"各种"_s, u"没办法"_s, u"的话"_s, u"的时候"_s, u"就是说"_s, u"对不对"_s
    };
    return set;
}

}  // namespace

bool contains(const QString& term) { return words().contains(term); }

}  // namespace vocena::TermStopWords
