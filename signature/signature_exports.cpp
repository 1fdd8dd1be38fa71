#include <new>

#include "frame/reridu_exports.h"
#include "signature/publisher_check.h"

int __cdecl ReRidu_VerifySignature(const wchar_t* filePath, const wchar_t* signerName) {
    try {
        return static_cast<int>(signature::CheckPublisher(filePath, signerName));
    } catch (const std::bad_alloc&) {
        // A signature that does not fit in memory cannot be read.
        return static_cast<int>(signature::Verdict::kNoReadableSignature);
    }
}
