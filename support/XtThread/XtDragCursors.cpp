// The module's drag cursors. Each of the four identifiers gets its own copy of the screen's
// multi-drag or drag cursor, as the screen destroys the cursors in its table. A cursor that
// the screen does not have, or that cannot be copied, is left out: nothing depends on them.
#include "support/XtThread/XtThread.h"

namespace {

void MapCursor(TCursor Id, TCursor Source) {
    HCURSOR cursor = Screen->Cursors(Source);
    if (!cursor) return;
    HCURSOR copy = CopyCursor(cursor);
    if (copy) Screen->SetCursors(Id, copy); // the screen owns it from here on
}

void MapDragCursors() {
    if (!Screen) return;
    try {
        MapCursor(crMultiDragLink, crMultiDrag);
        MapCursor(crDragAlt, crDrag);
        MapCursor(crMultiDragAlt, crMultiDrag);
        MapCursor(crMultiDragLinkAlt, crMultiDrag);
    } catch (const Exception&) {
    }
}

} // namespace

TModuleEntry XtDragCursorsModule() {
    return {L"XtDragCursors", {L"Framework"}, &MapDragCursors, nullptr};
}
