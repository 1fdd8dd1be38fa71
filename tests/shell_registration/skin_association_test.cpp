// The skin file association, the same on every platform generation.
#include "tests/shell_registration/harness.h"

namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

const wchar_t kSkinIcons[] = L"C:\\Program Files\\Quorvel\\skin.ico";

class SkinFileAssociation : public RegistryTest {};

TEST_F(SkinFileAssociation, WritesTheExtensionAndTheClassAndNotifiesOnce) {
    // Only the four values are written, over an existing association, and
    // the rest of the class stays. Both the path and %1 are quoted in the
    // command; no flushing second notification.
    SetString(HKEY_CLASSES_ROOT, L".qsk", L"", L"Other.Skin");
    SetString(HKEY_CLASSES_ROOT, L".qsk", L"Content Type", L"application/x-quorvel-skin");
    SetString(HKEY_CLASSES_ROOT, L"Quorvel.Skin", L"FriendlyTypeName", L"Skin");
    SetString(HKEY_CLASSES_ROOT, L"Quorvel.Skin\\Shell\\Open\\Command", L"", L"old.exe %1");
    AssociationChanges changes;
    EXPECT_EQ(SetSkinFileAssoc(L".qsk", kExe.c_str(), L"Quorvel.Skin", kSkinIcons, 3, L"Quorvel skin package"), 1);
    EXPECT_THAT(Dump(), UnorderedElementsAre(
                            Sz(L"HKCR\\.qsk", L"", L"Quorvel.Skin"),
                            Sz(L"HKCR\\.qsk", L"Content Type", L"application/x-quorvel-skin"),
                            Sz(L"HKCR\\Quorvel.Skin", L"", L"Quorvel skin package"),
                            Sz(L"HKCR\\Quorvel.Skin", L"FriendlyTypeName", L"Skin"),
                            Sz(L"HKCR\\Quorvel.Skin\\DefaultIcon", L"", L"C:\\Program Files\\Quorvel\\skin.ico,3"),
                            Sz(L"HKCR\\Quorvel.Skin\\Shell\\Open\\Command", L"", kOpenCommand)));
    EXPECT_EQ(changes.Count(), 1);
}

TEST_F(SkinFileAssociation, TextUpTo1023CharactersIsWrittenAndLongerTextSkipped) {
    // The icon is the path, a comma and the index; the command adds seven
    // characters of quotes, a blank and %1 to the path. A row that would not
    // fit is left out, not cut short, and the others are written.
    for (const size_t over : {0, 1}) {
        FreshRegistry();
        const std::wstring icons(1021 + over, L'i'), exe(1016 + over, L'e');
        EXPECT_EQ(SetSkinFileAssoc(L".qsk", exe.c_str(), L"Quorvel.Skin", icons.c_str(), 5, L"skin"), 1);
        const std::wstring command = L"\"" + exe + L"\" \"%1\"";
        Lines expected = {Sz(L"HKCR\\.qsk", L"", L"Quorvel.Skin"), Sz(L"HKCR\\Quorvel.Skin", L"", L"skin")};
        if (!over)
            expected = Plus(expected, {Sz(L"HKCR\\Quorvel.Skin\\DefaultIcon", L"", icons + L",5"),
                                       Sz(L"HKCR\\Quorvel.Skin\\Shell\\Open\\Command", L"", command)});
        EXPECT_THAT(Dump(), ::testing::UnorderedElementsAreArray(expected)) << over;
    }
}

TEST_F(SkinFileAssociation, NeverWritesAtTheRootOfTheClasses) {
    // An empty or missing name would make a row name HKEY_CLASSES_ROOT
    // itself, or a key other than the one meant.
    EXPECT_EQ(SetSkinFileAssoc(L"", kExe.c_str(), L"Quorvel.Skin", kSkinIcons, 0, L"skin"), 1);
    EXPECT_THAT(Dump(), Not(Contains(::testing::StartsWith("HKCR : "))));
    EXPECT_THAT(Dump(), Contains(Sz(L"HKCR\\Quorvel.Skin", L"", L"skin")));

    for (const wchar_t* progId : {L"", L"..\\Quorvel.Skin", L"Quorvel.Skin\\"}) {
        FreshRegistry();
        EXPECT_EQ(SetSkinFileAssoc(L".qsk", kExe.c_str(), progId, kSkinIcons, 0, L"skin"), 1);
        EXPECT_THAT(Dump(), UnorderedElementsAre(Sz(L"HKCR\\.qsk", L"", progId))) << "only the extension names it";
    }

    FreshRegistry();
    EXPECT_EQ(SetSkinFileAssoc(nullptr, nullptr, nullptr, nullptr, 0, nullptr), 1);
    EXPECT_THAT(Dump(), IsEmpty());
}

}  // namespace
