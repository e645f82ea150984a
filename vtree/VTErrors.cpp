// The tree's error texts: EVirtualTreeError by help context, and the unit's assertion failure.
#include "vtree/VTTypes.h"

namespace vtree_errors {

namespace {
const wchar_t* MessageOf(int HelpContext) {
    switch (HelpContext) {
    case EditLink: return L"Edit link must not be nil.";
    case NodeMoveTarget: return L"Target node cannot be a child node of the node to be moved.";
    case StreamFormat: return L"Unable to load tree structure, the format is wrong.";
    case StreamVersion: return L"Unable to load tree structure, the version is unknown.";
    case StreamTooShort: return L"Unable to load tree structure, not enough data available.";
    case AnchorMissing: return L"Stream data corrupt. A node's anchor chunk is missing.";
    case DataAfterEnd: return L"Stream data corrupt. Unexpected data after node's end position.";
    case Clipboard: return L"Clipboard operation failed.";
    case UserDataSpace:
        return L"Cannot set initial user data because there is not enough user data space "
               L"allocated.";
    default: return L"Virtual tree error.";
    }
}
} // namespace

void RaiseError(int HelpContext) { throw EVirtualTreeError(MessageOf(HelpContext), HelpContext); }

void Assert(bool Condition, const wchar_t* Message) {
    if (!Condition) throw EAssertionFailed(UnicodeString(Message) + L" (VirtualTrees)");
}

} // namespace vtree_errors
