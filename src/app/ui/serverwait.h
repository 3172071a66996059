#pragma once
// The windows' part in a wait for the shop server: they stay painted, their timers run, and the
// cursor shows the till busy once the wait is noticeable.

namespace marvono {

// Installs the hooks for the rest of the process; a second call changes nothing.
void installWindowServerWait();

} // namespace marvono
