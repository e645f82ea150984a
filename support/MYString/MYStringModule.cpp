// Start-up of the toolkit: the search-path and executable-extension lists, read once from the
// environment. A counter lets the module be listed by several start-up lists (a program and
// the libraries it loads) and released with the last of them; the lists are written before any
// other thread runs and only read afterwards.
#include "support/MYString/MYString.h"

namespace {

int StartupCount = 0; // main thread only, during start-up and shut-down
std::vector<UnicodeString> SearchPathList;
std::vector<UnicodeString> ExecutableExtensionList;

void Initialize() {
    if (StartupCount++ > 0) return;
    SearchPathList = mystring::SplitPieces(mystring::EnvironmentVariable(L"Path"), L";");
    ExecutableExtensionList =
        mystring::SplitPieces(mystring::EnvironmentVariable(L"PATHEXT"), L";");
}

void Finalize() {
    if (StartupCount == 0 || --StartupCount > 0) return;
    SearchPathList.clear();
    ExecutableExtensionList.clear();
}

} // namespace

TModuleEntry MYStringModule() { return {L"MYString", {}, &Initialize, &Finalize}; }

const std::vector<UnicodeString>& SearchPaths() { return SearchPathList; }

const std::vector<UnicodeString>& ExecutableExtensions() { return ExecutableExtensionList; }
