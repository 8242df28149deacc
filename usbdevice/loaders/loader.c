/* A RAM loader for a console chip without firmware: vendor request 0xA2 on endpoint 0 reads and writes the
   boot EEPROM through the chip's I2C master.
     40/A2  the data stage's bytes are written from the EEPROM address in wValue
     C0/A2  wLength bytes are read from that address
   wIndex 0 and at most 64 bytes (one endpoint-0 packet) a request. A request the bus does not carry through,
   any other vendor request and any other form of 0xA2 are stalled. Standard requests and the RAM request
   0xA0 stay with the chip's core: the loader never takes the device over from it.

   The EEPROM answers at I2C address 0x51 and takes two address bytes (the boot EEPROM of both chip kinds
   for images that load code). Writes go in aligned 32-byte pages, so that none crosses a page of any such
   EEPROM; after each page the loader addresses the EEPROM until it acknowledges again, which it does once
   its write cycle has ended. A write is answered only after its last cycle ended.

   A new setup packet that arrives while a request is served means the host gave that request up (its
   transfer timed out, or it sent the next one): its bus work is finished, but nothing then answers it, as
   the chip would take that for the answer to the new packet, which the next poll serves. */
#include "loader.h"
#include "regs.h"

#define REQUEST_RAM 0xA0u
#define REQUEST_EEPROM 0xA2u
#define MAX_PACKET 64u
#define EEPROM_WRITE 0xA2u /* I2C address 0x51, then the direction bit */
#define EEPROM_READ 0xA3u
#define PAGE 32u

/* The hardware ends a byte or a stop condition by itself within a fraction of a millisecond; the bound
   only keeps a stuck bus from hanging the loader. */
#define BUS_WAIT 20000u
/* One addressing attempt takes about 0.1 ms on a 100 kHz bus: 1000 of them outlast any write cycle. */
#define READY_ATTEMPTS 1000u

#define ANSWER_OK 0u
#define ANSWER_STALL 1u
#define ANSWER_NONE 2u /* the host gave the request up: a new setup packet waits */

/* The status once the byte on the bus is done, or 0 after a bus error or no end. */
static uint8_t wait_byte(void) {
  uint16_t n = BUS_WAIT;
  uint8_t status;
  do {
    status = RD(I2CS);
    if (status & I2CS_BERR) {
      return 0;
    }
    if (status & I2CS_DONE) {
      return status;
    }
  } while (--n);
  return 0;
}

static void wait_stopped(void) {
  uint16_t n = BUS_WAIT;
  while ((RD(I2CS) & I2CS_STOP) && --n) {
  }
}

static void stop(void) {
  WR(I2CS, I2CS_STOP);
  wait_stopped();
}

/* 1 when the byte was acknowledged. */
static uint8_t send(uint8_t byte) {
  WR(I2DAT, byte);
  return (wait_byte() & I2CS_ACK) != 0;
}

static uint8_t start(uint8_t control) {
  WR(I2CS, I2CS_START);
  return send(control);
}

/* Addresses the EEPROM for writing, again while it does not acknowledge (busy with a write cycle). The bus
   is stopped when it never answers. */
static uint8_t select_eeprom(void) {
  uint16_t attempts = READY_ATTEMPTS;
  while (!start(EEPROM_WRITE)) {
    stop();
    if (!--attempts) {
      return 0;
    }
  }
  return 1;
}

/* The EEPROM selected and its address pointer at `at`; the bus is stopped on failure. */
static uint8_t set_address(uint16_t at) {
  if (!select_eeprom()) {
    return 0;
  }
  if (send((uint8_t)(at >> 8)) && send((uint8_t)at)) {
    return 1;
  }
  stop();
  return 0;
}

/* Writes n bytes of the endpoint-0 OUT buffer, from offset `from`, inside one page, and waits for the end
   of the write cycle. */
static uint8_t write_page(uint16_t at, uint8_t from, uint8_t n) {
  uint8_t ok;
  if (!set_address(at)) {
    return 0;
  }
  ok = 1;
  while (ok && n) {
    ok = send(RD(EP0_OUT_BUF + from));
    ++from;
    --n;
  }
  stop();
  if (!ok || !select_eeprom()) {
    return 0;
  }
  stop();
  return 1;
}

/* Reads n (1 to 64) bytes into the endpoint-0 IN buffer. Each read of I2DAT hands over the byte received
   last and clocks in the next one; LASTRD before the read that starts the last byte leaves that byte
   unacknowledged, and the read made straight after setting STOP, as the chips' procedure asks, hands over
   the last byte and clocks nothing more. */
static uint8_t read_eeprom(uint16_t at, uint8_t n) {
  uint8_t i;
  uint8_t byte;
  if (!set_address(at)) {
    return 0;
  }
  if (!start(EEPROM_READ)) { /* a repeated start: the address pointer stays */
    stop();
    return 0;
  }
  for (i = 0; i < n; ++i) {
    if (i == n - 1) {
      WR(I2CS, I2CS_LASTRD);
    }
    byte = RD(I2DAT);
    if (i) {
      WR(EP0_IN_BUF + i - 1, byte);
    }
    if (!wait_byte()) {
      WR(I2CS, I2CS_LASTRD | I2CS_STOP);
      (void)RD(I2DAT);
      wait_stopped();
      return 0;
    }
  }
  WR(I2CS, I2CS_LASTRD | I2CS_STOP);
  byte = RD(I2DAT); /* at once; the buffer's address is worked out afterwards */
  WR(EP0_IN_BUF + n - 1, byte);
  wait_stopped();
  return 1;
}

/* 1 when a setup packet arrived since the current one was taken: the host gave the current request up. */
static uint8_t new_setup(void) {
  return (RD(USBIRQ) & USBIRQ_SUDAV) != 0;
}

/* Waits while endpoint 0 holds its buffer; 0 when a new setup packet came instead (the buffer's state
   belongs to the new one). */
static uint8_t wait_ep0(uint8_t busy) {
  while ((RD(EP0CS) & busy) && !new_setup()) {
  }
  return !new_setup();
}

static uint8_t eeprom_out(uint16_t at, uint8_t length) {
  uint8_t from = 0;
  uint8_t n;
  if (length) {
#ifdef EP0BCH
    WR(EP0BCH, 0);
#endif
    WR(EP0_OUT_COUNT, 0); /* any write arms the buffer for the data stage */
    if (!wait_ep0(EP0CS_OUT_BUSY)) {
      return ANSWER_NONE;
    }
    if (RD(EP0_OUT_COUNT) != length) {
      return ANSWER_STALL;
    }
  }
  while (from < length) {
    n = PAGE - (uint8_t)(at & (PAGE - 1));
    if (n > (uint8_t)(length - from)) {
      n = length - from;
    }
    if (!write_page(at, from, n)) {
      return ANSWER_STALL;
    }
    at += n;
    from += n;
  }
  return ANSWER_OK;
}

static uint8_t eeprom_in(uint16_t at, uint8_t length) {
  if (!length) {
    return ANSWER_OK;
  }
  if (!wait_ep0(EP0CS_IN_BUSY)) {
    return ANSWER_NONE;
  }
  if (!read_eeprom(at, length)) {
    return ANSWER_STALL;
  }
  if (new_setup()) {
    return ANSWER_NONE; /* the byte count would send these bytes as the new request's data */
  }
#ifdef EP0BCH
  WR(EP0BCH, 0);
#endif
  WR(EP0_IN_COUNT, length);
  return ANSWER_OK;
}

/* Answers a vendor request: 0xA2 to or from the EEPROM, anything else stalled. */
static uint8_t vendor_request(uint8_t type) {
  uint16_t at;
  uint8_t length;
  if ((type & 0x7Fu) != 0x40u || RD(SETUPDAT + 1) != REQUEST_EEPROM || RD(SETUPDAT + 4) || RD(SETUPDAT + 5) ||
      RD(SETUPDAT + 7) || RD(SETUPDAT + 6) > MAX_PACKET) {
    return ANSWER_STALL;
  }
  at = RD(SETUPDAT + 2) | ((uint16_t)RD(SETUPDAT + 3) << 8);
  length = RD(SETUPDAT + 6);
  if (length && (uint16_t)(at + length - 1u) < at) {
    return ANSWER_STALL; /* past the end of the 64 KiB the EEPROM's address bytes reach */
  }
  return (type & 0x80u) ? eeprom_in(at, length) : eeprom_out(at, length);
}

void loader_init(void) {
#ifdef I2CTL
  WR(I2CTL, 0); /* 100 kHz, which every such EEPROM takes; no stop interrupt */
#endif
}

void loader_poll(void) {
  uint8_t type;
  uint8_t answer;
  if (!(RD(USBIRQ) & USBIRQ_SUDAV)) {
    return;
  }
  WR(USBIRQ, USBIRQ_SUDAV); /* cleared before the packet is read, so that a newer one is not missed */
  type = RD(SETUPDAT);
  if ((type & 0x60u) != 0x40u || RD(SETUPDAT + 1) == REQUEST_RAM) {
    return; /* the core's */
  }
  answer = vendor_request(type);
  if (answer == ANSWER_NONE || new_setup()) {
    return; /* given up, maybe while on the bus: the handshake is the new packet's, served next */
  }
  if (answer == ANSWER_OK) {
    WR(EP0CS, EP0CS_HSNAK); /* lets the status stage complete */
  } else {
    WR(EP0CS, EP0CS_STALL | EP0CS_HSNAK);
  }
}
