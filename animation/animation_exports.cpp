#include "animation/animation_maker_impl.h"
#include "frame/reridu_exports.h"
#include "frame/window_messages.h"

bool __cdecl CreateAMObj(CKtAnimationMaker** out) {
    if (out == nullptr) return false;
    *out = CKtAnimationMakerImpl::Create(AnimationMessages());
    return *out != nullptr;
}

// Clears the caller's pointer as well, so that passing it again does no harm.
void __cdecl DeleteAMObj(CKtAnimationMaker** object) {
    if (object == nullptr || *object == nullptr) return;
    CKtAnimationMakerImpl::Destroy(static_cast<CKtAnimationMakerImpl*>(*object));
    *object = nullptr;
}
