#include "app/bind_handlers.h"

namespace tavolin {

void bindHandlers() {
    // Handlers of the timetable site: bound here once site/ has them.
    // Handler of the export: bound here once export/ has it.
}

}  // namespace tavolin
