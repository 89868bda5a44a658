// A trackbar drawn in three colours through its custom-draw notifications: colour 1 the
// background, colour 2 the channel (its selection range lit), colour 3 the thumb.
#pragma once
#include "toolkit/gdi.h"

namespace vemo {

class CColorSlider : public CWnd {
public:
    CColorSlider();

    void SetColor1(COLORREF colour);
    void SetColor2(COLORREF colour);
    void SetColor3(COLORREF colour);
    COLORREF GetColor1() const { return m_colors[0]; }
    COLORREF GetColor2() const { return m_colors[1]; }
    COLORREF GetColor3() const { return m_colors[2]; }

    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

private:
    void Rebuild();
    LRESULT CustomDraw(NMCUSTOMDRAW& cd);

    COLORREF m_colors[3];
    GdiHandle m_bkBrush;
    GdiHandle m_channelPen;
    GdiHandle m_thumbBrush;
};

}  // namespace vemo
