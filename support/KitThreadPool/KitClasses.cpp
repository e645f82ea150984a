// The kit's component base: only the about text lives here.
#include "support/KitThreadPool/KitClasses.h"

UnicodeString TKitComponent::About() const { return L"Kit Components"; }
