#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vocena::test {

// A test that needs a second process runs this test binary again as a child in a "role":
// a function registered under a name that the child runs instead of the tests.
//
//     VOCENA_CHILD_ROLE(addWords) { ...; return 0; }   // args: the arguments after the name
//     auto child = startChild("addWords", {path});
using ChildMain = int (*)(const QStringList& args);

struct ChildRole {
    ChildRole(const char* name, ChildMain main);
};

#define VOCENA_CHILD_ROLE(name)                                                              \
    static int name##ChildMain(const QStringList& args);                                     \
    static const ::vocena::test::ChildRole name##ChildRole(#name, &name##ChildMain);         \
    static int name##ChildMain([[maybe_unused]] const QStringList& args)

// Called by main(): when the arguments are "--child-role NAME ARGS...", runs that role and
// returns its exit code.
std::optional<int> runChildRole(const QStringList& arguments);

// Starts this binary in the role, with the environment of this process; started, not waited for.
std::unique_ptr<QProcess> startChild(const QString& role, const QStringList& args);

// Waits (bounded, 120 s) for the child to end and tells whether it exited with 0; its
// standard error is printed on failure.
bool finishedCleanly(QProcess& child);

}  // namespace vocena::test
