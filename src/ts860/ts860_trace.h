#pragma once

#include <cstdint>

// The transfer trace: when TS860_TRACE names a file, one line per transfer is appended, fields
// separated by one space, hexadecimal in lower case without prefix:
//   ctrl TT RR VVVV IIII LEN DATA rc=N
//   bulk-out LEN DATA rc=N
//   bulk-in WANTED RECEIVED DATA rc=N
// DATA is "-" when there is none and "sha256:" and the digest when longer than 64 bytes.
void ts860_trace_control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                         const unsigned char* data, int dataLength, int rc);
void ts860_trace_bulk_out(uint32_t length, const unsigned char* data, int rc);
void ts860_trace_bulk_in(uint32_t wanted, uint32_t received, const unsigned char* data, int rc);
