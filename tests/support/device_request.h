// Requests of the current root's device service sent as the suite's programs send them
// (DeviceIoControl on "\\.\QXWMECOM"), for tests that speak to the driver directly.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "host/win_types.h"

namespace qx::test {

// Sends IN_SIZE bytes at IN with CODE on handle H and copies the answer to OUT; true when the
// service took the request and answered with OUT_SIZE bytes.
bool AskDeviceBytes(HANDLE h, std::uint32_t code, const void* in, std::size_t inSize, void* out, std::size_t outSize);
// The same on a handle of its own, so a test's driver link is left as it is; false when the
// device cannot be opened.
bool AskDeviceBytes(std::uint32_t code, const void* in, std::size_t inSize, void* out, std::size_t outSize);

// RECORD sent with CODE, REPLY filled from the answer; on handle H, or on one of its own.
template <typename Record, typename Reply>
bool AskDevice(HANDLE h, std::uint32_t code, const Record& record, Reply& reply) {
  return AskDeviceBytes(h, code, &record, sizeof record, &reply, sizeof reply);
}
template <typename Record, typename Reply>
bool AskDevice(std::uint32_t code, const Record& record, Reply& reply) {
  return AskDeviceBytes(code, &record, sizeof record, &reply, sizeof reply);
}

// The answer to RECORD, a record of its shape; a request the service did not take fails the test.
template <typename Record>
Record DeviceAnswer(std::uint32_t code, Record record) {
  EXPECT_TRUE(AskDevice(code, record, record)) << "request 0x" << std::hex << code;
  return record;
}
template <typename Record>
Record DeviceAnswer(HANDLE h, std::uint32_t code, Record record) {
  EXPECT_TRUE(AskDevice(h, code, record, record)) << "request 0x" << std::hex << code;
  return record;
}

}  // namespace qx::test
