#include <gtest/gtest.h>

#include <algorithm>

#include "StatusScriptBackend.h"
#include "ts860_proto.h"
#include "ts860_usb.h"

namespace {

using Lines = std::vector<std::string>;

class ProtoTest : public testing::Test {
 protected:
  ProtoTest() {
    StatusScriptBackend::clock() = 0;
    ts860_set_sleep_function(&StatusScriptBackend::sleep);
  }
  ~ProtoTest() override {
    ts860_usb_final(context);
    ts860_set_sleep_function(nullptr);
  }

  size_t count(const std::string& line) const {
    return size_t(std::count(device->requests.begin(), device->requests.end(), line));
  }
  size_t statusReads() const { return count("ctrl c0 04 018e 0122 2 in"); }

  StatusScriptBackend* device = new StatusScriptBackend;
  ts860_context* context = ts860_context_with_backend(std::unique_ptr<Ts860Backend>(device));
};

// The initialisation block, request by request, as the device must receive it.
const Lines kInitialisationBlock = {
    "ctrl 40 04 0083 0000 2 0eff",
    "ctrl 40 04 0083 0000 64 01000278038f0405050006d0080009000a000b690c00110012001310147016"
    "3b1704181019001a301b001c001d001e101f0020022100221a2500260027002800",
    "ctrl 40 04 0083 0000 64 29402a002bf02c022d582e802f8030603120330f3279342035"
    "7f360f370038d039003d003e003f01520153045407550a560d57105a1b5b005c407d007e557ff0",
    "ctrl 40 04 0083 0000 64 8000813c8200830084148500862787ec8800892a8a008b008c008d008e008f009000910092009300"
    "940095009600970098009b7f9c7f9f00a1b0a200a301a400",
    "ctrl 40 04 0083 0000 34 a504a600a750a800a950aa00ab04ac00ad01ae00af04b000b101b800b900bd00be00",
    "ctrl 40 04 0083 0000 6 51015d005e79",
    "ctrl 40 04 0083 0000 6 51025d005e21",
    "ctrl 40 04 0083 0000 6 51035d005e16",
    "ctrl 40 04 0083 0000 6 51045d005e3f",
    "ctrl 40 04 0083 0000 6 51065d005e05",
    "ctrl 40 04 0083 0000 6 51085d005e00",
    "ctrl 40 04 0083 0000 6 51205d005e80",
    "ctrl 40 04 0083 0000 6 51215d005e80",
    "ctrl 40 04 0083 0000 6 51225d005e80",
    "ctrl 40 04 0083 0000 6 51285d005e4b",
    "ctrl 40 04 0083 0000 6 51295d005e4b",
    "ctrl 40 04 0083 0000 6 512a5d005e4b",
    "ctrl 40 04 0083 0000 2 0b6a",
    "ctrl 40 04 0083 0000 2 0800",
    "ctrl 40 04 0083 0000 2 0800",
    "ctrl 40 04 0083 0000 2 0b0a",
    "ctrl 40 0c 008c 0010 1 0a",
    "ctrl 40 0c 008c 0013 1 0a",
    "ctrl 40 04 0083 0000 2 1470",
    "ctrl 40 04 0083 0000 2 0650",
    "ctrl 40 04 0083 0000 2 0d02",
    "ctrl 40 04 0083 0000 2 0840",
    "ctrl 40 04 0083 0000 2 d00a",
    "ctrl 40 04 0083 0000 2 d10d",
    "ctrl 40 04 0083 0000 2 d210",
};

TEST_F(ProtoTest, TheInitialisationBlockIsSentAsListed) {
  ASSERT_EQ(ts860_initcommand(context), 0);
  EXPECT_EQ(device->requests, kInitialisationBlock);
  ASSERT_EQ(kInitialisationBlock.size(), 30u);
}

TEST_F(ProtoTest, PreCommandPrefeedAndProtocolStart) {
  ASSERT_EQ(ts860_precommand(context), 0);
  Lines expected{"ctrl c0 0c 008e 0000 1 in"};
  expected.insert(expected.end(), kInitialisationBlock.begin(), kInitialisationBlock.end());
  expected.insert(expected.end(), {"ctrl 40 04 0083 0000 2 3400", "ctrl c0 04 008e 3122 2 in"});
  EXPECT_EQ(device->requests, expected);

  device->requests.clear();
  ASSERT_EQ(ts860_prefeed(context), 0);
  const Lines slots = {"0000000140000000", "00c0001040000000", "0000011040000000"};
  ASSERT_EQ(device->requests.size(), 3u + 2 * 3 + 2 + 3 * 3);
  EXPECT_EQ(device->requests[0], "ctrl 40 04 0083 0000 2 1c00");
  EXPECT_EQ(device->requests[3], "ctrl 40 04 0082 0001 8 00c0001040000000");
  EXPECT_EQ(device->requests[4], "bulk-out 64 ...");
  EXPECT_EQ(device->requests[5], "ctrl 40 04 0083 0000 4 ae00af20");
  EXPECT_EQ(device->requests[8], "ctrl 40 04 0083 0000 4 b000b120");
  EXPECT_EQ(device->requests[11], "ctrl 40 04 0082 0001 8 0000001040000000");
  EXPECT_EQ(device->requests[13], "ctrl 40 04 0083 0000 4 a400a520");
  EXPECT_EQ(device->requests[16], "ctrl 40 04 0083 0000 4 aa00ab20");
  EXPECT_EQ(device->requests[19], "ctrl 40 04 0083 0000 4 ac00ad20");

  device->requests.clear();
  ASSERT_EQ(ts860_proto_init(context), 0);
  EXPECT_EQ(device->requests, Lines{"bulk-out 4 01070001"});
}

TEST_F(ProtoTest, FeedingStopsWhenThePaperHasLeftAndTheExtraTimeIsOver) {
  struct Case {
    const char* name;
    int32_t maximum, extra;
    int paperLeavesAt;  // virtual milliseconds; -1: never
    int sleptUntil;
  } cases[] = {
      {"gone at the first poll", 5000, 0, 0, 0},
      {"extra 500 after leaving at 300", 5000, 500, 300, 800},
      {"extra beyond the maximum", 1000, 5000, 200, 1000},
      {"sensor ignored", 1500, -2, 0, 1500},
      {"paper never leaves", 700, 0, -1, 700},
  };
  for (const Case& c : cases) {
    device->requests.clear();
    StatusScriptBackend::clock() = 0;
    device->status = [&c](int now) { return c.paperLeavesAt >= 0 && now >= c.paperLeavesAt ? 0x08 : 0x01; };
    ASSERT_EQ(ts860_feed(context, c.maximum, c.extra), 0) << c.name;
    EXPECT_EQ(StatusScriptBackend::clock(), c.sleptUntil) << c.name;
    EXPECT_EQ(count("ctrl 40 04 0083 0000 6 3d013e863fa0"), 1u) << c.name;
    EXPECT_EQ(count("ctrl 40 04 0083 0000 2 0268"), 1u) << c.name;
    EXPECT_EQ(device->requests.back(), "ctrl 40 04 0083 0000 2 0eff") << c.name;
    // One poll per 100 ms slept, plus the poll that ended it (when the sensor ended it), plus the
    // status request of the stop sequence.
    EXPECT_GE(statusReads(), size_t(c.sleptUntil / 100 + 1)) << c.name;
  }
}

TEST_F(ProtoTest, CleaningRunsALeadInAndTwoRunsPerPass) {
  device->status = [](int) { return 0x00; };  // the motor stops at once
  for (int passes : {0, 5}) {
    device->requests.clear();
    StatusScriptBackend::clock() = 0;
    ASSERT_EQ(ts860_cleaning(context, passes, 15000), 0);
    EXPECT_EQ(count("ctrl 40 04 0083 0000 6 3d003e003f64"), 1u);
    EXPECT_EQ(count("ctrl 40 04 0083 0000 6 3d003e073f08"), size_t(2 * passes));
    EXPECT_EQ(count("ctrl 40 04 0083 0000 2 0f ff"), 0u);
    EXPECT_EQ(count("ctrl 40 04 0083 0000 2 0fff"), size_t(1 + 2 * passes));
    EXPECT_EQ(count("ctrl 40 04 0083 0000 2 027c"), size_t(3 * passes));
    EXPECT_EQ(statusReads(), size_t(1 + 2 * passes));
    EXPECT_EQ(StatusScriptBackend::clock(), 100 * (1 + 2 * passes));
  }
}

TEST_F(ProtoTest, FailuresEndTheOperationWithTheirLine) {
  device->marker = 0x00;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_read_register101(context), -2);
  EXPECT_EQ(ts860_ispaperon(context), -2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ts860_read_register101:1: b[1] is not 0x55: 0x 0.\nts860_read_register101:1: b[1] is not 0x55: 0x 0.\n");

  device->marker = 0x55;
  device->requests.clear();
  device->failAt = 3;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_initcommand(context), -1);
  const std::string lines = testing::internal::GetCapturedStderr();
  EXPECT_NE(lines.find("ts860_initcommand:3: ts860_devicerequest failed.\n"), std::string::npos) << lines;
  EXPECT_EQ(device->requests.size(), 3u);

  device->requests.clear();
  device->failAt = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_proto_init(context), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ts860_proto_init:1: ts860_writebulk failed.\n"),
            std::string::npos);

  device->failAt = 0;
  device->status = [](int) { return 0x08; };
  EXPECT_EQ(ts860_ispaperon(context), 0);
  device->status = [](int) { return 0x40; };
  EXPECT_EQ(ts860_ispaperon(context), 1);
}

}  // namespace
