// The draw tree: a tree window without text whose cell contents, content widths, content
// margins and node hints are supplied entirely by the application through events. The tree
// paints everything around a cell's content (backgrounds, lines, buttons, images, selection)
// as every tree does; OnDrawNode paints the rest into the paint info's rectangles.
//
// Classes here: TCustomVirtualDrawTree, TVirtualDrawTree.
#pragma once

#include "vtree/VTWindow.h"

// Which sides a cell content margin describes: the total over both sides of each axis, or
// only the left and top, or only the right and bottom margins.
enum TVTCellContentMarginType { ccmtAllSides, ccmtTopLeftOnly, ccmtBottomRightOnly };

using TVTDrawNodeEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, const TVTPaintInfo& PaintInfo)>;
using TVTGetCellContentMarginEvent = TMethodEvent<void(
    TVirtualTreeWindow* Sender, TCanvas* HintCanvas, PVirtualNode Node, TColumnIndex Column,
    TVTCellContentMarginType CellContentMarginType, TPoint& CellContentMargin)>;
using TVTGetNodeWidthEvent =
    TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* HintCanvas, PVirtualNode Node,
                      TColumnIndex Column, Integer& NodeWidth)>;
using TVTGetHintSizeEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, PVirtualNode Node,
                                              TColumnIndex Column, TRect& R)>;
using TVTDrawHintEvent = TMethodEvent<void(TVirtualTreeWindow* Sender, TCanvas* HintCanvas,
                                           PVirtualNode Node, const TRect& R, TColumnIndex Column)>;

class TCustomVirtualDrawTree : public TVirtualTreeWindow {
    CLASS_INFO(TCustomVirtualDrawTree, TVirtualTreeWindow)
public:
    using TVirtualTreeWindow::TVirtualTreeWindow;

    // Twice TextMargin unless OnGetNodeWidth says otherwise; without a canvas the tree's own
    // is handed to the event.
    virtual Integer GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column,
                                     TCanvas* Canvas = nullptr);
    // (0, 0) unless OnGetCellContentMargin sets a margin (tree canvas when none is given).
    virtual TPoint DoGetCellContentMargin(PVirtualNode Node, TColumnIndex Column,
                                          TVTCellContentMarginType Kind = ccmtAllSides,
                                          TCanvas* Canvas = nullptr);
    // The size wished for a node's hint; an empty rectangle suppresses the hint.
    virtual void DoGetHintSize(PVirtualNode Node, TColumnIndex Column, TRect& R);

    TVTDrawNodeEvent OnDrawNode;
    TVTGetCellContentMarginEvent OnGetCellContentMargin;
    TVTGetNodeWidthEvent OnGetNodeWidth;
    TVTGetHintSizeEvent OnGetHintSize;
    TVTDrawHintEvent OnDrawHint;

protected:
    TBaseVirtualTree* CreateTree() override;
    void DoPaintNode(TVTPaintInfo& PaintInfo) override;
    Integer GetNodeWidth(PVirtualNode Node, TColumnIndex Column) override;
    // In content-margin mode the margins of OnGetCellContentMargin narrow the content.
    void DoBeforeCellPaint(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                           TVTCellPaintMode Mode, const TRect& CellRect,
                           TRect& ContentRect) override;
};

class TVirtualDrawTree : public TCustomVirtualDrawTree {
    CLASS_INFO(TVirtualDrawTree, TCustomVirtualDrawTree)
public:
    using TCustomVirtualDrawTree::TCustomVirtualDrawTree;
};
