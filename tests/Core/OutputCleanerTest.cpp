#include "Core/OutputCleaner.h"

#include <gtest/gtest.h>

using vocena::removeMarkdownFormatting;

namespace {
QString clean(const char* text) { return removeMarkdownFormatting(QString::fromUtf8(text)); }
}  // namespace

TEST(OutputCleaner, DropsPreamblesClosingsAndFillers) {
    EXPECT_EQ(clean("好的，这是纠正后的文本。"), QStringLiteral("这是纠正后的文本。"));  // one phrase per line start
    EXPECT_EQ(clean("以上就是全部内容。"), QString());
    EXPECT_EQ(clean("处理结果如下：\n今天天气很好。"), QStringLiteral("今天天气很好。"));
    EXPECT_EQ(clean("今天开会。\n以上是整理后的内容。"), QStringLiteral("今天开会。"));
    EXPECT_EQ(clean("我们去酒吧吧"), QStringLiteral("我们去酒"));  // every 吧 goes, even inside words
    EXPECT_EQ(clean("哈哈哈"), QString());
    EXPECT_EQ(clean("等一下...好——吧--行…"), QStringLiteral("等一下好行"));
}

TEST(OutputCleaner, CollapsesRunsAndWhiteSpace) {
    EXPECT_EQ(clean("1000元"), QStringLiteral("10元"));
    EXPECT_EQ(clean("a  \t b\u3000c"), QStringLiteral("a b c"));
    EXPECT_EQ(clean("第一段\n\n\n\n\n第二段"), QStringLiteral("第一段\n\n第二段"));
    EXPECT_EQ(clean(" \n\t\u3000 "), QString());
}

TEST(OutputCleaner, MarkupOnlyAtTheStartOfTheWholeText) {
    EXPECT_EQ(clean("- 苹果\n- 香蕉"), QStringLiteral("苹果\n- 香蕉"));
    EXPECT_EQ(clean("1. 苹果"), QStringLiteral("苹果"));
    EXPECT_EQ(clean("2) 香蕉"), QStringLiteral("香蕉"));
    EXPECT_EQ(clean("# 标题"), QString());
    EXPECT_EQ(clean("正文\n# 标题"), QStringLiteral("正文\n# 标题"));
}

TEST(OutputCleaner, SequenceWordsStartNewLines) {
    EXPECT_EQ(clean("首先打开文件然后保存"), QStringLiteral("首先打开文件然后保存"));
    EXPECT_EQ(clean("先打开，但是不要保存"), QStringLiteral("先打开，\n但是不要保存"));
    EXPECT_EQ(clean("第一点很好第一也好"), QStringLiteral("第一点很好\n第一也好"));
}
