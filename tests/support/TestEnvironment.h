#pragma once

class QTemporaryDir;

namespace vocena::test {

// Points HOME, the XDG folders and XDG_RUNTIME_DIR into `home`, keeps Qt off the user's
// session bus, and shows only error log lines (VOCENA_LOG_LEVEL=info shows more).
void prepareEnvironment(const QTemporaryDir& home);

}  // namespace vocena::test
