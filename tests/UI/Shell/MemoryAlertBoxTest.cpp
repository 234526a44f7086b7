// The memory alert as a real message box under Xvfb: its texts, and each way of closing it.
#include "UI/Shell/MemoryAlertBox.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QKeyEvent>

using namespace vocena;

namespace {
void pressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}
}  // namespace

TEST(MemoryAlertBoxTest, EachWayOfClosingGivesOneAnswer) {
    using Choice = MemoryAlert::Choice;
    const struct {
        const char* name;
        std::function<void(QMessageBox&)> close;
        Choice expected;
    } cases[] = {
        {"退出", [](QMessageBox& box) { box.buttons().at(0)->click(); }, Choice::quit},
        {"继续运行", [](QMessageBox& box) { box.buttons().at(1)->click(); }, Choice::keepRunning},
        {"Escape", [](QMessageBox& box) { pressKey(box, Qt::Key_Escape); }, Choice::keepRunning},
        {"Return", [](QMessageBox& box) { pressKey(box, Qt::Key_Return); }, Choice::quit},
    };
    MemoryAlertBox alert;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Choice> answers;
        alert.show(QStringLiteral("内存使用过高"), QStringLiteral("澄言当前内存使用过高(612MB)，建议退出程序。\n\n强制退出：在终端运行 kill -9 7"),
                   [&answers](Choice choice) { answers.push_back(choice); });
        QMessageBox* box = alert.box();
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(test::waitUntil([box] { return box->isVisible(); }));
        EXPECT_EQ(box->text(), QStringLiteral("内存使用过高"));
        QStringList titles;
        for (QAbstractButton* button : box->buttons()) titles << button->text();
        EXPECT_EQ(titles, (QStringList{QStringLiteral("退出"), QStringLiteral("继续运行")}));

        c.close(*box);
        ASSERT_TRUE(test::waitUntil([&alert] { return alert.box() == nullptr; }));  // deleted on close
        EXPECT_EQ(answers, std::vector<Choice>{c.expected});
    }
}
