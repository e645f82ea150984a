// Entry point of the fuzz program: reads the driver's options, then makes one test per
// registered reader (Fuzz.<name>) that feeds its seeds and then its mutated inputs.
#include "FuzzDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

class TFuzzTest : public testing::Test {
public:
    explicit TFuzzTest(const TFuzzReader& reader) : FReader(reader) {}

    void TestBody() override {
        const TFuzzOptions& options = FuzzOptions();
        const std::vector<TFuzzInput> seeds = FReader.Seeds();
        ASSERT_FALSE(seeds.empty()) << FReader.Name << " has no seeds";
        for (std::size_t i = 0; i < seeds.size(); ++i) {
            const std::string what =
                FeedGuarded(FReader.Name + " seed", 0, i, seeds[i], FReader.Feed);
            ASSERT_TRUE(what.empty())
                << FailureReport(FReader.Name + " seed", 0, i, seeds[i], what);
        }
        const auto count =
            static_cast<std::uint64_t>(options.Count >= 0 ? options.Count : FReader.DefaultCount);
        for (std::uint64_t index = options.First; index < options.First + count; ++index) {
            const TFuzzInput input = MutatedInput(FReader, seeds, options.Seed, index);
            const std::string what =
                FeedGuarded(FReader.Name, options.Seed, index, input, FReader.Feed);
            ASSERT_TRUE(what.empty())
                << FailureReport(FReader.Name, options.Seed, index, input, what);
        }
    }

private:
    const TFuzzReader& FReader;
};

// "--name=value" options of the driver; anything else is left to GoogleTest.
void ReadOptions(int argc, char** argv) {
    TFuzzOptions& options = FuzzOptions();
    for (int i = 1; i < argc; ++i) {
        const char* value = std::strchr(argv[i], '=');
        if (!value) continue;
        const std::string name(argv[i], static_cast<std::size_t>(value++ - argv[i]));
        if (name == "--fuzz-count")
            options.Count = std::strtoll(value, nullptr, 10);
        else if (name == "--fuzz-seed")
            options.Seed = std::strtoull(value, nullptr, 10);
        else if (name == "--fuzz-first")
            options.First = std::strtoull(value, nullptr, 10);
        else if (name == "--fuzz-time-limit")
            options.TimeLimitSeconds = std::strtod(value, nullptr);
    }
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    ReadOptions(argc, argv);
    for (const TFuzzReader& reader : FuzzReaders())
        testing::RegisterTest("Fuzz", reader.Name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                              [&reader]() -> testing::Test* { return new TFuzzTest(reader); });
    return RUN_ALL_TESTS();
}
