#include "shell/FormLayout.h"

#include <cmath>

FormRects DesignFormRects() {
    FormRects r;
    r.AlphaLogo = {10992, 12, 2592, 1224};
    r.LabelW1 = {204, 792, 2628, 264};
    r.TxtFileIn = {1668, 768, 9156, 324};
    r.CommandOpen = {10908, 720, 696, 396};
    r.List = {168, 1248, 13224, 3192};
    r.Grid1 = {156, 4632, 13236, 2244};
    r.PicCont = {252, 6996, 13224, 564};
    r.OptionsBtn = {36, 36, 720, 492};
    r.LabelW2 = {996, 144, 2508, 240};
    r.DTPicker1 = {3132, 96, 1656, 324};
    r.CommandSaveAs = {10200, 84, 2892, 384};
    r.StatusBar1 = {0, 7728, 13572, 300};
    return r;
}

namespace {
void SetExtent(double& target, double value) {
    if (value >= 0 && std::isfinite(value)) target = value;
}
} // namespace

void LayoutForm(FormRects& r, double W, double H) {
    const double m = r.List.Left;
    SetExtent(r.List.Width, W - 2 * m);
    SetExtent(r.Grid1.Width, r.List.Width);
    r.AlphaLogo.Left = W - r.AlphaLogo.Width;
    r.CommandOpen.Left = r.AlphaLogo.Left - r.CommandOpen.Width + m / 2;
    SetExtent(r.TxtFileIn.Width, r.CommandOpen.Left - r.TxtFileIn.Left - m / 2);
    r.PicCont.Top = H - r.PicCont.Height - r.StatusBar1.Height - m / 2;
    r.PicCont.Left = m;
    SetExtent(r.PicCont.Width, W - 2 * m);
    r.CommandSaveAs.Left = r.PicCont.Width - r.CommandSaveAs.Width;
    const double available = r.PicCont.Top - m - r.List.Top;
    SetExtent(r.List.Height, available * 0.6);
    r.Grid1.Top = r.List.Height + r.List.Top + m / 2;
    SetExtent(r.Grid1.Height, r.PicCont.Top - r.Grid1.Top - m / 2);
    r.StatusBar1.Top = H - r.StatusBar1.Height;
    SetExtent(r.StatusBar1.Width, W);
}

int TwipsToPx(double twips, double scale) {
    return int(std::lround(twips * scale / TwipsPerPixel));
}

QRect TwipsToPixels(const TwipRect& rect) {
    return QRect(TwipsToPx(rect.Left), TwipsToPx(rect.Top), TwipsToPx(rect.Width),
                 TwipsToPx(rect.Height));
}

double PixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}
