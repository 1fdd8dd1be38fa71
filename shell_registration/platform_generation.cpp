#include "shell_registration/platform_generation.h"

#include <windows.h>

namespace shell_registration {

Generation ReportedGeneration() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return Generation::Other;
    switch (version.dwMajorVersion) {
        case 5:
            return Generation::Classic;
        case 6:
            return Generation::DefaultPrograms;
        default:
            return Generation::Other;
    }
}

}  // namespace shell_registration
