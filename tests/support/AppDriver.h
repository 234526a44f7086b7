#pragma once

#include "support/CliRunner.h"
#include "support/SpeechTestAssets.h"

#include <gtest/gtest.h>

#include <QString>

namespace vocena::test {

// Drives the vocena binary from outside, as its user would.

// Installs the generated "good" test model into `home` with the binary's own command.
inline void installTestModel(const QString& binary, const QString& home) {
    const SpeechTestAssets& assets = SpeechTestAssets::shared();
    ASSERT_TRUE(assets.error.isEmpty()) << assets.error.toStdString();
    const QStringList install{QStringLiteral("model"), QStringLiteral("install"), assets.model(QStringLiteral("good"))};
    const ProcessResult installed = runVocena(binary, home, install);
    ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
}

// Double-taps the left Alt key on the X display (the dictation gesture).
inline void doubleTapAlt() {
    xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L"));
}

}  // namespace vocena::test
