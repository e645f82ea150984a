// The error of an index or value outside the range a skinned control or the tray icon accepts.
#pragma once

#include "framework/Exceptions.h"

class ERangeError : public Exception {
public:
    using Exception::Exception;
};
