#pragma once
// The library's whole exported interface: fifteen plain C functions, caller
// pops the arguments on i686. ReRidu.def lists the same names; the shims that
// define them live beside the subsystem each one serves.

class IRegexResultAllocator;
class CKtAnimationMaker;
class IProxy;

extern "C" {

int __cdecl Base64_GetEncodeSize(unsigned n);
int __cdecl Base64_GetDecodeSize(unsigned n);
int __cdecl Base64_Encode(const unsigned char* src, unsigned srclen, unsigned char* dst, unsigned dstlen);
int __cdecl Base64_Decode(const char* src, unsigned srclen, unsigned char* dst, unsigned dstlen);

bool __cdecl RegexMatch(const char* text, int textLength, const char* pattern, int patternLength,
                        IRegexResultAllocator* allocator, unsigned flags);
int __cdecl RegexSubstitute(const char* text, int textLength, const char* pattern, int patternLength,
                            const char* replacement, int replacementLength, char* outBuffer,
                            unsigned* outLength, unsigned flags);

bool __cdecl CreateAMObj(CKtAnimationMaker** out);
void __cdecl DeleteAMObj(CKtAnimationMaker** object);

int __cdecl ReRidu_IsDefaultBrowser(const wchar_t* clientName, const wchar_t* exePath, const wchar_t* progId,
                                    bool checkClsid);
int __cdecl ReRidu_SetDefaultBrowser(int set, const wchar_t* exePath, const wchar_t* clientName,
                                     const wchar_t* displayName, const wchar_t* iconPath, int documentIconIndex,
                                     int appIconIndex, const wchar_t* progId, bool registerClsid,
                                     unsigned modeFlags);
int __cdecl ReRidu_RemoveDefaultBrowser(const wchar_t* exePath, const wchar_t* clientName, const wchar_t* progId,
                                        bool registerClsid);
int __cdecl ReRidu_SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                                    const wchar_t* iconPath, int iconIndex, const wchar_t* description);

int __cdecl ReRidu_VerifySignature(const wchar_t* filePath, const wchar_t* signerName);

bool __cdecl CreateProxyObj(IProxy** out);
void __cdecl DeleteProxyObj(IProxy* object);

}  // extern "C"
