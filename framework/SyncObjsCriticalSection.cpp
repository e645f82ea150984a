// The recursive in-process lock over a system critical section. A critical section cannot
// fail to initialise on the systems this library supports, so construction raises nothing.
#include "framework/SyncObjs.h"

TCriticalSection::TCriticalSection() noexcept { InitializeCriticalSection(&FSection); }

TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&FSection); }

void TCriticalSection::Enter() noexcept { EnterCriticalSection(&FSection); }

void TCriticalSection::Leave() noexcept { LeaveCriticalSection(&FSection); }

bool TCriticalSection::TryEnter() noexcept { return TryEnterCriticalSection(&FSection) != FALSE; }
