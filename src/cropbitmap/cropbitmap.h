#pragma once

#include <cstddef>

// Crops a scanned card bitmap in place: an uncompressed, bottom-up, 8-bit Windows BMP with a
// 40-byte information header, as the scanner driver makes it. length is the buffer's length (in
// and out), or null when unknown (the header's file size is then trusted).
//
// Returns 0 when the buffer holds the cropped card (length updated; the colour table and the
// other header fields are kept), 1 when the scan has too much black area (buffer unchanged), -1
// when the buffer is not such a bitmap or the analysis failed (buffer unchanged).
int cropbitmap(unsigned char* bitmap, size_t* length);
