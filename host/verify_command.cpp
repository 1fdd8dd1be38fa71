#include "host/command.h"

int RunVerify(ReriduLibrary&, const Arguments&) { return NotAvailable(L"verify"); }
