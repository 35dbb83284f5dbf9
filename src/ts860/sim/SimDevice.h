#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "SimFolder.h"
#include "SimSensor.h"
#include "ts860_backend.h"

// Faults the folder's "faults" file asks for (read when the device is opened).
struct SimFaults {
  int failRequest = 0;            // the Nth transfer fails (1-based; 0 for none)
  int missingMarker = 0;          // the Nth status read answers without its 0x55 marker
  int detachAfter = 0;            // the device leaves the bus after N transfers
  bool detachDuringScan = false;  // ... or halfway through the next scan's image data
  bool stuckBufempty = false;     // image data never becomes ready

  static SimFaults from(const std::map<std::string, double>& numbers);
};

// A model of the TS860 behind the transport: its register file, memory window, status register,
// motor, paper sensor and image path, on a clock of its own. Every transfer costs a little
// simulated time and the driver's sleeps advance it; the time scale says how much real time a
// simulated millisecond takes (0 for none). It also checks that the host keeps the device's rules,
// failing the transfer that breaks one and naming the rule in the folder's log.
class SimDevice : public Ts860Backend {
 public:
  explicit SimDevice(SimFolder folder);
  ~SimDevice() override;

  int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, unsigned char* data,
              uint16_t length, unsigned timeout) override;
  int bulkIn(unsigned char* data, int length, int* transferred, unsigned timeout) override;
  int bulkOut(const unsigned char* data, int length, int* transferred, unsigned timeout) override;
  const char* controlCall() const override { return "ts860sim_control_transfer"; }
  const char* bulkInCall() const override { return "ts860sim_bulk_transfer"; }
  const char* bulkOutCall() const override { return "ts860sim_bulk_transfer"; }

  // Lets simulated time pass (the driver's sleeps come here while this device is open).
  void sleep(int milliseconds);
  int64_t nowMicroseconds() const { return now_; }

 private:
  enum class Run { Idle, Motor, Scan };
  struct PendingMemory {
    enum Kind { None, Write, Read } kind = None;
    uint32_t address = 0;
    uint32_t count = 0;
  };

  int beginTransfer();
  int breaks(const std::string& rule);
  void advance(int64_t microseconds);
  void update();
  int statusRegister();
  int writeRegisters(const unsigned char* pairs, int length);
  int setRegister(uint8_t address, uint8_t value);
  int start();
  int startMotor(int direction);
  int startScan();
  std::string slotCountMismatch() const;
  int stepsMoved() const;
  void stopMotor();
  Sheet sheetAtSensor() const;
  int linesReady() const;
  uint32_t registerValue(uint8_t first, int bytes) const;
  const uint8_t* memoryAt(uint32_t address, size_t size) const;
  int readImage(unsigned char* data, int length, int* transferred, unsigned timeout);

  SimFolder folder_;
  SensorSettings sensor_;
  SimFaults faults_;
  double timeScale_ = 1.0;
  int64_t now_ = 0;
  int64_t sleepOwed_ = 0;
  int transfers_ = 0;
  int statusReads_ = 0;
  bool gone_ = false;
  bool protocolStarted_ = false;

  std::array<uint8_t, 256> registers_{};
  std::map<uint32_t, std::vector<uint8_t>> memory_;
  PendingMemory pending_;

  Run run_ = Run::Idle;
  int64_t runStart_ = 0;
  int64_t runEnd_ = 0;
  int runDirection_ = 1;
  int runSteps_ = 0;

  QString card_;            // the card at the sensor, empty when none
  int cardPosition_ = 0;    // motor steps the card has moved out since it arrived
  int64_t nextCardAt_ = 0;  // when the next card may reach the sensor

  std::vector<uint8_t> image_;
  int imageWidth_ = 0;
  int imageLines_ = 0;
  size_t delivered_ = 0;
  int64_t firstLineAt_ = 0;
  int64_t lineMicroseconds_ = 0;
};
