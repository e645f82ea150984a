// The record-storage module's start-up: library-wide defaults the storage reads.
#include "data/engine/MemData.h"

TModuleEntry MemDataModule() {
    return {L"MemData", {L"CLRClasses", L"MemUtils", L"DcParser"}, [] {
                DefaultPieceSize = 65514;
                MaxArrayItemFields = 100;
                FilterFloatTolerance = 0;
                RefreshIterationCounter = 1;
            }};
}
