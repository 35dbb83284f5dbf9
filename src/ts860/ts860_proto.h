#pragma once

#include <cstdint>

struct ts860_context;

// The TS860's request vocabulary and the device operations that are not scanning: the status
// register, the initialisation block, the pre-command, the motor-table load, the protocol start,
// the paper feed (eject) and the cleaning cycle. 0 for success, -1 for a failed transfer, -2 for a
// status answer without its check marker, 1 where a function says so; one diagnostic line on
// standard error per failure ("<function>:<step>: ts860_devicerequest failed.").

inline constexpr uint8_t TS860_REGISTER101_MASK_MOTORENB = 0x01;
inline constexpr uint8_t TS860_REGISTER101_MASK_NOPAPER = 0x08;
inline constexpr uint8_t TS860_REGISTER101_MASK_BUFEMPTY = 0x40;

// The status register (0 to 255), -1 when the request failed, -2 without the 0x55 marker.
int ts860_read_register101(ts860_context* context);
// 1 when paper is at the sensor, 0 when not, or the status read's negative result.
int ts860_ispaperon(ts860_context* context);
int ts860_proto_init(ts860_context* context);
int ts860_initcommand(ts860_context* context);
int ts860_precommand(ts860_context* context);
int ts860_prefeed(ts860_context* context);
// Ejects the card: maximum time in ms (negative: no limit); extra time after the paper has left
// (below 1: stop at once; -2: ignore the sensor).
int ts860_feed(ts860_context* context, int32_t maximum, int32_t extra);
// Moves a cleaning sheet through: a lead-in run and two runs per pass, each waited for up to the
// limit (negative: no limit).
int ts860_cleaning(ts860_context* context, int32_t passes, int32_t limit);

// The driver's sleeps; tests and the simulator may replace them with a clock of their own.
using ts860_sleep_function = void (*)(int milliseconds);
void ts860_set_sleep_function(ts860_sleep_function sleep);
void ts860_sleep(int milliseconds);
