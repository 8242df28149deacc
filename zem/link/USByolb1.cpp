#include "zem/link/USByolb1.h"

#include <algorithm>
#include <cstring>

#include "platform/sys/clock.h"

namespace {
constexpr uint8_t kCmdGetVersion = 0x02;
constexpr uint8_t kCmd68 = 0x68;
constexpr uint8_t kCmdB4 = 0xB4;
constexpr uint8_t kCmdAbort = 0xFF;
constexpr uint8_t kCmdSendFrame = 0xA0;
constexpr uint8_t kCmdDuplex = 0xAA;
constexpr uint32_t kAnswerTimeoutMs = 1000;
constexpr uint32_t kMaxPollGapMs = 16;    // the most a late answer waits unseen
constexpr uint32_t kQuietMs = 20;         // a reply's bytes follow each other far closer than this
constexpr uint32_t kFlushLimitMs = 1000;  // a line that never goes quiet is left to the reply checks
constexpr size_t kReplyClearBytes = 101;  // receive-buffer bytes 0..100 are cleared before a duplex exchange
}  // namespace

TUSByolb1::TUSByolb1() : Chip(std::make_unique<TUSB_ft245bm>()) {}

TUSByolb1::~TUSByolb1() {
  if (Opened) Close();
}

int TUSByolb1::Open(int index) {
  const FT_STATUS status = Chip->Open(index);
  Opened = status == FT_OK;
  return static_cast<int>(status);
}

int TUSByolb1::Close() {
  if (!Opened) return 0;
  const FT_STATUS status = Chip->Close();
  Opened = false;
  return static_cast<int>(status);
}

int TUSByolb1::writeBytes(std::span<const uint8_t> bytes) {
  if (bytes.size() > Chip->WriteBuffer.size()) return FT_INVALID_PARAMETER;
  std::copy(bytes.begin(), bytes.end(), Chip->WriteBuffer.begin());
  return static_cast<int>(Chip->Write(static_cast<uint32_t>(bytes.size())));
}

void TUSByolb1::drainReceiveQueue() {
  if (Chip->GetQueueStatus() != FT_OK || Chip->RxBytes == 0) return;
  Chip->Read(Chip->RxBytes);
  Chip->PurgeRx();
}

void TUSByolb1::flushLateBytes() {
  const uint32_t start = sys::tickCount();
  uint32_t quietSince = start;
  while (!sys::timeExceeded(quietSince, kQuietMs, sys::tickCount()) &&
         !sys::timeExceeded(start, kFlushLimitMs, sys::tickCount())) {
    if (Chip->GetQueueStatus() != FT_OK) return;
    if (Chip->RxBytes > 0) {
      Chip->Read(Chip->RxBytes);
      quietSince = sys::tickCount();
    }
    sys::busyWaitPoll();
  }
  Chip->PurgeRx();
}

int TUSByolb1::GetVersion(uint8_t& major, uint8_t& minor) {
  drainReceiveQueue();
  const uint8_t cmd[] = {kCmdGetVersion};
  writeBytes(cmd);
  const int code = WaitFor(2, kAnswerTimeoutMs);
  Chip->ReadBuffer[0] = 0;
  Chip->ReadBuffer[1] = 0;
  if (code != 0) return code;
  const FT_STATUS status = Chip->Read(Chip->RxBytes);
  if (status != FT_OK) return static_cast<int>(status);
  if (Chip->LastReadCount < 2) {
    ReportError("GetVersion", kYolbTimeout);
    return kYolbTimeout;
  }
  major = Chip->ReadBuffer[0];
  minor = Chip->ReadBuffer[1];
  return 0;
}

int TUSByolb1::SendCommand68(uint8_t a, uint8_t b) {
  const uint8_t cmd[] = {kCmd68, a, b};
  return writeBytes(cmd);
}

int TUSByolb1::SendCommandB4(uint8_t n) {
  const uint8_t cmd[] = {kCmdB4, std::max<uint8_t>(n, 2)};
  return writeBytes(cmd);
}

int TUSByolb1::AbortTransfer() {
  const uint8_t cmd[] = {kCmdAbort};
  return writeBytes(cmd);
}

int TUSByolb1::SendFrame(std::span<const uint8_t> data, int length) {
  if (length > kYolbMaxFrame) return kYolbFrameTooLong;
  if (length < 0 || static_cast<size_t>(length) > data.size()) return FT_INVALID_ARGS;
  drainReceiveQueue();
  const uint8_t head[] = {kCmdSendFrame, static_cast<uint8_t>(length)};
  writeBytes(head);
  writeBytes(data.first(static_cast<size_t>(length)));
  return WaitForAcknowledge();
}

int TUSByolb1::DuplexTransfer(std::span<const uint8_t> request, int requestLength, std::span<uint8_t> reply,
                              int replyLength, uint32_t firstByteTimeoutMs) {
  std::fill_n(Chip->ReadBuffer.begin(), kReplyClearBytes, 0);
  if (requestLength > kYolbMaxFrame) return kYolbFrameTooLong;
  // The reply length travels as one byte and must fit the caller's buffer after the box's length byte.
  if (requestLength < 0 || static_cast<size_t>(requestLength) > request.size() || replyLength < 0 ||
      replyLength > 255 || static_cast<size_t>(replyLength) + 1 > reply.size()) {
    return FT_INVALID_ARGS;
  }
  drainReceiveQueue();
  const uint8_t head[] = {kCmdDuplex, static_cast<uint8_t>(requestLength)};
  writeBytes(head);
  writeBytes(request.first(static_cast<size_t>(requestLength)));
  const uint8_t tail[] = {static_cast<uint8_t>(replyLength)};
  writeBytes(tail);

  int result = 0;
  const uint32_t total = static_cast<uint32_t>(replyLength) + 1;  // box length byte + fixture frame
  if (WaitFor(1, firstByteTimeoutMs) != 0) {
    // Nothing came: abort, and take the box's status byte if it sends one, 0 included. A status of 0
    // leaves the caller's buffer empty, and the caller's reply check rejects that.
    AbortTransfer();
    result = kYolbTimeout;
    if (WaitFor(1, kAnswerTimeoutMs) == 0 && Chip->Read(1) == FT_OK && Chip->LastReadCount == 1) {
      result = Chip->ReadBuffer[0];
    }
    Chip->PurgeTx();
    flushLateBytes();
  } else if (WaitFor(total, kAnswerTimeoutMs) != 0) {
    // The reply started but stopped short: result 0 with the caller's buffer as it was, so that the
    // caller's reply check rejects the empty reply (and reconnects).
    Chip->PurgeTx();
    flushLateBytes();
  } else {
    const FT_STATUS status = Chip->Read(total);
    if (status != FT_OK) {
      result = static_cast<int>(status);
    } else if (Chip->LastReadCount < total) {
      ReportError("WaitFor", kYolbTimeout);
      result = kYolbTimeout;
    } else {
      std::copy_n(Chip->ReadBuffer.begin(), total, reply.begin());
    }
  }
  sys::sleepMs(0);
  return result;
}

int TUSByolb1::WaitFor(uint32_t count, uint32_t timeoutMs) {
  const uint32_t start = sys::tickCount();
  FT_STATUS status = Chip->GetQueueStatus();
  if (status != FT_OK) return static_cast<int>(status);
  while (Chip->RxBytes < count) {
    const uint32_t waited = sys::elapsedMs(start, sys::tickCount());
    if (waited > timeoutMs) break;
    // Every millisecond while an answer is due; a wait that has gone on without one looks less often (an
    // eighth of the time waited, at most kMaxPollGapMs apart), so that searching a silent line wakes the
    // program about a hundred times a second instead of a thousand. Never past the moment the wait runs out.
    const uint32_t gap = std::min({std::max<uint32_t>(1, waited / 8), kMaxPollGapMs, timeoutMs + 1 - waited});
    sys::busyWaitPoll(gap);
    status = Chip->GetQueueStatus();
    if (status != FT_OK) return static_cast<int>(status);
  }
  if (Chip->RxBytes < count) {
    ReportError("WaitFor", kYolbTimeout);
    return kYolbTimeout;
  }
  return 0;
}

int TUSByolb1::WaitForAcknowledge() {
  const int code = WaitFor(1, kAnswerTimeoutMs);
  if (code != 0) {
    ReportError("WaitForAcknowledge", code);
    return code;
  }
  return static_cast<int>(Chip->Read(1));
}

void TUSByolb1::ReportError(const std::string& name, int code) {
  if (code == 0) return;
  LastErrorText = code == kYolbTimeout ? name + " - Timeout..." : std::string();
}
