// The PDH binder: bound only on level 1 with the RAS library present, and a refused
// precondition does not count as a run.
#include "rasdial/magpdhapi.h"

#include "FakeRasFixture.h"

#include <gtest/gtest.h>

namespace {

// Leaves the PDH binder unbound before and after each test.
class magpdhapi : public testing::Test {
protected:
    magpdhapi() { PdhApiUnload(); }
    ~magpdhapi() override { PdhApiUnload(); }
};

} // namespace

TEST_F(magpdhapi, BindsOnlyOnNT4AndRetriesAfterARefusedPrecondition) {
    TFakeRasBinding binding(FullFake(), RasLevelVista);
    EXPECT_FALSE(PdhApiAvailable());
    EXPECT_EQ(PdhOpenQuery, nullptr);
    SetRasOSLevel(RasLevelNT4, 0);
    EXPECT_TRUE(PdhApiAvailable()); // the refusal above did not mark the binder as run
    EXPECT_NE(PdhOpenQuery, nullptr);
    EXPECT_NE(PdhGetRawCounterArrayA, nullptr);
    EXPECT_NE(PdhCloseQuery, nullptr);
    PdhApiUnload();
    EXPECT_EQ(PdhOpenQuery, nullptr);
}

TEST_F(magpdhapi, NeedsTheRasLibrary) {
    TFakeRasBinding binding(MissingLibrary(), RasLevelNT4);
    EXPECT_FALSE(PdhApiAvailable());
    EXPECT_EQ(PdhOpenQuery, nullptr);
}
