#include "Infrastructure/Platform/CancelToken.h"

namespace vocena {

void CancelToken::cancel() {
    if (m_cancelled) return;
    m_cancelled = true;
    Q_EMIT cancelled();
}

}  // namespace vocena
