#include "app/running_mark.h"

namespace tessaly {

void Mark_Program_Running() {}

}  // namespace tessaly
