// Compares a full repaint of the tree window (1,000 rows, four columns, the client's line-list
// look, every tenth row selected) into a memory bitmap with drawing the same elements (each
// row's background or selection, its grid line and the cell texts) with plain GDI calls into
// the same bitmap, and with drawing the texts alone, and prints the ratios. Run by hand; the
// numbers depend on the machine.
#include "vtree/VirtualTrees.h"

#include "BenchTiming.h"

#include <string>
#include <vector>

namespace {

constexpr int Rows = 1000, RowHeight = 20, Runs = 5;
constexpr int Widths[] = {150, 80, 70, 55};

struct TTexts {
    std::vector<std::wstring> Cells; // row-major, four per row
    void OnGetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex Column, TVSTTextType,
                   UnicodeString& Text) {
        Text = Cells[Node->Index * 4 + static_cast<Cardinal>(Column)];
    }
};

} // namespace

int main() {
    TTexts texts;
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < 4; ++column)
            texts.Cells.push_back(L"Line " + std::to_wstring(row) + L"." + std::to_wstring(column));

    auto* window = Construct<TVirtualStringTreeWindow>(nullptr);
    TBaseVirtualTree* tree = window->Tree();
    for (int width : Widths) window->Header()->Columns()->Add()->SetWidth(width);
    tree->SetDefaultNodeHeight(RowHeight);
    window->SetMargin(0);
    tree->TreeOptions()->SetPaintOptions(
        tree->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowHorzGridLines} -
        TVTPaintOptions{toShowRoot, toShowButtons, toShowTreeLines});
    tree->TreeOptions()->SetSelectionOptions({toFullRowSelect});
    static_cast<TCustomVirtualStringTree*>(tree)->OnGetText =
        TVSTGetTextEvent(&texts, &TTexts::OnGetText);
    tree->SetRootNodeCount(Rows);

    // Every tenth row selected, so the selection's look is drawn as well.
    tree->TreeOptions()->SetSelectionOptions({toFullRowSelect, toMultiSelect});
    tree->TreeOptions()->SetPaintOptions(tree->TreeOptions()->PaintOptions() -
                                         TVTPaintOptions{toHideSelection});
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNext(node))
        if (node->Index % 10 == 0) tree->SetSelected(node, true);

    const int width = 355, height = Rows * RowHeight;
    TBitmap target(width, height, pf32bit);
    // Both sides draw into this bitmap: its pages are committed once here, so that the side
    // measured first is not charged for their first touch.
    PatBlt(target.Canvas()->Handle(), 0, 0, width, height, WHITENESS);
    const TFigures ours = Measure(Runs, [&] {
        window->PaintTree(target.Canvas(), {0, 0, width, height}, {0, 0},
                          {poBackground, poColumnColor, poDrawSelection, poGridLines});
        return 0;
    });
    HDC dc = target.Canvas()->Handle();
    SelectObject(dc, window->Font()->Handle());
    const TFigures textOnly = Measure(Runs, [&] {
        for (int row = 0; row < Rows; ++row) {
            int left = 0;
            for (int column = 0; column < 4; ++column) {
                const std::wstring& text = texts.Cells[row * 4 + column];
                const RECT cell{left, row * RowHeight, left + Widths[column],
                                (row + 1) * RowHeight};
                ExtTextOutW(dc, left + 4, row * RowHeight + 3, ETO_CLIPPED | ETO_OPAQUE, &cell,
                            text.c_str(), static_cast<UINT>(text.size()), nullptr);
                left += Widths[column];
            }
        }
        return 0;
    });
    // The same elements as the tree's: each row's background or selection, a dotted grid line
    // under it and each cell's text clipped to the cell, with plain GDI calls.
    TVTColors* colors = window->Colors();
    const HBRUSH background = CreateSolidBrush(ColorToRGB(tree->Color));
    const HBRUSH selection = CreateSolidBrush(ColorToRGB(colors->UnfocusedSelectionColor()));
    const HPEN border = CreatePen(PS_SOLID, 1, ColorToRGB(colors->UnfocusedSelectionBorderColor()));
    const HPEN grid = CreatePen(PS_DOT, 1, ColorToRGB(colors->GridLineColor()));
    const TFigures elements = Measure(Runs, [&] {
        SetBkMode(dc, TRANSPARENT);
        for (int row = 0; row < Rows; ++row) {
            const int top = row * RowHeight, bottom = top + RowHeight;
            const RECT line{0, top, width, bottom};
            if (row % 10 == 0) {
                SelectObject(dc, selection);
                SelectObject(dc, border);
                Rectangle(dc, 0, top, width, bottom - 1);
            } else {
                FillRect(dc, &line, background);
            }
            SelectObject(dc, grid);
            MoveToEx(dc, 0, bottom - 1, nullptr);
            LineTo(dc, width, bottom - 1);
            int left = 0;
            for (int column = 0; column < 4; ++column) {
                const std::wstring& text = texts.Cells[row * 4 + column];
                const RECT cell{left, top, left + Widths[column], bottom - 1};
                ExtTextOutW(dc, left + 4, top + 3, ETO_CLIPPED, &cell, text.c_str(),
                            static_cast<UINT>(text.size()), nullptr);
                left += Widths[column];
            }
        }
        return 0;
    });
    DeleteObject(grid);
    DeleteObject(border);
    DeleteObject(selection);
    DeleteObject(background);
    PrintFigures("repaint of 1,000 rows x 4 columns", ours, elements);
    PrintFigures("  against the texts alone", ours, textOnly);
    static_cast<TCustomVirtualStringTree*>(tree)->OnGetText = {};
    window->Free();
    return 0;
}
