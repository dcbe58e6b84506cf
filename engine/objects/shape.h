// TKSShapeView: rectangles, ellipses, triangles and lines drawn with the object's
// own pen and brush (the sticker sheet frames its upper part with them).
#pragma once

#include "objects/view.h"

enum TKSShapeType : std::uint8_t {
    ksskRectangle, ksskRoundRectangle, ksskEllipse, ksskTriangle, ksskDiagonal1, ksskDiagonal2, ksskSquare,
    ksskRoundSquare, ksskCircle, ksHorLine, ksRightAndLeft, ksTopAndBottom, ksVertLine
};

class TKSShapeView : public TKSReportView {
public:
    TK_CLASS_INFO
    TKSShapeView();

    TKSShapeType Shape = ksskRectangle;
    platform::Pen Pen;      // width in pixels; the mode is stored but not used
    platform::Brush Brush;  // white, solid

    bool DesignerQuery() const override { return false; }
    std::string GetViewCaption() const override { return "[Shape]"; }
    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    void Draw(platform::Canvas& canvas) override;

private:
    void DrawFigure(platform::Canvas& canvas) const;
};
