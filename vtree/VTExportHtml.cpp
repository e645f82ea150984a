// The HTML export: a style block (the tree's and the header's fonts, the grid lines) and one
// table with a header row and a row per exported node, the main column indented by a cell per
// level. The document is UTF-8. Cell texts come from other programs' data as often as not: every
// text written into the document (cells, captions, the caption attribute, font names) has &, <,
// > and " escaped, so no text can add markup or leave an attribute.
#include "vtree/VTExportInternal.h"

#include <cstdio>

namespace {

const std::string CrLf = "\r\n";

std::string Decimal(Int64 Value) { return std::to_string(Value); }

// UTF-8 of UTF-16 text: a surrogate pair is one code point, a lone surrogate is skipped.
std::string EncodeUtf8Text(const UnicodeString& Text) {
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        char32_t code = Text[i];
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 >= Text.size() || Text[i + 1] < 0xDC00 || Text[i + 1] > 0xDFFF) continue;
            code = 0x10000 + ((code - 0xD800) << 10) + (Text[++i] - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            continue;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// Text as it may appear in the document: escaped, then UTF-8.
std::string HtmlText(const UnicodeString& Text) {
    UnicodeString escaped;
    for (wchar_t c : Text) {
        switch (c) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += c;
        }
    }
    return EncodeUtf8Text(escaped);
}

std::string HtmlColor(TColor Color) {
    const auto rgb = static_cast<unsigned>(ColorToRGB(Color));
    char text[8];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF,
                  (rgb >> 16) & 0xFF);
    return text;
}

// A named rule (".name{font:...}") or, with an empty name, an inline style attribute.
std::string CssFontStyle(const std::string& Name, TFont* Font) {
    std::string rule = Name.empty() ? " style=\"{font:" : "." + Name + "{font:";
    const TFontStyles style = Font->Style();
    if (style.Contains(fsUnderline)) rule += " underline";
    if (style.Contains(fsItalic)) rule += " italic";
    if (style.Contains(fsBold)) rule += " bold";
    const int size = Font->Size();
    rule += size < 0 ? " " + Decimal(Font->Height()) + "px" : " " + Decimal(size) + "pt";
    rule += " \"" + HtmlText(Font->Name()) + "\";";
    rule += "color:" + HtmlColor(Font->Color()) + ";}";
    return Name.empty() ? rule + "\"" : rule;
}

std::string AlignAttribute(TAlignment Alignment, bool RightToLeft) {
    std::string text = RightToLeft ? " dir=\"rtl\"" : "";
    switch (Alignment) {
    case taRightJustify: return text + " align=right";
    case taCenter: return text + " align=center";
    case taLeftJustify: break;
    }
    return text + " align=left";
}

} // namespace

class TVTExporter::THtml {
public:
    THtml(TVTExporter& Exporter, TVSTTextSourceType Source)
        : E(Exporter), W(Exporter.FWindow), Source(Source) {
        CellSpace = "padding-left:" + Decimal(E.FTree.Margin) +
                    "px;padding-right:" + Decimal(E.FTree.Margin) + "px;";
        LineStyle = W.LineStyle() == lsSolid ? "solid;" : "dotted;";
    }

    RawByteString Render(const UnicodeString& Caption) {
        Styles();
        Table(Caption);
        MaxLevel = E.MaxLevel(Source, true);
        if (E.FHeader.UseColumns()) HeaderRow();
        TBitmap scratch; // a canvas for OnPaintText to style the cells on
        scratch.SetSize(1, 1);
        for (PVirtualNode node = E.First(Source); node; node = E.Next(node, Source))
            if (E.Accepts(etHTML, node)) Row(node, scratch.Canvas());
        B.Add("</table>");
        return B.AsString();
    }

private:
    void Styles() {
        B.Add("<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
        B.Add("<style type=\"text/css\">");
        B.AddNewLine();
        B.Add(CssFontStyle("default", W.Font()));
        B.AddNewLine();
        B.Add(CssFontStyle("header", W.HeaderFont()));
        B.AddNewLine();
        const bool horz = W.Tree()->TreeOptions()->PaintOptions().Contains(toShowHorzGridLines);
        const bool vert = W.Tree()->TreeOptions()->PaintOptions().Contains(toShowVertGridLines);
        if (horz)
            B.Add(".noborder{border-style:" + LineStyle +
                  " border-bottom:1;border-left:0;border-right:0; border-top:0;" + CellSpace + "}");
        else
            B.Add(".noborder{border-style:none;" + CellSpace + "}");
        B.AddNewLine();
        B.Add(".normalborder {border-top:none; border-left:none; vertical-align:top;" +
              (vert ? "border-right:1 " + LineStyle : std::string("border-right:none;")) +
              (horz ? "border-bottom:1 " + LineStyle : std::string("border-bottom:none;")) +
              CellSpace + "}</style>");
        B.AddNewLine();
    }

    void Table(const UnicodeString& Caption) {
        std::string attributes = " ";
        if (!Caption.empty()) attributes += "caption=\"" + HtmlText(Caption) + "\"";
        if (W.BorderStyle() != bsNone)
            attributes += " border=\"" + Decimal(W.BorderWidth() + 1) + "\" frame=box";
        B.Add("<table class=\"default\" bgcolor=" + HtmlColor(E.FTree.Color) + attributes +
              " cellspacing=\"0\" cellpadding=" + Decimal(E.FTree.Margin) + ">");
        B.AddNewLine();
    }

    void HeaderRow() {
        W.OnBeforeHeaderExport(&W, etHTML);
        B.Add("<tr class=\"header\" style=\"" + CellSpace + "\">");
        B.AddNewLine();
        for (TColumnIndex index : E.ExportColumns()) {
            TVirtualTreeColumn* column = E.Column(index);
            W.OnBeforeColumnExport(&W, etHTML, column);
            bool rtl = false;
            const TAlignment alignment = E.CellAlignment(index, true, rtl);
            B.Add("<th height=\"" + Decimal(E.FHeader.Height()) + "px\"" +
                  AlignAttribute(alignment, rtl));
            if (index == E.FHeader.MainColumn() && MaxLevel > 0)
                B.Add(" colspan=\"" + Decimal(MaxLevel + 1) + "\"");
            B.Add(" bgcolor=" + HtmlColor(clBtnFace) + " width=\"" + Decimal(column->Width()) +
                  "px\">");
            if (!column->Text().empty()) B.Add(HtmlText(column->Text()));
            B.Add("</th>");
            W.OnAfterColumnExport(&W, etHTML, column);
        }
        B.Add("</tr>");
        B.AddNewLine();
        W.OnAfterHeaderExport(&W, etHTML);
    }

    void Row(PVirtualNode Node, TCanvas* Canvas) {
        B.Add(" <tr class=\"default\">");
        B.AddNewLine();
        for (TColumnIndex index : E.ExportColumns()) Cell(Node, index, Canvas);
        W.OnAfterNodeExport(&W, etHTML, Node);
        B.Add(" </tr>");
        B.AddNewLine();
    }

    // A column of its own colour: the column uses columns and lacks coParentColor.
    TVirtualTreeColumn* ColouredColumn(TColumnIndex Index) const {
        if (!E.FHeader.Columns()->IsValidColumn(Index)) return nullptr;
        TVirtualTreeColumn* column = E.Column(Index);
        return column->Options().Contains(coParentColor) ? nullptr : column;
    }

    void Cell(PVirtualNode Node, TColumnIndex Index, TCanvas* Canvas) {
        const bool fontChanged = E.PaintText(Canvas, Node, Index);
        const std::string height = Decimal(Node->NodeHeight) + "px\"";
        const Cardinal level = E.FTree.GetNodeLevel(Node);
        const bool main = Index == E.FHeader.MainColumn();
        TVirtualTreeColumn* coloured = ColouredColumn(Index);
        if (main) IndentCells(level, height, coloured);
        if (fontChanged)
            B.Add(" <td class=\"normalborder\" " + CssFontStyle("", Canvas->Font()) + " height=\"" +
                  height);
        else
            B.Add(" <td class=\"normalborder\"  height=\"" + height);
        bool rtl = false;
        const TAlignment alignment = E.CellAlignment(Index, false, rtl);
        B.Add(AlignAttribute(alignment, rtl));
        if (main && level < MaxLevel) B.Add(" colspan=\"" + Decimal(MaxLevel - level + 1) + "\"");
        if (coloured) B.Add(" bgcolor=" + HtmlColor(coloured->Color()));
        B.Add(">");
        const UnicodeString text = E.FTree.CellText(Node, Index);
        if (!text.empty()) B.Add(HtmlText(text));
        B.Add("</td>");
    }

    void IndentCells(Cardinal Level, const std::string& Height, TVirtualTreeColumn* Coloured) {
        for (Cardinal i = 0; i < Level; ++i) {
            if (Coloured)
                B.Add("<td class=\"noborder\" width=\"" + Decimal(E.FTree.Indent) + "\" height=\"" +
                      Height + " bgcolor=" + HtmlColor(Coloured->Color()) + ">&nbsp;</td>");
            else if (i == 0)
                B.Add(" <td height=\"" + Height + ">&nbsp;</td>");
            else
                B.Add(" <td>&nbsp;</td>");
        }
    }

    TVTExporter& E;
    TVirtualStringTreeWindow& W;
    TVSTTextSourceType Source;
    TBufferedAnsiString B;
    std::string CellSpace;
    std::string LineStyle;
    Cardinal MaxLevel = 0;
};

RawByteString TVTExporter::Html(TVSTTextSourceType Source, const UnicodeString& Caption) {
    return THtml(*this, Source).Render(Caption);
}
