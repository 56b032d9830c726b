#pragma once

namespace tavolin {

// Binds every handler of the site and the export to its control, as both executables do.
void bindHandlers();

}  // namespace tavolin
