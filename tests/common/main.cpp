#include <gtest/gtest.h>

#include "core/Catalogue.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    orv::LoadModelNames();
    return RUN_ALL_TESTS();
}
