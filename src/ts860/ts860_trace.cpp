#include "ts860_trace.h"

#include <openssl/sha.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

std::mutex traceLock;

std::string hex(const unsigned char* data, size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  return text;
}

std::string dataField(const unsigned char* data, int length) {
  if (!data || length <= 0) return "-";
  if (length > 64) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(data, size_t(length), digest);
    return "sha256:" + hex(digest, sizeof digest);
  }
  return hex(data, size_t(length));
}

// Appends one line to the trace file, when there is one.
void writeLine(const std::string& line) {
  const char* path = std::getenv("TS860_TRACE");
  if (!path || !*path) return;
  std::lock_guard guard(traceLock);
  if (FILE* file = std::fopen(path, "a")) {
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

}  // namespace

void ts860_trace_control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint16_t length,
                         const unsigned char* data, int dataLength, int rc) {
  char head[64];
  std::snprintf(head, sizeof head, "ctrl %02x %02x %04x %04x %u ", requestType, request, value, index,
                unsigned(length));
  writeLine(head + dataField(data, dataLength) + " rc=" + std::to_string(rc));
}

void ts860_trace_bulk_out(uint32_t length, const unsigned char* data, int rc) {
  writeLine("bulk-out " + std::to_string(length) + ' ' + dataField(data, int(length)) + " rc=" + std::to_string(rc));
}

void ts860_trace_bulk_in(uint32_t wanted, uint32_t received, const unsigned char* data, int rc) {
  writeLine("bulk-in " + std::to_string(wanted) + ' ' + std::to_string(received) + ' ' +
            dataField(data, int(received)) + " rc=" + std::to_string(rc));
}
