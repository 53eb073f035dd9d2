#pragma once

#include <QtGlobal>

// Places and widths kept in the database are in twips, as the office's
// files have always held them, whatever the screen's resolution.
namespace Twips {

inline constexpr int kPerInch = 1440;

inline int fromPixels(int pixels, int dpi)
{
    return pixels * kPerInch / qMax(1, dpi);
}

inline int toPixels(int twips, int dpi)
{
    return qRound(twips * static_cast<double>(dpi) / kPerInch);
}

}  // namespace Twips
