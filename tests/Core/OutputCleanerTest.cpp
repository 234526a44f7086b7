#include "Core/OutputCleaner.h"

#include <gtest/gtest.h>

using vocena::removeMarkdownFormatting;

TEST(OutputCleaner, CleansWhatTheModelWrites) {
    const QList<std::pair<const char*, const char*>> cases{
        // Preambles and closings are found at the start (or end) of any line, not only of the text.
        {"好的，这是纠正后的文本。", "这是纠正后的文本。"},  // one phrase per line start
        {"处理结果如下：\n今天天气很好。", "今天天气很好。"},
        {"今天开会。\n好的，明天放假。", "今天开会。\n明天放假。"},
        {"今天开会。\n以上是整理后的内容。\n明天放假。", "今天开会。\n明天放假。"},
        // Fillers go and runs collapse.
        {"我们去酒吧吧", "我们去酒"},  // every 吧 goes, even inside words
        {"哈哈哈", ""},
        {"等一下...好——吧--行…", "等一下好行"},
        {"1000元", "10元"},
        {"a  \t b\u3000c", "a b c"},
        {"第一段\n\n\n\n\n第二段", "第一段\n\n第二段"},
        {" \n\t\u3000 ", ""},
        // Markup counts only at the start of the whole text; sequence words open new lines.
        {"- 苹果\n- 香蕉", "苹果\n- 香蕉"},
        {"1. 苹果", "苹果"},
        {"正文\n# 标题", "正文\n# 标题"},
        {"首先打开文件然后保存", "首先打开文件然后保存"},
        {"先打开，但是不要保存", "先打开，\n但是不要保存"},
        {"第一点很好第一也好", "第一点很好\n第一也好"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(removeMarkdownFormatting(QString::fromUtf8(input)), QString::fromUtf8(expected)) << input;
}
