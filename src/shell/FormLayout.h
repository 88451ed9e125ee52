#pragma once

#include <QRect>

// Control positions of the main window in twips (1/1440 inch); 15 twips make one pixel.
constexpr double TwipsPerPixel = 15.0;

struct TwipRect {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
};

// Every control the layout places. The children of PicCont are positioned inside it.
struct FormRects {
    TwipRect AlphaLogo;
    TwipRect LabelW1;
    TwipRect TxtFileIn;
    TwipRect CommandOpen;
    TwipRect List;
    TwipRect Grid1;
    TwipRect PicCont;
    TwipRect OptionsBtn;
    TwipRect LabelW2;
    TwipRect DTPicker1;
    TwipRect CommandSaveAs;
    TwipRect StatusBar1;
};

// The positions as designed, for a client area of DesignClientWidth x DesignClientHeight.
FormRects DesignFormRects();
constexpr double DesignClientWidth = 13572;
constexpr double DesignClientHeight = 8028;

// Follows a client area of clientWidth x clientHeight twips. Each step reads what the earlier
// ones produced; a step that would give a negative width or height is skipped and keeps the
// old value, so a minimised window leaves the controls where they were.
void LayoutForm(FormRects& rects, double clientWidth, double clientHeight);

// Twips to whole pixels, at scale times the designed size: the one conversion every window uses.
int TwipsToPx(double twips, double scale = 1.0);
QRect TwipsToPixels(const TwipRect& rect);
double PixelsToTwips(int pixels);
