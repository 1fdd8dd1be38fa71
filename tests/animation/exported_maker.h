#pragma once
// The animation object called the way the browser calls it: made and freed
// through the exports of the loaded ReRidu.dll, its operations reached
// through a plain table of thiscall function pointers in MSVC's layout.

#include <windows.h>

#include "frame/unique_object.h"

struct MakerObject;

#pragma GCC diagnostic push
// GCC honours thiscall on a plain function pointer (this in ECX, the callee
// pops) and only warns that the target is no member function.
#pragma GCC diagnostic ignored "-Wattributes"
struct MakerTable {
    bool(__thiscall* addAnimation)(MakerObject* self, HWND window, int startX, int startY, int endX, int endY,
                                   unsigned durationMs);
    bool(__thiscall* startAnimation)(MakerObject* self, HWND window);
    void(__thiscall* initialize)(MakerObject* self, unsigned framesPerSecond, bool moveSelf);
    bool(__thiscall* reserved)(MakerObject* self, int, int, int, int, int, int, int);
};
#pragma GCC diagnostic pop

struct MakerObject {
    const MakerTable* table;
};

using CreateMakerFunction = bool __cdecl(MakerObject** out);
using DeleteMakerFunction = void __cdecl(MakerObject** object);

// The two exports of the library, loaded once for the whole program.
CreateMakerFunction* CreateAMObjExport();
DeleteMakerFunction* DeleteAMObjExport();

struct MakerTraits {
    using Value = MakerObject*;
    static Value Invalid() { return nullptr; }
    static void Close(Value object) { DeleteAMObjExport()(&object); }
};

// One object from CreateAMObj, given back to DeleteAMObj at the latest when
// this goes out of scope.
class ExportedMaker {
public:
    ExportedMaker();

    MakerObject* object() const { return object_.get(); }

    bool AddAnimation(HWND window, int startX, int startY, int endX, int endY, unsigned durationMs) {
        return object()->table->addAnimation(object(), window, startX, startY, endX, endY, durationMs);
    }
    bool StartAnimation(HWND window) { return object()->table->startAnimation(object(), window); }
    void Initialize(unsigned framesPerSecond, bool moveSelf) {
        object()->table->initialize(object(), framesPerSecond, moveSelf);
    }
    void Delete() { object_.reset(); }

private:
    UniqueObject<MakerTraits> object_;
};
