#pragma once
// The registry layouts of the two platform generations. Each ends with the
// association-changed notification.

#include "shell_registration/platform_generation.h"
#include "shell_registration/text_template.h"

namespace shell_registration {

// Bits of the classic layout's mode flags.
constexpr unsigned kOwnClassOnly = 0x4;          // leave the system's classes alone; with it:
constexpr unsigned kExistingHttpCommand = 0x2;   //   write http's open command only where it exists
constexpr unsigned kHttpFromBackups = 0x1;       //   give http and https back their saved keys first

void WriteDefaultProgramsLayout(const Fields& fields, bool registerClsid);
void WriteClassicLayout(const Fields& fields, bool registerClsid, unsigned modeFlags);

// Hands the default-browser role back to the system browser in the form of
// the generation (which must be Classic or DefaultPrograms).
void RestoreSystemBrowser(Generation generation, bool registerClsid);

}  // namespace shell_registration
