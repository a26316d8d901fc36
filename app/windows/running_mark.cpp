#include <windows.h>

#include "app/running_mark.h"

namespace tessaly {

void Mark_Program_Running() {
    // Never closed: Windows drops the mark when the process ends, however it
    // ends. A failure leaves the installer the locked-file test.
    static const HANDLE mark = CreateMutexW(nullptr, FALSE, L"Local\\TessalyRunning");
    (void)mark;
}

}  // namespace tessaly
