// Resource identifiers of the library's test program.
#pragma once

#define UclTestResourceText 4711
