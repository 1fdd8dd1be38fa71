#include "tests/animation/exported_maker.h"

#include <gtest/gtest.h>

#include "host/library.h"

namespace {

ReriduLibrary& Library() {
    static ReriduLibrary library;
    return library;
}

}  // namespace

CreateMakerFunction* CreateAMObjExport() {
    static CreateMakerFunction* const function = Library().Get<CreateMakerFunction>("CreateAMObj");
    return function;
}

DeleteMakerFunction* DeleteAMObjExport() {
    static DeleteMakerFunction* const function = Library().Get<DeleteMakerFunction>("DeleteAMObj");
    return function;
}

ExportedMaker::ExportedMaker() {
    if (CreateAMObjExport() == nullptr || DeleteAMObjExport() == nullptr) {
        ADD_FAILURE() << "ReRidu.dll or its exports are missing";
        return;
    }
    EXPECT_TRUE(CreateAMObjExport()(&object_));
    EXPECT_NE(object_, nullptr);
}
