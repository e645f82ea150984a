// Entry point of every test program. No module initialiser runs here: a test that needs the
// application object or a module creates it, so that no test depends on another's leftovers.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
