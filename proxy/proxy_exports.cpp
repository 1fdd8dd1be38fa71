#include "frame/reridu_exports.h"

// Not available yet: no object can be made, and out is left untouched.
bool __cdecl CreateProxyObj(IProxy**) { return false; }

void __cdecl DeleteProxyObj(IProxy*) {}
