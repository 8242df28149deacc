// The library's one export. Everything behind it belongs to the global Connection_watch, built when
// the library is loaded and shut down (threads joined) when it is unloaded.
#include "quillon/quillon.h"

#include "quillon/connection_watch.h"

namespace {

quillon::Connection_watch connectionWatch;

}  // namespace

__attribute__((visibility("default"))) unsigned Quillon(unsigned command, unsigned char device, int value,
                                                        void* data) {
  return connectionWatch.Dispatch(command, device, value, data);
}
