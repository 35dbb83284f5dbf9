#pragma once

#include <cstdint>

#include "ts860_requests.h"

// The request blocks the card scan and the calibration share, and the image read.

// Steps 3.1 to 3.11 of a scan set-up: the window from pixel x to xEnd (600-dpi pixels) at the
// resolution, total lines, and the motor-table select value a0 (0x01 for a scan).
int ts860_program_window(Ts860Requests& r, uint32_t x, uint32_t xEnd, int32_t dpi, uint32_t total, uint8_t a0);
// The base motor table into slots 3 and 4, then the resolution's table into slots 0 to 2.
int ts860_load_motor_tables(Ts860Requests& r, int32_t tableDpi);
// The motor run set-up: lengths, the resolution's timing, the twelve sensor timing requests and the
// line length (width / 8).
int ts860_program_motor_run(Ts860Requests& r, int32_t tableDpi, uint32_t width);
// Reads the status register back to back until the bit is clear; 1 (with the line naming the
// mask) when it is still set more than 5 seconds later, checked every 128 reads.
int ts860_wait_until_clear(Ts860Requests& r, uint8_t mask, const char* maskName);
// The 1078-byte BMP header and grey palette.
void ts860_fill_bmp_header(uint8_t* bitmap, uint32_t width, uint32_t lines, uint32_t pixelsPerMetre);
// Reads total lines of width pixels in chunks of up to 40 lines; the first `dropped` are skipped,
// line L after them goes to row lines − 1 − L of pixels. 0, or -1 after the line naming the failure.
int ts860_read_image(Ts860Requests& r, uint32_t width, uint32_t total, uint32_t dropped, uint32_t lines,
                     uint8_t* pixels);
