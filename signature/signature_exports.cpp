#include "frame/reridu_exports.h"

// Not available yet: no file is read.
int __cdecl ReRidu_VerifySignature(const wchar_t*, const wchar_t*) { return 0; }
