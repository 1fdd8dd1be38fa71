#pragma once

namespace shell_registration {

enum class Flush { No, Yes };

// Tells the shell that file and protocol associations changed; with
// Flush::Yes a second notification asks it to deliver pending ones at once.
void NotifyAssociationsChanged(Flush flush);

}  // namespace shell_registration
