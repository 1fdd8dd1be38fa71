#include "frame/reridu_exports.h"

// Not available yet: no object can be made.
bool __cdecl CreateAMObj(CKtAnimationMaker** out) {
    if (out != nullptr) *out = nullptr;
    return false;
}

void __cdecl DeleteAMObj(CKtAnimationMaker**) {}
