#include "tests/animation/exported_maker.h"

#include <gtest/gtest.h>

#include "tests/support/library_exports.h"

CreateMakerFunction* CreateAMObjExport() {
    static CreateMakerFunction* const function = Export<CreateMakerFunction>("CreateAMObj");
    return function;
}

DeleteMakerFunction* DeleteAMObjExport() {
    static DeleteMakerFunction* const function = Export<DeleteMakerFunction>("DeleteAMObj");
    return function;
}

ExportedMaker::ExportedMaker() {
    if (CreateAMObjExport() == nullptr || DeleteAMObjExport() == nullptr) {
        ADD_FAILURE() << "ReRidu.dll or its exports are missing";
        return;
    }
    MakerObject* object = nullptr;
    EXPECT_TRUE(CreateAMObjExport()(&object));
    object_.reset(object);
    EXPECT_NE(object, nullptr);
}
