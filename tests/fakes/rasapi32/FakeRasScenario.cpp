// The scenario text: one directive per line, words separated by blanks, "#" starts a comment.
// Also loads the scenario named by FAKE_RAS_SCENARIO when no test has set one.
#include "FakeRas.h"

#include <fstream>
#include <sstream>

namespace fakeras {

namespace {

bool ReadNumber(std::istringstream& words, DWORD& value) {
    std::string word;
    if (!(words >> word)) return false;
    try {
        std::size_t used = 0;
        const unsigned long number = std::stoul(word, &used, 0);
        value = static_cast<DWORD>(number);
        return used == word.size();
    } catch (...) {
        return false;
    }
}

bool ReadStates(std::istringstream& words, std::vector<DWORD>& states) {
    states.clear();
    DWORD state = 0;
    while (!(words >> std::ws).eof()) {
        if (!ReadNumber(words, state)) return false;
        states.push_back(state);
    }
    return !states.empty();
}

bool ReadDrop(std::istringstream& words, Scenario& scenario) {
    std::string kind;
    if (!ReadNumber(words, scenario.DropAfterMs) || !(words >> kind)) return false;
    if (kind == "state") {
        scenario.DropAsState = true;
        return true;
    }
    scenario.DropAsState = false;
    return kind == "error" && ReadNumber(words, scenario.DropCode);
}

std::string Rest(std::istringstream& words) {
    std::string rest;
    std::getline(words >> std::ws, rest);
    return rest;
}

bool ReadDirective(const std::string& word, std::istringstream& words, Scenario& scenario) {
    if (word == "delay") return ReadNumber(words, scenario.DelayMs);
    if (word == "states") return ReadStates(words, scenario.States);
    if (word == "fail") return ReadNumber(words, scenario.FailCode);
    if (word == "dial-result") return ReadNumber(words, scenario.DialResult);
    if (word == "client-ip") return static_cast<bool>(words >> scenario.ClientIp);
    if (word == "server-ip") return static_cast<bool>(words >> scenario.ServerIp);
    if (word == "rate")
        return ReadNumber(words, scenario.SentPerSecond) &&
               ReadNumber(words, scenario.ReceivedPerSecond);
    if (word == "drop") return ReadDrop(words, scenario);
    if (word == "lcp") return ReadNumber(words, scenario.LcpProtocol);
    if (word == "hangup-delay") return ReadNumber(words, scenario.HangUpDelayMs);
    if (word == "ip-error") return ReadNumber(words, scenario.IpError);
    if (word == "entry") {
        scenario.Entries.push_back(Rest(words));
        return !scenario.Entries.back().empty();
    }
    return false;
}

std::string WithoutComment(const std::string& line) { return line.substr(0, line.find('#')); }

} // namespace

int ParseScenario(const std::string& text, Scenario& scenario) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(WithoutComment(line));
        std::string word;
        if (!(words >> word)) continue;
        if (!ReadDirective(word, words, scenario)) return number;
        std::string extra;
        if (word != "states" && word != "entry" && (words >> extra)) return number;
    }
    return 0;
}

void EnsureScenario(State& state) {
    if (state.Loaded) return;
    state.Loaded = true;
    Scenario scenario;
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("FAKE_RAS_SCENARIO", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        const int badLine = file ? ParseScenario(text.str(), scenario) : -1;
        if (badLine != 0) {
            // Every dial fails visibly rather than running some other scenario.
            const std::string report = "fake rasapi32: cannot use scenario " + std::string(path) +
                                       " (line " + std::to_string(badLine) + ")\n";
            OutputDebugStringA(report.c_str());
            scenario = Scenario{};
            scenario.DialResult = ERROR_INVALID_DATA;
        }
    }
    ResetState(state, scenario);
}

} // namespace fakeras
