#include "host/command.h"

int RunBrowser(ReriduLibrary&, const Arguments&) { return NotAvailable(L"browser"); }
