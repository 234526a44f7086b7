#pragma once

#include <QString>

namespace vocena {

// The part of the top banner the shell's switches need: a short notice.
class BannerNotifier {
public:
    virtual ~BannerNotifier() = default;
    virtual void showNotification(const QString& text, double duration) = 0;
};

}  // namespace vocena
