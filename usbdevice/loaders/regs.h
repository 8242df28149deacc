/* The registers the loader uses, by chip kind (LOADER_FX2 or LOADER_AN21), at their addresses in the 8051's
   external data space as the chips' technical reference manuals give them.

   On the chip (SDCC) a register is a plain access to that address. On the host the same code goes through
   loader_model_read/loader_model_write, which a test implements with a model of the chip. */
#ifndef LOADER_REGS_H
#define LOADER_REGS_H

#include <stdint.h>

#if defined(LOADER_FX2)
#define USBIRQ 0xE65Du
#define EP0CS 0xE6A0u
#define SETUPDAT 0xE6B8u
#define I2CS 0xE678u
#define I2DAT 0xE679u
#define I2CTL 0xE67Au
/* One 64-byte buffer for both directions, counted by EP0BCH:EP0BCL. */
#define EP0BCH 0xE68Au
#define EP0BCL 0xE68Bu
#define EP0_IN_BUF 0xE740u
#define EP0_OUT_BUF 0xE740u
#define EP0_IN_COUNT EP0BCL
#define EP0_OUT_COUNT EP0BCL
#define EP0CS_STALL 0x01u
#define EP0CS_HSNAK 0x80u
#define EP0CS_IN_BUSY 0x02u
#define EP0CS_OUT_BUSY 0x02u
#elif defined(LOADER_AN21)
#define USBIRQ 0x7FABu
#define EP0CS 0x7FB4u
#define SETUPDAT 0x7FE8u
#define I2CS 0x7FA5u
#define I2DAT 0x7FA6u
/* A buffer and a byte count for each direction. */
#define EP0_IN_BUF 0x7F00u
#define EP0_OUT_BUF 0x7EC0u
#define EP0_IN_COUNT 0x7FB5u
#define EP0_OUT_COUNT 0x7FC5u
#define EP0CS_STALL 0x01u
#define EP0CS_HSNAK 0x02u
#define EP0CS_IN_BUSY 0x04u
#define EP0CS_OUT_BUSY 0x08u
#else
#error "define LOADER_FX2 or LOADER_AN21"
#endif

/* Bits both chips share. */
#define USBIRQ_SUDAV 0x01u /* a setup packet arrived; write 1 to clear */
#define I2CS_START 0x80u
#define I2CS_STOP 0x40u
#define I2CS_LASTRD 0x20u
#define I2CS_BERR 0x04u
#define I2CS_ACK 0x02u
#define I2CS_DONE 0x01u

#if defined(__SDCC)
#define RD(address) (*(volatile __xdata uint8_t*)(address))
#define WR(address, value) (RD(address) = (value))
#else
#ifdef __cplusplus
extern "C" {
#endif
uint8_t loader_model_read(uint16_t address);
void loader_model_write(uint16_t address, uint8_t value);
#ifdef __cplusplus
}
#endif
#define RD(address) loader_model_read(address)
#define WR(address, value) loader_model_write((address), (value))
#endif

#endif
