// What a sorted list does with an item equal to one it already holds.
#pragma once

enum TDuplicates { dupIgnore, dupAccept, dupError };
