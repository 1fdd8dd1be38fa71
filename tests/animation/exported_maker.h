#pragma once
// The animation object called the way the browser calls it: made and freed
// through the exports of the loaded ReRidu.dll, its operations reached
// through a plain table of thiscall function pointers in MSVC's layout.

#include <windows.h>

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

// One object from CreateAMObj, given back to DeleteAMObj at the latest when
// this goes out of scope.
class ExportedMaker {
public:
    ExportedMaker();
    ~ExportedMaker() { Delete(); }
    ExportedMaker(const ExportedMaker&) = delete;
    ExportedMaker& operator=(const ExportedMaker&) = delete;

    MakerObject* object() const { return object_; }

    bool AddAnimation(HWND window, int startX, int startY, int endX, int endY, unsigned durationMs) {
        return object_->table->addAnimation(object_, window, startX, startY, endX, endY, durationMs);
    }
    bool StartAnimation(HWND window) { return object_->table->startAnimation(object_, window); }
    void Initialize(unsigned framesPerSecond, bool moveSelf) {
        object_->table->initialize(object_, framesPerSecond, moveSelf);
    }
    void Delete() {
        if (object_ != nullptr) DeleteAMObjExport()(&object_);
        object_ = nullptr;
    }

private:
    MakerObject* object_ = nullptr;
};
