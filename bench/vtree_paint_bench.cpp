// Compares a full repaint of the tree window (1,000 rows, four columns, the client's line-list
// look) into a memory bitmap with drawing the same cell texts with plain ExtTextOutW into the
// same bitmap, and prints the ratio. Run by hand; the numbers depend on the machine.
#include "vtree/VirtualTrees.h"

#include "BenchTiming.h"

#include <string>
#include <vector>

namespace {

constexpr int Rows = 1000, RowHeight = 20;
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

    const int width = 355, height = Rows * RowHeight;
    TBitmap target(width, height, pf32bit);
    const double ours = BestSeconds(5, [&] {
        window->PaintTree(target.Canvas(), {0, 0, width, height}, {0, 0},
                          {poBackground, poColumnColor, poDrawSelection, poGridLines});
    });
    HDC dc = target.Canvas()->Handle();
    SelectObject(dc, window->Font()->Handle());
    const double baseline = BestSeconds(5, [&] {
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
    });
    PrintRatio("repaint of 1,000 rows x 4 columns", ours, baseline);
    static_cast<TCustomVirtualStringTree*>(tree)->OnGetText = {};
    window->Free();
    return 0;
}
