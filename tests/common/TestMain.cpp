// Entry point of every test program: runs the module initialisers the program links, then
// GoogleTest, then the finalisers in reverse order.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
