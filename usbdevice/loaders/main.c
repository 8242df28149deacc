/* The loader's entry point on the chip: the core starts the 8051 here once the host releases its reset. */
#include "loader.h"

void main(void) {
  loader_init();
  for (;;) {
    loader_poll();
  }
}
