// `TColumnLabel`: a label of the main window's status panel. It keeps the bounds it was placed
// with, whatever its text: it shows as many lines as its height holds, broken to its width, and
// ends the last one with "…" when the text is longer (FittedText.h). A label that sized itself to
// its text would run into its neighbours and make the window grow scroll bars.
#pragma once

#include "skin/controls/sLabel.h"

#include <vector>

class TColumnLabel : public TsLabel {
    CLASS_INFO(TColumnLabel, TsLabel)
public:
    explicit TColumnLabel(TComponent* AOwner);

    // The lines the label shows for its caption, in its font, measured on the screen.
    std::vector<UnicodeString> FittedLines();
    // The number of lines its height holds in its font.
    int LineCapacity();

protected:
    UnicodeString GetLabelText() override;
};
