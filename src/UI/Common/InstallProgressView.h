#pragma once

#include "Infrastructure/Speech/Models/DownloadProgress.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace vocena {

// A thin progress bar over a caption that tells what a model install is doing: how much is
// downloaded, how fast and how long it still takes, then the unpacking and verification
// (the bar turns busy). Hidden while no install runs.
class InstallProgressView : public QWidget {
    Q_OBJECT
public:
    explicit InstallProgressView(QWidget* parent = nullptr);

    // Shows `progress`; hides the view for nothing.
    void setProgress(const DownloadProgress* progress);

private:
    QProgressBar* m_bar;
    QLabel* m_text;
};

}  // namespace vocena
