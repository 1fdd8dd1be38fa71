#include "host/command.h"

int RunProxy(ReriduLibrary&, const Arguments&) { return NotAvailable(L"proxy"); }
