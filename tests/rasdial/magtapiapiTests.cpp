// The TAPI binder binds the line entry points from the system's telephony library.
#include "rasdial/magtapiapi.h"

#include <gtest/gtest.h>

TEST(magtapiapi, BindsTheLineEntryPointsAndUnloads) {
    ASSERT_TRUE(TapiApiAvailable());
    EXPECT_TRUE(TapiApiAvailable());
    EXPECT_NE(lineInitialize, nullptr);
    EXPECT_NE(lineGetTranslateCaps, nullptr);
    EXPECT_NE(lineGetCountry, nullptr);
    EXPECT_NE(lineShutdown, nullptr);
    TapiApiUnload();
    EXPECT_EQ(lineInitialize, nullptr);
    EXPECT_EQ(lineGetCountry, nullptr);
}
