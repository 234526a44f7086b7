#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QHash>

#include <cstdio>

namespace vocena::test {

namespace {

QHash<QString, ChildMain>& roles() {
    static QHash<QString, ChildMain> registered;
    return registered;
}

const QString kRoleFlag = QStringLiteral("--child-role");

}  // namespace

ChildRole::ChildRole(const char* name, ChildMain main) { roles().insert(QString::fromLatin1(name), main); }

std::optional<int> runChildRole(const QStringList& arguments) {
    if (arguments.size() < 3 || arguments.at(1) != kRoleFlag) return std::nullopt;
    const ChildMain main = roles().value(arguments.at(2));
    if (!main) {
        std::fprintf(stderr, "unknown child role %s\n", qPrintable(arguments.at(2)));
        return 2;
    }
    return main(arguments.mid(3));
}

std::unique_ptr<QProcess> startChild(const QString& role, const QStringList& args) {
    auto child = std::make_unique<QProcess>();
    child->setProgram(QCoreApplication::applicationFilePath());
    child->setArguments(QStringList{kRoleFlag, role} + args);
    child->start();
    return child;
}

bool finishedCleanly(QProcess& child) {
    const bool finished = child.waitForFinished(120000);
    const bool clean = finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!clean) std::fprintf(stderr, "child %s failed: %s\n", qPrintable(child.arguments().value(1)),
                             child.readAllStandardError().constData());
    return clean;
}

}  // namespace vocena::test
