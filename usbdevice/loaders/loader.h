/* The loader's request handling, built for the chip (SDCC) and, against a model of the chip, for the host. */
#ifndef LOADER_H
#define LOADER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Sets the I2C master up; called once at the start. */
void loader_init(void);
/* Answers the setup packet that arrived since the last call, if any; not if a newer one arrives meanwhile,
   which the next call serves. */
void loader_poll(void);

#ifdef __cplusplus
}
#endif

#endif
