#include "shell_registration/change_notification.h"

#include <windows.h>
#include <shlobj.h>

namespace shell_registration {

void NotifyAssociationsChanged(Flush flush) {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    if (flush == Flush::Yes) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
}

}  // namespace shell_registration
