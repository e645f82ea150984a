#include "vtree/VirtualTrees.h"
#include <gtest/gtest.h>
TEST(NodeStore, Placeholder) { SUCCEED(); }
