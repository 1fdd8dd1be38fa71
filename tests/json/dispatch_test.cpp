#include <gtest/gtest.h>

#include <string>

#include "tests/json/recording_callbacks.h"
#include "ult/json/json_reader.h"

using json_test::Recorder;

// Error entries give the characters remaining after the error's position.

TEST(Dispatch, DeliversEveryTopLevelObjectToTheRootCallbackAndSkipsTopLevelArrays) {
    Recorder recorder({"*"});
    EXPECT_EQ(recorder.Parse(L"{'name':'a',port:80}"), "root.name='a' root.port=#80(80) root.end");
    EXPECT_EQ(recorder.Parse(L"{a:1} {b:2}"), "root.a=#1(1) root.end root.b=#2(2) root.end");
    EXPECT_EQ(recorder.Parse(L"{'a':1"), "root.end") << "a value the text cuts off is not delivered";
    EXPECT_EQ(recorder.Parse(L"[1,{a:1},[x]] {c:3}"), "root.c=#3(3) root.end");
    EXPECT_EQ(recorder.Parse(L"[true]"), "") << "errors at the top level reach nobody";
}

TEST(Dispatch, RoutesEachStructureToTheCallbackItsParentHandedOut) {
    Recorder recorder({"list", "list[]"});
    EXPECT_EQ(recorder.Parse(L"{list:[{id:1},{id:2},3,[4]],n:{x:1}}"),
              "list[].id=#1(1) list[].end list.child_end "
              "list[].id=#2(2) list[].end list.child_end "
              "list[]=#3(3) list[][]=#4(4) list[].end list.child_end "
              "list.end root.child_end root.child_end root.end");
}

TEST(Dispatch, IgnoresEverythingInsideAStructureNobodyWants) {
    Recorder recorder;
    // No end for the skipped structure, but its parent still hears that it ended.
    EXPECT_EQ(recorder.Parse(L"{skip:{a:1,b:[{c:2}],d:{e:3}},f:4}"), "root.child_end root.f=#4(4) root.end");
    EXPECT_EQ(recorder.Parse(L"{a:[1]}"), "root.child_end root.end");
}

TEST(Dispatch, SendsErrorsToTheNearestInterestedCallback) {
    // The errors of the bare word, one per letter.
    Recorder wantsList({"list"});
    EXPECT_EQ(wantsList.Parse(L"{'list':[true]}"), "list!6 list!5 list!4 list!3 list.end root.child_end root.end");
    Recorder wantsNothing;
    EXPECT_EQ(wantsNothing.Parse(L"{'list':[true]}"), "root!6 root!5 root!4 root!3 root.child_end root.end");

    // From inside skipped structures, up to the first ancestor with a callback.
    EXPECT_EQ(wantsNothing.Parse(L"{skip:{a:1,b:[x],c:{d:2}},e:3}"), "root!16 root.child_end root.e=#3(3) root.end");
    EXPECT_EQ(wantsList.Parse(L"{list:[[{a:[x]}]]}"), "list!6 list.child_end list.end root.child_end root.end");
}
