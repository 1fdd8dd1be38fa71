// The library builds the character table when it is loaded; a test program
// linking the reader directly does it once before any test.
#include <gtest/gtest.h>

#include "ult/json/character_table.h"

namespace {

class CharacterTableEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ult::json::build_character_table(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CharacterTableEnvironment);

}  // namespace
