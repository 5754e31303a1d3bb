// Names each case of a parameterised suite after its name field, so that a
// failure reads "Cases/FindTextTest.FindsOnCharacterBoundaries/KoreanNeedle"
// rather than ".../13".
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace wendrel {

struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace wendrel
