// The USB layer under the WDU-style names the USB programs call it by (thin wrappers of wdu.h
// and os.h; see there for what each call promises).
//
// How to use them:
//   wdu::DriverHandle driver = 0;
//   WDU_Init(&driver, rows, rowCount, events, wdu::kAcknowledge);
//   WDU_Transfer(device, 0, true, 0, buf, 16, &done, setup, 1000);
//   wdu::OsMutex* lock = nullptr;  OsMutexCreate(&lock);  OsMutexLock(lock);  ...  OsMutexClose(lock);
#pragma once

#include <new>

#include "platform/wdu/os.h"
#include "platform/wdu/wdu.h"

inline wdu::Status WDU_Init(wdu::DriverHandle* driver, const wdu::MatchRow* rows, uint32_t rowCount,
                            const wdu::Events& events, uint32_t options) {
  if (driver == nullptr || (rows == nullptr && rowCount > 0)) return wdu::kInvalidParameter;
  return wdu::Init(*driver, std::span<const wdu::MatchRow>(rows, rowCount), events, options);
}

inline wdu::Status WDU_Uninit(wdu::DriverHandle driver) {
  return wdu::Uninit(driver);
}

inline wdu::Status WDU_SetInterface(wdu::DeviceHandle device, uint32_t interfaceNumber,
                                    uint32_t alternateSetting) {
  return wdu::SetInterface(device, interfaceNumber, alternateSetting);
}

inline wdu::Status WDU_GetDeviceInfo(wdu::DeviceHandle device, wdu::DeviceInfo& info) {
  return wdu::GetDeviceInfo(device, info);
}

inline wdu::Status WDU_Transfer(wdu::DeviceHandle device, uint32_t pipe, bool read, uint32_t options,
                                void* buffer, uint32_t len, uint32_t* bytesTransferred, const uint8_t* setup,
                                uint32_t timeoutMs) {
  return wdu::Transfer(device, pipe, read, options, buffer, len, bytesTransferred, setup, timeoutMs);
}

inline wdu::Status WDU_TransferBulk(wdu::DeviceHandle device, uint32_t endpoint, bool read, uint32_t options,
                                    void* buffer, uint32_t len, uint32_t* bytesTransferred,
                                    uint32_t timeoutMs) {
  return wdu::TransferBulk(device, endpoint, read, options, buffer, len, bytesTransferred, timeoutMs);
}

inline const char* Stat2Str(wdu::Status status) {
  return wdu::StatusText(status);
}

// ---- OS objects by pointer handle: Create makes one (kNoResources if it cannot), Close frees it. ----

inline wdu::Status OsMutexCreate(wdu::OsMutex** mutex) {
  if (mutex == nullptr) return wdu::kInvalidParameter;
  *mutex = new (std::nothrow) wdu::OsMutex;
  return *mutex ? wdu::kSuccess : wdu::kNoResources;
}
inline void OsMutexLock(wdu::OsMutex* mutex) {
  mutex->lock();
}
inline void OsMutexUnlock(wdu::OsMutex* mutex) {
  mutex->unlock();
}
inline void OsMutexClose(wdu::OsMutex* mutex) {
  delete mutex;
}

inline wdu::Status OsEventCreate(wdu::OsEvent** event) {
  if (event == nullptr) return wdu::kInvalidParameter;
  *event = new (std::nothrow) wdu::OsEvent;
  return *event ? wdu::kSuccess : wdu::kNoResources;
}
inline void OsEventSignal(wdu::OsEvent* event) {
  event->set();
}
inline void OsEventReset(wdu::OsEvent* event) {
  event->reset();
}
inline wdu::Status OsEventWait(wdu::OsEvent* event, uint32_t timeoutMs) {
  return event->wait(timeoutMs);
}
inline void OsEventClose(wdu::OsEvent* event) {
  delete event;
}
