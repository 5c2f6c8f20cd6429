#pragma once

// The working picture the icon maker resamples, made from a picture as read.

#include "imaging/cAlphaDIBSection.h"

#include <QImage>

#include <cstdint>
#include <optional>

namespace tarrowin {

// A picture without alpha becomes fully opaque. A picture with its own alpha
// keeps it when keepAlpha is set (colours stay as they are, not premultiplied,
// as icon images hold them). Empty on failure (a picture too large to hold).
cAlphaDIBSection workingPictureFrom(const QImage& picture, bool keepAlpha);

} // namespace tarrowin
