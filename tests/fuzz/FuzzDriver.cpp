// The fuzz driver's machinery: the registry of readers, the mutations, and the guard around one
// input (a watchdog thread for the time limit, an unhandled-exception filter for crashes, both
// printing the input before the process ends).
#include "FuzzDriver.h"

#include "framework/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <random>
#include <typeinfo>

namespace {

// The input being fed, for the watchdog and the crash filter.
struct TCurrentInput {
    const std::string* Reader = nullptr;
    std::uint64_t Seed = 0;
    std::uint64_t Index = 0;
    const TFuzzInput* Input = nullptr;
    std::atomic<ULONGLONG> Started{0}; // 0: no input is being fed
};
TCurrentInput Current;

[[noreturn]] void ReportAndEnd(const char* what) {
    const std::string report =
        FailureReport(*Current.Reader, Current.Seed, Current.Index, *Current.Input, what);
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
    if (Current.Started.load() == 0) return EXCEPTION_CONTINUE_SEARCH;
    char what[64];
    std::snprintf(what, sizeof(what), "crashed with exception 0x%08lX",
                  pointers->ExceptionRecord->ExceptionCode);
    ReportAndEnd(what);
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(200);
        const ULONGLONG started = Current.Started.load();
        const auto limit = static_cast<ULONGLONG>(FuzzOptions().TimeLimitSeconds * 1000);
        if (started != 0 && GetTickCount64() - started > limit)
            ReportAndEnd("took longer than the time limit");
    }
}

// Installed once, before the first input.
void InstallGuards() {
    static const bool installed = [] {
        SetUnhandledExceptionFilter(CrashFilter);
        const HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
        if (watchdog) CloseHandle(watchdog);
        return true;
    }();
    (void)installed;
    // Room for the crash filter after a stack overflow, on every thread that feeds.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
}

std::uint64_t NameHash(const std::string& name) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

// Values a length or count field is set to: nothing, all bits, the largest signed values and
// just past them, the input's own size.
std::uint64_t LengthValue(std::mt19937_64& random, std::size_t size) {
    const std::uint64_t values[] = {0,      ~0ull,      0x7F,       0x80,       0x7FFF, 0x8000,
                                    0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, size,   size + 1};
    return values[random() % std::size(values)];
}

void Mutate(TFuzzInput& data, const TFuzzReader& reader, std::mt19937_64& random) {
    auto at = [&](std::size_t extra = 0) { return random() % (data.size() + extra); };
    switch (random() % 8) {
    case 0: // one bit
        if (!data.empty()) data[at()] ^= static_cast<char>(1 << (random() % 8));
        break;
    case 1: // one byte, often a boundary value
        if (!data.empty()) {
            const char values[] = {0, '\xFF', '\x7F', '\x80', static_cast<char>(random())};
            data[at()] = values[random() % std::size(values)];
        }
        break;
    case 2: // truncation
        data.resize(data.empty() ? 0 : at());
        break;
    case 3: { // random bytes inserted
        TFuzzInput bytes(1 + random() % 16, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        data.insert(at(1), bytes);
        break;
    }
    case 4: // a range removed
        if (!data.empty()) {
            const std::size_t from = at();
            data.erase(from, 1 + random() % std::min<std::size_t>(64, data.size() - from));
        }
        break;
    case 5: // a range repeated elsewhere
        if (!data.empty()) {
            const std::size_t from = at();
            const TFuzzInput part = data.substr(from, 1 + random() % 64);
            data.insert(at(1), part);
        }
        break;
    case 6: { // a length field of 1, 2 or 4 bytes, either byte order
        const std::size_t width = std::size_t{1} << (random() % 3);
        if (data.size() < width) break;
        const std::size_t from = random() % (data.size() - width + 1);
        const std::uint64_t value = LengthValue(random, data.size());
        const bool bigEndian = random() % 2;
        for (std::size_t i = 0; i < width; ++i)
            data[from + (bigEndian ? width - 1 - i : i)] = static_cast<char>(value >> (8 * i));
        break;
    }
    default: // a token of the reader's grammar
        if (!reader.Tokens.empty())
            data.insert(at(1), reader.Tokens[random() % reader.Tokens.size()]);
        break;
    }
}

} // namespace

std::vector<TFuzzReader>& FuzzReaders() {
    static std::vector<TFuzzReader> readers;
    return readers;
}

TFuzzRegistration::TFuzzRegistration(TFuzzReader reader) {
    FuzzReaders().push_back(std::move(reader));
}

TFuzzOptions& FuzzOptions() {
    static TFuzzOptions options;
    return options;
}

TFuzzInput MutatedInput(const TFuzzReader& reader, const std::vector<TFuzzInput>& seeds,
                        std::uint64_t seed, std::uint64_t index) {
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ull ^ NameHash(reader.Name) ^
                           (index * 0xBF58476D1CE4E5B9ull));
    TFuzzInput data = seeds.empty() ? TFuzzInput() : seeds[random() % seeds.size()];
    for (int count = 1 + static_cast<int>(random() % 4); count > 0; --count)
        Mutate(data, reader, random);
    return data;
}

std::string FeedGuarded(const std::string& reader, std::uint64_t seed, std::uint64_t index,
                        const TFuzzInput& input, const TFuzzFeed& feed) {
    InstallGuards();
    Current.Reader = &reader;
    Current.Seed = seed;
    Current.Index = index;
    Current.Input = &input;
    Current.Started.store(std::max<ULONGLONG>(GetTickCount64(), 1));
    std::string what;
    try {
        feed(input);
    } catch (const std::exception& error) {
        what = std::string("raised ") + typeid(error).name() + ": " + error.what();
    } catch (...) {
        what = "raised something that is not an exception";
    }
    Current.Started.store(0);
    return what;
}

std::string FailureReport(const std::string& reader, std::uint64_t seed, std::uint64_t index,
                          const TFuzzInput& input, const std::string& what) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : input) hex += digits[c >> 4], hex += digits[c & 15];
    return "fuzz: " + reader + ": input " + std::to_string(index) + " of seed " +
           std::to_string(seed) + " " + what + "\nfuzz: repeat it with --gtest_filter=Fuzz." +
           reader + " --fuzz-seed=" + std::to_string(seed) +
           " --fuzz-first=" + std::to_string(index) + " --fuzz-count=1\nfuzz: input (" +
           std::to_string(input.size()) + " bytes): " + hex + "\n";
}

std::wstring ByteText(const TFuzzInput& input) {
    std::wstring text;
    for (unsigned char c : input) text += static_cast<wchar_t>(c);
    return text;
}

std::wstring AnsiText(const TFuzzInput& input) { return AnsiToUnicode(AnsiString(input)); }
