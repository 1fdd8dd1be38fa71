#include "host/command.h"

int RunRegex(ReriduLibrary&, const Arguments&) { return NotAvailable(L"regex"); }
