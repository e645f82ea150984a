// The fuzz driver: every reader of untrusted bytes or text registers itself once, with a name,
// its seeds and a function that feeds it one input, and the driver runs a seeded, bounded
// mutation loop over the seeds as one test per reader (Fuzz.<name>).
//
// A feed catches exactly the refusals its reader documents (EInvalidGraphic for a picture,
// EVirtualTreeError for a tree stream …); anything else that leaves it is a failure, and so is
// a crash and an input that runs longer than the time limit. A failure prints the reader, the
// run's seed, the input's number and the input as hex, and how to run that input alone.
//
// Command line (after the GoogleTest options):
//   --fuzz-count=N       inputs per reader (default: each reader's own small count)
//   --fuzz-seed=S        the run's seed (default 1); inputs follow from seed, reader and number
//   --fuzz-first=N       the number of the first input (to repeat one reported input)
//   --fuzz-time-limit=S  seconds an input may take (default 20)
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using TFuzzInput = std::string; // bytes
using TFuzzFeed = std::function<void(const TFuzzInput&)>;

struct TFuzzReader {
    std::string Name;                               // letters, digits and '_' (a test name)
    std::function<std::vector<TFuzzInput>()> Seeds; // made when the reader's test runs
    TFuzzFeed Feed;
    int DefaultCount = 300;               // inputs in the default budget
    std::vector<std::string> Tokens = {}; // spliced in by text mutations
};

// Registers a reader; call it from a namespace-scope object of the reader's file:
//   const TFuzzRegistration Jpeg{{"jpeg", JpegSeeds, FeedJpeg, 150}};
class TFuzzRegistration {
public:
    explicit TFuzzRegistration(TFuzzReader reader);
};
std::vector<TFuzzReader>& FuzzReaders();

struct TFuzzOptions {
    long long Count = -1; // -1: each reader's DefaultCount
    std::uint64_t Seed = 1;
    std::uint64_t First = 0;
    double TimeLimitSeconds = 20;
};
TFuzzOptions& FuzzOptions();

// The input number `index` of a run: a mutation of one of the seeds.
TFuzzInput MutatedInput(const TFuzzReader& reader, const std::vector<TFuzzInput>& seeds,
                        std::uint64_t seed, std::uint64_t index);

// Feeds one input under the crash handler and the time limit; answers an empty text, or what
// went wrong (an exception that left the feed). A crash or a slow input is reported and ends
// the process.
std::string FeedGuarded(const std::string& reader, std::uint64_t seed, std::uint64_t index,
                        const TFuzzInput& input, const TFuzzFeed& feed);

// The report of a failed input: reader, seed, number, the way to repeat it, the input as hex.
std::string FailureReport(const std::string& reader, std::uint64_t seed, std::uint64_t index,
                          const TFuzzInput& input, const std::string& what);

// Frees an object of the class library that a feed made (for std::unique_ptr).
struct TFuzzFree {
    template <class T> void operator()(T* object) const noexcept { object->Free(); }
};

// Helpers for feeds: the bytes as text of one character per byte, and as ANSI (ACP) text.
std::wstring ByteText(const TFuzzInput& input);
std::wstring AnsiText(const TFuzzInput& input);
