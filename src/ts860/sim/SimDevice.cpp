#include "SimDevice.h"

#include <libusb.h>

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "ts860_proto.h"

namespace {

constexpr int64_t kTransferMicroseconds = 250;  // one request's round trip
constexpr int64_t kBytesPerMicrosecond = 40;    // bulk data rate
constexpr int64_t kStepMicroseconds = 150;      // one motor step
constexpr int kEjectSteps = 2000;               // steps that carry a card past the sensor
constexpr int64_t kNextCardMicroseconds = 500000;
constexpr int64_t kFirstLineMicroseconds = 30000;
constexpr int64_t kMotorStopMicroseconds = 20000;
constexpr uint32_t kImageAddress = 0x10000000;
constexpr uint32_t kToneAddress = 0x01000000;
constexpr uint32_t kShadingAddress = 0x10014000;
constexpr size_t kToneBytes = 512;
constexpr size_t kShadingBytes = 6152;

struct MotorSlot {
  uint32_t address;
  uint8_t countHigh;
};
constexpr MotorSlot kMotorSlots[] = {
    {0x10000000, 0xA4}, {0x10004000, 0xAA}, {0x10008000, 0xAC}, {0x1000C000, 0xAE}, {0x10010000, 0xB0}};

std::atomic<SimDevice*> activeDevice{nullptr};

void sleepOnActiveDevice(int milliseconds) {
  if (SimDevice* device = activeDevice.load())
    device->sleep(milliseconds);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string format(const char* pattern, auto... values) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

uint32_t le32(const unsigned char* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

bool isRequest(uint8_t request, uint16_t value, uint16_t index, uint16_t length, uint8_t r, uint16_t v, uint16_t i,
               uint16_t l) {
  return request == r && value == v && index == i && length == l;
}

}  // namespace

SimFaults SimFaults::from(const std::map<std::string, double>& numbers) {
  SimFaults faults;
  const auto number = [&numbers](const char* key) {
    const auto found = numbers.find(key);
    return found == numbers.end() ? 0 : int(found->second);
  };
  faults.failRequest = number("fail_request");
  faults.missingMarker = number("missing_marker");
  faults.detachAfter = number("detach_after");
  faults.detachDuringScan = number("detach_during_scan") != 0;
  faults.stuckBufempty = number("stuck_bufempty") != 0;
  return faults;
}

SimDevice::SimDevice(SimFolder folder) : folder_(std::move(folder)) {
  const auto settings = folder_.numbers(QStringLiteral("settings"));
  sensor_ = SensorSettings::from(settings);
  if (const auto scale = settings.find("time_scale"); scale != settings.end())
    timeScale_ = std::max(0.0, scale->second);
  faults_ = SimFaults::from(folder_.numbers(QStringLiteral("faults")));
  activeDevice.store(this);
  ts860_set_sleep_function(&sleepOnActiveDevice);
}

SimDevice::~SimDevice() {
  SimDevice* self = this;
  if (activeDevice.compare_exchange_strong(self, nullptr)) ts860_set_sleep_function(nullptr);
}

void SimDevice::sleep(int milliseconds) { advance(int64_t(std::max(milliseconds, 0)) * 1000); }

void SimDevice::advance(int64_t microseconds) {
  now_ += microseconds;
  if (timeScale_ <= 0) return;
  // Short waits are gathered, so that a poll loop does not pay a system call per request.
  sleepOwed_ += int64_t(double(microseconds) * timeScale_);
  if (sleepOwed_ < 2000) return;
  std::this_thread::sleep_for(std::chrono::microseconds(sleepOwed_));
  sleepOwed_ = 0;
}

int SimDevice::breaks(const std::string& rule) {
  folder_.log("rule: " + rule);
  pending_ = {};
  return LIBUSB_ERROR_PIPE;  // the device stalls the request
}

int SimDevice::beginTransfer() {
  advance(kTransferMicroseconds);
  ++transfers_;
  if (!gone_ && !folder_.attached()) {
    folder_.log("device: detached");
    gone_ = true;
  }
  if (!gone_ && faults_.detachAfter > 0 && transfers_ > faults_.detachAfter) {
    folder_.log(format("fault: the device leaves the bus after %d transfers", faults_.detachAfter));
    folder_.detach();
    gone_ = true;
  }
  if (gone_) return LIBUSB_ERROR_NO_DEVICE;
  if (transfers_ == faults_.failRequest) {
    folder_.log(format("fault: transfer %d fails", transfers_));
    return LIBUSB_ERROR_IO;
  }
  update();
  return 0;
}

int SimDevice::stepsMoved() const {
  if (run_ != Run::Motor) return 0;
  return int(std::min<int64_t>(runSteps_, (now_ - runStart_) / kStepMicroseconds));
}

void SimDevice::update() {
  if (run_ == Run::Motor && !card_.isEmpty() && runDirection_ > 0 && cardPosition_ + stepsMoved() >= kEjectSteps) {
    if (!folder_.eject(card_))
      folder_.log("hopper: cannot move " + QFileInfo(card_).fileName().toStdString() + " to done/");
    card_.clear();
    nextCardAt_ = now_ + kNextCardMicroseconds;
  }
  if (run_ == Run::Motor && now_ >= runEnd_) stopMotor();
  if (card_.isEmpty() && run_ != Run::Motor && now_ >= nextCardAt_) {
    card_ = folder_.firstCard();
    cardPosition_ = 0;
  }
}

int SimDevice::linesReady() const {
  if (run_ != Run::Scan || faults_.stuckBufempty || now_ < firstLineAt_) return 0;
  return int(std::min<int64_t>(imageLines_, 1 + (now_ - firstLineAt_) / lineMicroseconds_));
}

int SimDevice::statusRegister() {
  int status = 0;
  const bool motorRuns =
      (run_ == Run::Motor && now_ < runEnd_) ||
      (run_ == Run::Scan && now_ < firstLineAt_ + imageLines_ * lineMicroseconds_ + kMotorStopMicroseconds);
  if (motorRuns) status |= TS860_REGISTER101_MASK_MOTORENB;
  if (card_.isEmpty()) status |= TS860_REGISTER101_MASK_NOPAPER;
  if (size_t(linesReady()) * size_t(imageWidth_) <= delivered_) status |= TS860_REGISTER101_MASK_BUFEMPTY;
  return status;
}

int SimDevice::control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, unsigned char* data,
                       uint16_t length, unsigned) {
  const bool in = (requestType & 0x80) != 0;
  if (in) std::memset(data, 0, length);
  if (const int failed = beginTransfer()) return failed;
  if (pending_.kind == PendingMemory::Write)
    return breaks(format("a memory write header (0x%08x, %u bytes) must be followed by a bulk write of its bytes",
                         pending_.address, pending_.count));
  if (pending_.kind == PendingMemory::Read)
    return breaks(format("a memory read header (%u bytes) must be followed by a bulk read", pending_.count));
  if (!protocolStarted_) return breaks("no request may come before the protocol start");
  if (in && requestType == 0xC0 && isRequest(request, value, index, length, 0x04, 0x018E, 0x0122, 2)) {
    data[0] = uint8_t(statusRegister());
    data[1] = ++statusReads_ == faults_.missingMarker ? 0x00 : 0x55;
    if (data[1] != 0x55) folder_.log(format("fault: status read %d without its marker", statusReads_));
    return length;
  }
  if (in && requestType == 0xC0 &&
      (isRequest(request, value, index, length, 0x0C, 0x008E, 0x0000, 1) ||
       isRequest(request, value, index, length, 0x04, 0x008E, 0x3122, 2) ||
       isRequest(request, value, index, length, 0x04, 0x018E, 0x0222, 5)))
    return length;
  if (!in && requestType == 0x40 && request == 0x04 && value == 0x0083 && index == 0) {
    const int written = writeRegisters(data, length);
    return written < 0 ? written : length;
  }
  if (!in && requestType == 0x40 && request == 0x04 && value == 0x0082 && index <= 1 && length == 8) {
    pending_ = {index == 1 ? PendingMemory::Write : PendingMemory::Read, le32(data), le32(data + 4)};
    if (pending_.kind == PendingMemory::Read && pending_.address != kImageAddress)
      return breaks(format("image data is read at 0x%08x only, not at 0x%08x", kImageAddress, pending_.address));
    if (pending_.kind == PendingMemory::Read && run_ != Run::Scan)
      return breaks("image data may be read only after a scan was started");
    return length;
  }
  if (!in && requestType == 0x40 && request == 0x0C && value == 0x008C && (index == 0x10 || index == 0x13) &&
      length == 1)
    return length;
  return breaks(format("unknown request: type %02x request %02x value %04x index %04x length %u", requestType, request,
                       value, index, unsigned(length)));
}

int SimDevice::writeRegisters(const unsigned char* pairs, int length) {
  if (length < 2 || length > 64 || length % 2)
    return breaks(format("a register write carries 1 to 32 pairs, not %d bytes", length));
  for (int i = 0; i < length; i += 2)
    if (const int failed = setRegister(pairs[i], pairs[i + 1])) return failed;
  return 0;
}

int SimDevice::setRegister(uint8_t address, uint8_t value) {
  registers_[address] = value;
  if (address == 0x0F && value == 0xFF) return start();
  if (address == 0x02 && value == 0x68) stopMotor();
  if (address == 0x0E && value == 0xFF && run_ == Run::Scan) {
    run_ = Run::Idle;  // the initialisation ends a scan and drops its unread data
    image_.clear();
  }
  return 0;
}

uint32_t SimDevice::registerValue(uint8_t first, int bytes) const {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | registers_[size_t(first + i)];
  return value;
}

const uint8_t* SimDevice::memoryAt(uint32_t address, size_t size) const {
  const auto found = memory_.find(address);
  return found != memory_.end() && found->second.size() == size ? found->second.data() : nullptr;
}

std::string SimDevice::slotCountMismatch() const {
  for (const MotorSlot& slot : kMotorSlots) {
    const auto table = memory_.find(slot.address);
    const size_t entries = table == memory_.end() ? 0 : table->second.size() / 2;
    const uint32_t count = registerValue(slot.countHigh, 2);
    if (entries != count)
      return format("the motor table at 0x%08x has %zu entries, its count registers %02X/%02X say %u", slot.address,
                    entries, slot.countHigh, slot.countHigh + 1, count);
  }
  return {};
}

int SimDevice::start() {
  if (const std::string mismatch = slotCountMismatch(); !mismatch.empty()) return breaks(mismatch);
  const uint8_t mode = registers_[0x02];
  if (mode == 0x78 || mode == 0x70 || mode == 0x7C) return startMotor(mode == 0x7C ? -1 : 1);
  if (mode == 0x10) return startScan();
  return breaks(format("a run cannot start in mode %02X", mode));
}

int SimDevice::startMotor(int direction) {
  stopMotor();
  run_ = Run::Motor;
  runStart_ = now_;
  runSteps_ = int(registerValue(0x3D, 3));
  runEnd_ = now_ + runSteps_ * kStepMicroseconds;
  runDirection_ = direction;
  return 0;
}

void SimDevice::stopMotor() {
  if (run_ != Run::Motor) return;
  if (!card_.isEmpty()) cardPosition_ += runDirection_ * stepsMoved();
  run_ = Run::Idle;
}

Sheet SimDevice::sheetAtSensor() const {
  Sheet sheet;
  if (card_.isEmpty()) return sheet;
  const QString name = QFileInfo(card_).fileName();
  sheet.kind = Sheet::White;
  if (name == QLatin1String("calibration") || name == QLatin1String("cleaning")) return sheet;
  if (sheet.card.load(card_)) {
    sheet.kind = Sheet::Card;
  } else {
    folder_.log("hopper: " + name.toStdString() + " is not an image; scanned as blank paper");
  }
  return sheet;
}

int SimDevice::startScan() {
  stopMotor();
  ScanWindow window;
  window.startPixel = int(registerValue(0x82, 3) & 0x1FFFF);
  window.endPixel = int(registerValue(0x85, 3) & 0x1FFFF);
  window.dpi = int(registerValue(0x2C, 2));
  window.lines = int(registerValue(0x25, 3) & 0xFFFFF);
  window.lamp = (registers_[0x03] & 0x10) != 0;
  window.corrected = (registers_[0x05] & 0x08) != 0;
  window.shading = memoryAt(kShadingAddress, kShadingBytes);
  window.tone = memoryAt(kToneAddress, kToneBytes);
  if (window.dpi == 0) return breaks("a scan cannot start at resolution 0 (registers 2C/2D)");
  if (window.width() == 0 || window.lines == 0)
    return breaks(format("the scan window (pixels %d to %d, %d lines) is empty", window.startPixel, window.endPixel,
                         window.lines));
  if (registerValue(0x28, 3) != uint32_t(window.width() / 8))
    return breaks(
        format("the line length registers 28-2A say %u, the window %d / 8", registerValue(0x28, 3), window.width()));
  image_ = formImage(sensor_, sheetAtSensor(), window);
  imageWidth_ = window.width();
  imageLines_ = window.lines;
  delivered_ = 0;
  run_ = Run::Scan;
  firstLineAt_ = now_ + kFirstLineMicroseconds;
  lineMicroseconds_ = 1000000 * 2 / (5 * window.dpi);  // 2.5 inches a second
  return 0;
}

int SimDevice::bulkIn(unsigned char* data, int length, int* transferred, unsigned timeout) {
  *transferred = 0;
  if (const int failed = beginTransfer()) return failed;
  if (pending_.kind != PendingMemory::Read) return breaks("a bulk read must follow a memory read header");
  if (uint32_t(length) != pending_.count)
    return breaks(format("a bulk read of %d bytes after a memory read header for %u", length, pending_.count));
  pending_ = {};
  return readImage(data, length, transferred, timeout);
}

int SimDevice::readImage(unsigned char* data, int length, int* transferred, unsigned timeout) {
  if (faults_.detachDuringScan && delivered_ >= image_.size() / 2) {
    folder_.log("fault: the device leaves the bus during the scan");
    faults_.detachDuringScan = false;
    folder_.detach();
    gone_ = true;
    return LIBUSB_ERROR_NO_DEVICE;
  }
  const size_t available = image_.size() - delivered_;
  const size_t wanted = size_t(length);
  const int linesNeeded =
      imageWidth_ ? int((delivered_ + std::min(wanted, available) + imageWidth_ - 1) / imageWidth_) : 0;
  const int64_t readyAt = firstLineAt_ + int64_t(std::max(linesNeeded - 1, 0)) * lineMicroseconds_;
  const int64_t limit = int64_t(timeout) * 1000;
  if (wanted > available || faults_.stuckBufempty || readyAt - now_ > limit) {
    // The device does not have the data: the transfer ends at its time-out with what there was.
    advance(limit);
    const size_t sent = faults_.stuckBufempty ? 0 : std::min(wanted, available);
    std::memcpy(data, image_.data() + delivered_, sent);
    delivered_ += sent;
    *transferred = int(sent);
    return LIBUSB_ERROR_TIMEOUT;
  }
  advance(std::max<int64_t>(readyAt - now_, 0) + int64_t(wanted) / kBytesPerMicrosecond);
  std::memcpy(data, image_.data() + delivered_, wanted);
  delivered_ += wanted;
  *transferred = length;
  return 0;
}

int SimDevice::bulkOut(const unsigned char* data, int length, int* transferred, unsigned) {
  *transferred = 0;
  if (const int failed = beginTransfer()) return failed;
  if (pending_.kind == PendingMemory::Read) return breaks("a memory read header must be followed by a bulk read");
  if (pending_.kind == PendingMemory::Write) {
    if (uint32_t(length) != pending_.count)
      return breaks(format("a bulk write of %d bytes after a memory write header for %u", length, pending_.count));
    memory_[pending_.address].assign(data, data + length);
    pending_ = {};
    *transferred = length;
    return 0;
  }
  static const unsigned char kProtocolStart[] = {0x01, 0x07, 0x00, 0x01};
  if (length == 4 && std::memcmp(data, kProtocolStart, 4) == 0) {
    protocolStarted_ = true;
    *transferred = length;
    return 0;
  }
  return breaks(format("a bulk write of %d bytes must follow a memory write header", length));
}
