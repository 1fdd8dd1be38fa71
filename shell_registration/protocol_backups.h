#pragma once

namespace shell_registration {

// Gives the http and https classes back the contents saved in four hive
// files beside the program's executable, deleting each file it restored
// from. False, with nothing changed, when there is no backup or the
// restore privilege cannot be had.
[[nodiscard]] bool RestoreProtocolBackups();

}  // namespace shell_registration
