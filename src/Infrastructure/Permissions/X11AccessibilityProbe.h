#pragma once

#include <QString>

namespace vocena {

// The "accessibility" permission on X11: the display named by DISPLAY opens, offers the XTest
// extension (synthetic key events) and answers the input-focus query. Uses a connection of its
// own, so it works without a GUI application.
class X11AccessibilityProbe {
public:
    struct Result {
        bool trusted = false;        // the display opens and offers XTest
        bool focusQueryWorks = false;
        QString detail;              // the reason when something is missing
    };
    static Result check();
};

}  // namespace vocena
