#pragma once
// Decodes JPEG data through libjpeg into a QImage (RGB). Used for the title picture.

#include <QImage>

#include <cstddef>
#include <string>

// Decodes `size` bytes of JPEG data. On success returns an RGB image; on failure returns a null
// image and sets `error` to libjpeg's reason. Pictures wider or higher than MaxJpegSide pixels are
// refused.
QImage DecodeJpeg(const unsigned char* data, std::size_t size, std::string& error);

inline constexpr int MaxJpegSide = 16384;
