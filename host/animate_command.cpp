#include "host/command.h"

int RunAnimate(ReriduLibrary&, const Arguments&) { return NotAvailable(L"animate"); }
