// Window sizes and positions are kept in twips (1/1440 inch) and shown in pixels
// at the screen's logical DPI: 15 twips a pixel at 96 DPI.
#pragma once

namespace kestrom::mainwindow {

class Twips {
public:
    explicit Twips(double logicalDpi) : dpi_(logicalDpi > 0 ? logicalDpi : 96.0) {}
    int toPixels(int twips) const;
    int fromPixels(int pixels) const;

private:
    double dpi_;
};

}  // namespace kestrom::mainwindow
